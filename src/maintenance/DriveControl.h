#pragma once
#include "access/ApiAccess.h"
#include "access/DriveCommands.h"
#include "access/DriveSession.h"
#include "access/LogFn.h"
#include "access/PioProtocol.h"
#include "access/Timing.h"
#include "form/Dialogs.h"
#include "form/MainForm.h"
#include "form/UiThread.h"
#include "info/DrivePassport.h"
#include "info/PassportReader.h"

#include <functional>
#include <string>

namespace korvane::maintenance {

// What the drive control commands work with.
struct DriveControlContext {
    form::CommandColumn& commandColumn; // "&Sleep", "Re&call"
    form::CacheGroup& cache;
    form::RpmGroup& rpm;
    form::Label& rpmLabel;                    // beside the speed graph
    form::PartitionGroup& partitions;         // "MBR ON", "MBR OFF" and the signature lamp
    const form::ScanOptionsGroup& scanOptions; // "Ajusting RDTSC before tests"
    access::DriveSession& session;
    access::PioProtocol& pio;
    access::DriveCommands& commands;
    access::ApiAccess& api;
    access::Timing& timing;
    info::PassportReader& passportReader;
    const info::DrivePassport& passport;
    form::UiThread& ui;
    form::Dialogs& dialogs;
    access::LogFn log;
    // True when the selected device holds something the system runs from (mounted, swap).
    std::function<bool()> selectedDiskInUse;
    // "Only non-destructive functions": destructive commands are refused while it is on.
    std::function<bool()> nonDestructiveOnly;
};

// Small one-shot commands that change a drive's state: the spindle stop, the recalibration, the
// write cache and the read look-ahead, the spindle speed measurement and the boot signature.
class DriveControl {
public:
    explicit DriveControl(DriveControlContext context);

    // Also run by the scan and the seek test (spindle stop as an end action, recalibration
    // before they start).
    // Each is true when the drive did it.
    bool stopSpindle();
    bool recalibrate();

    enum class Cache { WriteOn, WriteOff, ReadOn, ReadOff };
    bool cacheCommand(Cache which);
    // The measured speed, or 0 when there is none (break, error, a value above 20000).
    int measureRpm();
    // True when the signature ends as asked.
    bool setBootSignature(bool on);

    static constexpr uint16_t kSignatureOn = 0xAA55, kSignatureOff = 0x88CC;

private:
    void processEvents();
    bool ataNonData(uint8_t command, uint8_t features);
    bool scsiStop(const std::string& failText);
    bool switchLookAhead(bool on, const std::string& prefix, bool terminating);
    int countReadsInWindow();

    DriveControlContext c_;
};

} // namespace korvane::maintenance
