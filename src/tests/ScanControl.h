#pragma once
#include "access/DeviceSelection.h"
#include "access/DriveCommands.h"
#include "access/LogFn.h"
#include "access/PioProtocol.h"
#include "access/WorkerGate.h"
#include "form/Dialogs.h"
#include "form/MainForm.h"
#include "form/UiThread.h"
#include "info/DrivePassport.h"
#include "info/PassportReader.h"
#include "platform/Clock.h"
#include "platform/PowerControl.h"
#include "tests/ScanState.h"
#include "tests/SurfaceScan.h"

#include <array>
#include <functional>

namespace korvane::tests {

struct ScanControlContext {
    form::MainForm& form;
    ScanState& state;
    access::DriveSession& session;
    SurfaceScan& scan;
    access::DriveCommands& commands;
    access::WorkerGate& gate;
    access::PioProtocol& pio;
    access::DeviceSelection& selection;
    info::PassportReader& passportReader;
    info::DrivePassport& passport;
    platform::Clock& clock;
    platform::PowerControl& power;
    form::UiThread& ui;
    form::Dialogs& dialogs;
    access::LogFn log;
    bool& startGuard; // re-armed by the 10-second timer
    std::function<bool()> stopSpindle;
    std::function<bool()> recalibrate;
    std::function<void()> pressPower;
    std::function<void()> resetPrimaryChannel; // "Enable PM" back from the settings
};

// The operator's side of the surface scan: Start/Stop with its checks and warnings, Break All,
// Pause/Continue, the end of test actions and the looped scan, and the scan options' interlocks.
class ScanControl {
public:
    explicit ScanControl(ScanControlContext c);

    void start();       // "Start"
    void breakAll();    // "Break All", and "Stop" while a scan runs
    void pause();       // "Pause" / "Continue"
    void completeScan();
    // The seek test starts: a running scan ends ("Scan was terminated by Seek!").
    void terminateBySeek();
    void restartLoop();
    bool runEndAction(); // the worker's step once the range is done; true: a loop pass follows
    void shutdownPc();
    void showBusy(bool visible, const std::string& hint);

    // The interlocks.
    void blockSizeChanged();
    void modeClicked();
    void defectActionClicked();
    void defectoscopeClicked();
    void stampsClicked();
    void distortionClicked();
    void nonDestructiveClicked();
    void endActionChanged();

    // Called once the write warning is shown (the command line answers it from its flags).
    std::function<void()> onWriteWarnShown;
    // A start stops a running seek test ("Seek was terminated by Scan!"); Break puts its button back.
    std::function<void()> stopSeek, seekBreak;

    bool writeWarnCancelled() const { return writeWarnCancelled_; }
    uint8_t breakPresses() const { return breakPressCount_; }

private:
    void wire();
    bool showWriteWarning();
    void writeWarnFieldChanged(bool startField);
    void writeWarnButton(bool ok);
    bool confirmErase();
    void abandon();
    uint64_t expectedBlocks() const;
    // Beyond this the map grows as it fills rather than claim its memory at the start.
    static constexpr uint64_t kReservedBlocksMax = uint64_t(1) << 30;
    void becomeStop();
    void backToStart();
    void resultsDone();
    void blinkPauseLed();
    bool apiMode() const { return c_.session.accessMode == access::AccessMode::Api; }

    ScanControlContext c_;
    uint8_t breakPressCount_ = 0;
    bool writeWarnCancelled_ = false;
    bool restartPending_ = false;
};

} // namespace korvane::tests
