#pragma once
#include "access/ApiAccess.h"
#include "access/ClockState.h"
#include "access/DeviceSelection.h"
#include "access/DriveCommands.h"
#include "access/JobRunner.h"
#include "access/LogFn.h"
#include "access/PioProtocol.h"
#include "access/Timing.h"
#include "form/MainForm.h"
#include "form/UiThread.h"
#include "info/DrivePassport.h"
#include "info/PassportReader.h"
#include "tests/DriveTimerWake.h"
#include "tests/ScanControl.h"
#include "tests/SeekState.h"
#include "tests/SekThread.h"

#include <atomic>
#include <functional>
#include <memory>

namespace korvane::tests {

struct SeekTestContext {
    form::MainForm& form;
    SeekState& state;
    access::DriveSession& session;
    access::ClockState& clockState;
    access::Timing& timing;
    access::ApiAccess& api;
    access::PioProtocol& pio;
    access::DriveCommands& commands;
    access::JobRunner& jobs;
    access::DeviceSelection& selection;
    info::PassportReader& passportReader;
    info::DrivePassport& passport;
    ScanControl& scan;
    form::UiThread& ui;
    access::LogFn log;
    bool& startGuard; // re-armed by the 10-second timer
    std::function<bool()> stopSpindle;
    std::function<bool()> recalibrate;
    // The drive's temperature from SMART attribute 194: -126 no SMART data, -127 no attribute 194.
    std::function<int16_t()> readTemperature;
};

// The " Mechanic && Acoustic test " group's seek test: the start with its checks, the worker's UI
// steps, the stop by Break or by a scan start, and the range shortcuts.
class SeekTest final : public SeekSteps {
public:
    explicit SeekTest(SeekTestContext c);
    ~SeekTest() override;

    void start();
    // A scan starts: the test ends ("Seek was terminated by Scan!").
    void stopByScan();
    // "Break All": the button is the start button again; the worker ends on the break.
    void breakPressed();
    // The test ends after its current access, without a failure (the command line's --time).
    void finish() { c_.state.seekRunning = false; }
    bool running() const;
    // Where the temperature comes from (the SMART reader, once there is one).
    void setTemperatureSource(std::function<int16_t()> read) { c_.readTemperature = std::move(read); }

    // SeekSteps
    void workerStarted() override;
    void postPosition() override;
    void showAverage() override;
    void thermalStep() override;
    void errorReport() override;
    void endStep() override;

private:
    void wire();
    bool prepare();
    bool readStartTemperature();
    void clampRange();
    void abandon();
    void becomeStop();
    void backToStart(const std::string& caption);
    void showPosition();
    void cleanUp();
    int64_t limitUnits() const;
    bool api() const { return c_.session.accessMode == access::AccessMode::Api; }

    SeekTestContext c_;
    form::SeekGroup& g_;
    SeekState& s_;
    DriveTimerWake wake_;
    std::unique_ptr<platform::DiskHandle> handle_;
    std::atomic<bool> positionPending_{false};
    std::function<void()> showPosition_;
    bool polls_ = true;
    uint32_t titledGroup_ = UINT32_MAX;
    uint32_t lastPostMs_ = 0; // the worker's own
    static constexpr uint32_t kPositionMs = 20;
};

} // namespace korvane::tests
