#include "tests/SekThread.h"

#include "tests/BlockOrder.h"

#include <algorithm>

namespace korvane::tests {

using access::WorkerContext;

SekThread::SekThread(SeekState& state, SeekSteps& steps, access::Timing& timing, DriveTimerWake& wake,
                     SeekSetup setup)
    : s_(state), steps_(steps), timing_(timing), wake_(wake), setup_(setup),
      average_([this] { steps_.showAverage(); }), thermal_([this] { steps_.thermalStep(); }) {}

void SekThread::run(WorkerContext& c) {
    platform::Clock& clock = timing_.clock();
    const bool raise = !setup_.polls && !setup_.api;
    const platform::SavedPriority saved = raise ? clock.raisePriority() : platform::SavedPriority{};
    s_.seekCount = 0;
    s_.totalTenths = 0;
    s_.windowCount = s_.windowSum = s_.thermalCount = 0;
    s_.seekWakeArmed = false;
    s_.seekFailure = 0;
    clock.sleepMs(20);
    c.step([this] { steps_.workerStarted(); });
    while (!c.stopRequested()) {
        if (!s_.seekRunning) break;
        if (c.holdWanted()) {
            c.holdPoint();
            continue;
        }
        const int64_t start = s_.seekStart, span = std::max<int64_t>(s_.seekEnd - start, 0);
        const int64_t pos = start + int64_t(draw_.next(uint64_t(span), uint32_t(timing_.clock().readCounter())));
        s_.seekPos = pos;
        const Access a = setup_.api ? apiAccess(c, pos) : pioAccess(c, pos);
        if (a == Access::Break) break;
        if (a == Access::Failed) {
            c.pio().bell();
            c.step([this] { steps_.errorReport(); });
            break;
        }
        countAccess(c);
        const uint32_t most = s_.maxAccesses;
        if (most && s_.seekCount >= most) break;
    }
    c.step([this] { steps_.endStep(); });
    if (raise) clock.restorePriority(saved);
}

// A verify (or a direct read) of one sector through the system, timed in 0.1 ms steps.
SekThread::Access SekThread::apiAccess(WorkerContext& c, int64_t pos) {
    steps_.postPosition();
    const uint8_t command = setup_.mode == SeekMode::Read ? 0x20 : 0x40;
    // On the counter whatever the common clock is: the tick count's milliseconds would make every
    // access of a fast device 0.
    platform::Clock& counter = timing_.clock();
    const uint64_t t0 = counter.readCounter();
    const bool ok = c.drive().issueSectorCommand(s_.seekHandle, 1, command, uint64_t(pos));
    const uint64_t dt = std::max<uint64_t>(counter.readCounter() - t0, 1);
    s_.seekTime = dt / std::max<uint32_t>(timing_.state().ticksPer100us, 1);
    if (!ok) {
        s_.seekFailure = 2;
        return Access::Failed;
    }
    if (int64_t(s_.seekTime) > s_.seekLimit) {
        s_.seekFailure = 1;
        return Access::Failed;
    }
    return Access::Done;
}

SekThread::Access SekThread::pioAccess(WorkerContext& c, int64_t pos) {
    access::PioProtocol& pio = c.pio();
    pio.waitNotBusy();
    steps_.postPosition();
    switch (setup_.mode) {
    case SeekMode::Seek: c.drive().issueSectorCommand(nullptr, 1, 0x70, std::min<uint64_t>(uint64_t(pos), 0x0FFFFFFF)); break;
    case SeekMode::Verify: c.drive().issueSectorCommand(nullptr, 1, 0x40, uint64_t(pos)); break;
    case SeekMode::Read: c.drive().issueSectorCommand(nullptr, 1, 0x20, uint64_t(pos)); break;
    }
    s_.seekTime = 0;
    s_.seekTimedOut = false;
    if (setup_.polls) {
        while (pio.isNotReady()) {
            timing_.delay100us();
            const uint64_t t = ++s_.seekTime;
            if (c.session().breakRequested && c.session().breakLoopsEnabled) return Access::Break;
            if (c.closing()) return Access::Break;
            if (int64_t(t) > s_.seekLimit) {
                s_.seekTimedOut = true;
                break;
            }
        }
    } else {
        s_.seekTimedOut = !wake_.waitForDrive();
        if (c.stopRequested() && !s_.seekTimedOut) return Access::Break;
    }
    s_.seekWakeArmed = false;
    if (s_.seekTimedOut) {
        s_.seekFailure = 1;
        return Access::Failed;
    }
    if (pio.readErrorIfAny() != 0) {
        s_.seekFailure = 2;
        return Access::Failed;
    }
    if (setup_.mode == SeekMode::Read && pio.waitNotBusy() != -1 && pio.waitDataRequest()) pio.pioReadSector();
    return Access::Done;
}

void SekThread::countAccess(WorkerContext& c) {
    s_.windowSum += uint32_t(s_.seekTime);
    s_.totalTenths += tenths(s_.seekTime);
    ++s_.windowCount;
    ++s_.seekCount;
    if (s_.windowCount >= kWindow) {
        s_.windowCount = 0;
        char text[32];
        std::snprintf(text, sizeof text, "%.1f", double(tenths(s_.windowSum) / kWindow) / 10.0);
        s_.seekAverage = text;
        c.step(average_);
        s_.windowSum = 0;
    }
    if (thermalCounts() && ++s_.thermalCount > kThermalEvery) {
        s_.thermalCount = 0;
        c.step(thermal_);
    }
}

// Counted when the box agrees with the drive's SMART support, and the start temperature was read
// (or, the other way round, when they disagree and it was not).
bool SekThread::thermalCounts() const {
    const bool a = s_.thermalBox == s_.smartSupported;
    const bool b = s_.startTemperature == -126 || s_.startTemperature == -127;
    return a != b;
}

} // namespace korvane::tests
