#pragma once
#include "access/ApiAccess.h"
#include "access/DriveCommands.h"
#include "access/LogFn.h"
#include "access/PioProtocol.h"
#include "form/Clipboard.h"
#include "form/Dialogs.h"
#include "form/MainForm.h"
#include "info/DrivePassport.h"
#include "info/PassportReader.h"
#include "info/SmartAttributes.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace korvane::info {

// Everything the SMART page works with.
struct SmartContext {
    form::MainForm& form;
    access::DriveSession& session;
    access::PioProtocol& pio;
    access::DriveCommands& commands;
    access::ApiAccess& api;
    PassportReader& passportReader;
    DrivePassport& passport;
    form::UiThread& ui;
    platform::Clock& clock;
    form::Dialogs& dialogs;
    form::Clipboard& clipboard;
    access::LogFn log;
    std::function<std::string()> logDirectory;
    std::function<bool()> writeEnabled;
};

// Reads the drive's SMART data and thresholds by the passport's routes (or a saved block), fills
// the attribute list and the self-test list, asks the drive for its overall status, and runs the
// page's monitor buttons, menu and timer.
class SmartReader {
public:
    static constexpr int64_t kNoData = -126, kNoAttribute = -127;

    explicit SmartReader(SmartContext context);

    // The raw value of `attributeId` (as the list counts it), kNoData or kNoAttribute.
    int64_t readSmart(uint8_t attributeId, const std::string& fileName, bool fromFile);
    // 1 good, 0 a threshold exceeded, -1 unknown.
    int smartReturnStatus();
    void ibmExtendedSmart(bool on);
    // The temperature as the seek test takes it: the low 16 bits of readSmart(194).
    int16_t readTemperature();

    // Buttons, menu items and the timer.
    void getSmartClick();
    void openBinClick();
    void clearScreen();
    void copyAll();
    void toggleTestPanel();
    void showTestPanel();
    void toggleBigSmall();
    void timerBoxClick();
    void timerTick();
    // The 16 grey rows the list shows before the first read.
    void placeholderRows();

    // What the last read decoded (empty when it found no data), for the command line.
    const std::vector<SmartAttribute>& attributes() const { return attributes_; }
    // The last "Get SMART": 1 GOOD, 0 BAD, -1 unknown or no data.
    int lastStatus() const { return lastStatus_; }
    // Whether the last "Get SMART" obtained a data block.
    bool lastObtained() const { return obtained_; }
    // "Get SMART" presses that ran to the end (the timer's included).
    uint32_t readsDone() const { return readsDone_; }
    int16_t lastTemperature() const { return lastTemperature_; }
    std::string binFilePath() const;

private:
    bool enable();
    bool readBlock(uint8_t features, uint8_t* into);
    bool nonData(uint8_t features, uint8_t count, uint8_t lbaLow);
    bool ibmSwitchApplies() const;
    int64_t addAttributeRows(uint8_t attributeId, const uint8_t* data);
    void rebuildSelfTests(const uint8_t* data);
    void saveBin();
    void showStatus(const char* text, form::Colour font, form::Colour lamp);
    void setPrepared();
    void processEvents();
    form::Colour cellColour(size_t row, size_t column) const;

    SmartContext c_;
    form::SmartPage& page_;
    std::vector<form::ListColumn> columns_;
    std::array<uint8_t, 512> thresholds_{};
    uint8_t family_ = 0;
    bool obtained_ = false;
    uint32_t readsDone_ = 0;
    std::vector<SmartAttribute> attributes_;
    form::Colour offlineColour_ = form::colours::Green, selfTestColour_ = form::colours::Green;
    bool placeholders_ = false;
    bool running_ = false;
    int lastStatus_ = -1;
    int16_t lastTemperature_ = int16_t(kNoData);
};

} // namespace korvane::info
