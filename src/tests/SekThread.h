#pragma once
#include "access/Timing.h"
#include "access/WorkerContext.h"
#include "tests/BlockOrder.h"
#include "tests/DriveTimerWake.h"
#include "tests/SeekState.h"

#include <functional>

namespace korvane::tests {

// The UI steps the seek worker hands over (each runs on the UI thread while the worker waits,
// except the position, which is posted and shows the latest values).
class SeekSteps {
public:
    virtual ~SeekSteps() = default;
    virtual void workerStarted() = 0;
    virtual void postPosition() = 0;
    virtual void showAverage() = 0;
    virtual void thermalStep() = 0;
    virtual void errorReport() = 0;
    virtual void endStep() = 0;
};

// How a seek test was set up at its start; fixed for the worker's life.
struct SeekSetup {
    bool api = false;
    bool polls = true; // PIO: 100 us polling, else the 1 ms timer
    SeekMode mode = SeekMode::Seek;
};

// The seek test's worker: one-sector accesses at random positions, as fast as the drive answers,
// with the average every 64 accesses, the thermal step every 4001, and the end at the first access
// slower than the limit or failing.
class SekThread final : public access::DriveJob {
public:
    SekThread(SeekState& state, SeekSteps& steps, access::Timing& timing, DriveTimerWake& wake, SeekSetup setup);

    access::WorkerGate::Worker kind() const override { return access::WorkerGate::Worker::Seek; }
    void run(access::WorkerContext& context) override;

    static constexpr uint32_t kWindow = 64, kThermalEvery = 4000;

private:
    enum class Access { Done, Failed, Break };
    Access apiAccess(access::WorkerContext& c, int64_t pos);
    Access pioAccess(access::WorkerContext& c, int64_t pos);
    void countAccess(access::WorkerContext& c);
    bool thermalCounts() const;
    // A time of this path in 0.1 ms steps: the 1 ms timer counts milliseconds, the others tenths.
    uint64_t tenths(uint64_t units) const { return setup_.polls || setup_.api ? units : units * 10; }

    SeekState& s_;
    SeekSteps& steps_;
    access::Timing& timing_;
    DriveTimerWake& wake_;
    SeekSetup setup_;
    PositionDraw draw_;
    // The steps the loop hands over, made once: the loop allocates nothing.
    std::function<void()> average_, thermal_;
};

} // namespace korvane::tests
