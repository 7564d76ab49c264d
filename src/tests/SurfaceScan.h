#pragma once
#include "access/ApiAccess.h"
#include "access/ClockState.h"
#include "access/DriveCommands.h"
#include "access/JobRunner.h"
#include "access/LogFn.h"
#include "access/PioProtocol.h"
#include "access/Timing.h"
#include "form/Dialogs.h"
#include "form/MainForm.h"
#include "info/DrivePassport.h"
#include "platform/SystemFacts.h"
#include "tests/BlockCsv.h"
#include "tests/DefectHandler.h"
#include "tests/ProgressDisplay.h"
#include "tests/ScanMapCells.h"
#include "tests/ScanState.h"
#include "tests/ScanSteps.h"
#include "tests/DriveTimerWake.h"
#include "tests/ScnThread.h"
#include "tests/SpeedGraph.h"
#include "tests/TimeClassDisplay.h"

#include <functional>
#include <optional>
#include <memory>

namespace korvane::tests {

struct SurfaceScanContext {
    form::MainForm& form;
    ScanState& state;
    access::DriveSession& session;
    access::ClockState& clockState;
    access::Timing& timing;
    access::ApiAccess& api;
    access::PioProtocol& pio;
    access::DriveCommands& commands;
    access::JobRunner& jobs;
    info::DrivePassport& passport;
    info::HpaState& hpa;
    platform::SystemFacts& facts;
    form::Dialogs& dialogs;
    form::UiThread& ui;
    access::LogFn log;
};

// The scan's own computations at a start (the range, the block, the timing and the class
// limits, the drive opened, the worker started) and the UI steps its worker hands over.
class SurfaceScan final : public ScanSteps {
public:
    explicit SurfaceScan(SurfaceScanContext c);
    ~SurfaceScan() override;

    // The range from the fields, clamped and written back, the LBA check and the optional clock
    // calibration; false when the scan must not start (the reason is shown).
    bool prepareRange();
    // The range, the rate sample interval, the block size, the timing factor and the limits.
    void prepareTiming();
    // The class limits from the factors, into the labels (a direction or clock change too).
    void computeLimits();
    // API mode: the drive opened for the whole scan; write mode: the buffers it writes.
    bool openDrive();
    // The block size again, the first position, the counters, the random deadline, the start line.
    void prepareBlocks();
    // The timer of a PIO scan that does not poll, then the worker.
    bool startWorker();

    // The time-out from its box: "never" -1, else its digits (0 becomes 1, shown).
    void readTimeout();
    void closeDrive();
    // A random scan's duration counts from now (its order was chosen during the scan).
    void restartRandomClock();
    // "RS": the class counters, the error and warning counts back to zero.
    void resetCounters();
    // The time of day of the last start, in the system's format.
    void markStartTime() { startTime_ = c_.facts.timeText(); }
    const std::string& startTime() const { return startTime_; }
    // Milliseconds from the worker's first step to the results, and the sectors the blocks covered.
    uint64_t elapsedMs() const { return endedMs_ - startedMs_; }
    uint64_t sectorsScanned() const { return sectorsScanned_; }
    // The clock the block times and rate samples are read on.
    uint64_t scanNow() { return c_.timing.commonNow(); }
    DriveTimerWake& timerWake() { return wake_; }
    TimeClassDisplay& classes() { return classes_; }
    ProgressDisplay& progress() { return progress_; }
    ScanMapCells& map() { return map_; }
    SpeedGraph& graph() { return graph_; }
    DefectHandler& defects() { return defects_; }
    // Where the blocks of the next scan go as CSV rows (chosen before the start).
    BlockCsvWriter& blockFile() { return csv_; }
    // The bad blocks of the last scan: first LBA and error code.
    const std::vector<std::pair<uint64_t, uint16_t>>& badBlocks() const { return badBlocks_; }

    // The scan control's side of the worker's steps.
    std::function<bool()> onEndAction;   // true when a loop pass took over
    std::function<void()> onResultsDone; // the Start button back, the scan completed
    std::function<void()> onShutdown;    // "Shutdown PC" after an unbroken scan
    std::function<void()> onWorkerStarted;
    std::function<void()> onWorkerEnded; // the worker's thread has finished
    bool longWriting() const;
    // The scan writes: write mode, or a treatment of bad blocks that writes (Remap, Erase, Restore).
    bool writes() const;
    bool api() const { return c_.session.accessMode == access::AccessMode::Api; }

    // ScanSteps
    void workerStarted() override;
    void blocks(const BlockResult* results, size_t count) override;
    void longWriteSector(uint32_t index, uint64_t lba) override;
    void finished() override;
    bool endAction() override;
    void results() override;
    void shutdownIfAsked() override;

private:
    void goodBlock(const BlockResult& r);
    void afterBlock(const BlockResult& r, int timeClass);
    ProgressDisplay::Clock scanClock(uint64_t now) const;
    std::string startLine() const;
    void openBlockFile();
    TimingPath timingPath() const;

    SurfaceScanContext c_;
    TimeClassDisplay classes_;
    ProgressDisplay progress_;
    ScanMapCells map_;
    SpeedGraph graph_;
    DefectHandler defects_;
    DriveTimerWake wake_;
    std::unique_ptr<platform::DiskHandle> handle_;
    uint32_t fastBlocks_ = 0;
    uint64_t randomStartMs_ = 0;
    uint64_t startedMs_ = 0, endedMs_ = 0, sectorsScanned_ = 0;
    BlockCsvWriter csv_;
    std::string startTime_;
    std::vector<std::pair<uint64_t, uint16_t>> badBlocks_;
};

} // namespace korvane::tests
