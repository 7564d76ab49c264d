#pragma once
#include "access/ApiAccess.h"
#include "access/DeviceSelection.h"
#include "access/DriveCommands.h"
#include "access/LogFn.h"
#include "access/PioProtocol.h"
#include "form/Clipboard.h"
#include "form/Dialogs.h"
#include "form/MainForm.h"
#include "info/DrivePassport.h"
#include "info/PassportReport.h"
#include "info/PassportSubscribers.h"

#include <functional>
#include <string>

namespace korvane::info {

// Everything the passport reader works with.
struct PassportContext {
    form::MainForm& form;
    access::DriveSession& session;
    access::PioProtocol& pio;
    access::DriveCommands& commands;
    access::ApiAccess& api;
    access::DeviceSelection& selection;
    form::UiThread& ui;
    platform::Clock& clock;
    form::Dialogs& dialogs;
    form::Clipboard& clipboard;
    access::LogFn log;
    // Where dumps go, and whether anything may be written there.
    std::function<std::string()> logDirectory;
    std::function<bool()> writeEnabled;
};

// Reads the drive's identification block in either mode (or from a saved file), decodes it into
// the drive descriptor and the session's capacity, and prepares the groups that depend on it.
class PassportReader {
public:
    PassportReader(PassportContext context, DrivePassport& passport, HpaState& hpa, PassportReport& report,
                   const PassportSubscribers& subscribers);

    bool readPassport(bool logIdentity, bool apply);
    int64_t buildPassport(bool fromFile, const std::string& fileName);

    // Buttons and menu items.
    void passportButtonClick();
    void openBinClick();

    // The BIN file name part made of model and serial.
    static std::string cleanName(const std::string& text);
    // An identification string: two characters a word, high byte first, control and high bytes
    // as spaces, trimmed; an empty one is a single space.
    static std::string identityString(const platform::IdentifyBlock& id, size_t firstWord, size_t words);
    std::string binFilePath() const;

    // The extended passport: set around a read by the "EXT" button and the HPA group.
    bool extendedPassport = false;
    // The four points where the extended passport adds its diagnostics.
    std::function<void()> extendedRealSize;    // after "Disk size:"
    std::function<void()> extendedPowerStatus; // "Status:" and "Spindle:", after "Erase:"
    std::function<void()> extendedInterface;   // "Int-face:", at the end of an ATA report (PIO)
    std::function<void()> extendedAam;         // the AAM track bar to the drive's value

    // "Refresh LBA before operation", mirrored by its box.
    bool refreshLba = false;

private:
    bool acquirePio();
    bool acquireApi();
    bool scsiRoute();
    void commonStart();
    void decodeAta(const platform::IdentifyBlock& id, bool live);
    void takeIdentity(const DrivePassport& decoded);
    void decodeScsi();
    void finish();
    void errorExit();
    void setRouteCaption(const std::string& caption, form::Colour background);
    void setTimingFactor();
    bool saveBin() const;
    void paintRotation(uint16_t rate);

    PassportContext c_;
    DrivePassport& p_;
    HpaState& hpa_;
    PassportReport& report_;
    const PassportSubscribers& subscribers_;
    int64_t result_ = -1;
    uint64_t totalSectors_ = 0;
    std::string features_;
};

} // namespace korvane::info
