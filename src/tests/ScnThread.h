#pragma once
#include "access/ApiAccess.h"
#include "access/Timing.h"
#include "access/WorkerContext.h"
#include "tests/ScanState.h"
#include "tests/ScanSteps.h"
#include "tests/BlockOrder.h"
#include "tests/DriveTimerWake.h"

#include <array>
#include <functional>

namespace korvane::tests {

// How a scan was set up at its start; fixed for the worker's life.
struct ScanSetup {
    bool api = false;
    bool polls = true;        // PIO: 100 us polling, else the 1 ms timer
    bool longWriting = false; // PIO write: READ then WRITE LONG, sector by sector
    bool ddd = false;         // API write: data distortion detection
};

// The surface scan worker: the block loop, in API and PIO mode, in every order and write variant.
// It touches the drive and the scan record; whatever the window shows goes through its UI steps.
class ScnThread final : public access::DriveJob {
public:
    ScnThread(ScanState& state, ScanSteps& steps, access::DriveSession& session, access::Timing& timing,
              access::ApiAccess& api, DriveTimerWake& wake, ScanSetup setup);

    access::WorkerGate::Worker kind() const override { return access::WorkerGate::Worker::Scan; }
    void run(access::WorkerContext& context) override;

private:
    enum class Outcome { Good, Bad, Abort };
    enum class Wait { Ready, TimedOut, Break };
    static constexpr size_t kBatch = 4096;
    static constexpr uint32_t kBatchMs = 100;

    void loop(access::WorkerContext& c);
    Outcome scanBlock(access::WorkerContext& c, BlockResult& r);
    Outcome apiBlock(access::WorkerContext& c, BlockResult& r);
    bool distortionCheck(uint16_t bs, uint64_t lba, uint16_t& error);
    Outcome pioBlock(access::WorkerContext& c, BlockResult& r);
    Wait pollDrive(access::WorkerContext& c, uint64_t& units);
    Wait timerWait(uint64_t& units);
    // A time on the scan clock in the units of the block times.
    uint64_t unitsOf(uint64_t clockTicks) const;
    Outcome pioData(access::WorkerContext& c, uint16_t bs, uint64_t& units);
    Outcome longWrite(access::WorkerContext& c, uint16_t bs, uint64_t lba);
    void flush(access::WorkerContext& c);
    void end(access::WorkerContext& c);
    bool breakWithLoops(access::WorkerContext& c) const;

    ScanState& state_;
    ScanSteps& steps_;
    access::DriveSession& session_;
    access::Timing& timing_;
    access::ApiAccess& api_;
    DriveTimerWake& wake_;
    ScanSetup setup_;
    PositionDraw draw_;
    std::array<BlockResult, kBatch> batch_{};
    size_t batched_ = 0;
    uint32_t lastFlushMs_ = 0;
    // The steps the loops hand over, made once: a block loop allocates nothing.
    std::function<void()> deliver_, showLongWrite_;
    uint32_t longWriteIndex_ = 0;
    uint64_t longWriteLba_ = 0;
};

} // namespace korvane::tests
