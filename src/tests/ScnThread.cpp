#include "tests/ScnThread.h"

#include "tests/BlockOrder.h"

#include <algorithm>
#include <cstdio>

namespace korvane::tests {

using access::WorkerContext;

ScnThread::ScnThread(ScanState& state, ScanSteps& steps, access::DriveSession& session, access::Timing& timing,
                     access::ApiAccess& api, DriveTimerWake& wake, ScanSetup setup)
    : state_(state), steps_(steps), session_(session), timing_(timing), api_(api), wake_(wake), setup_(setup),
      deliver_([this] { steps_.blocks(batch_.data(), batched_); }),
      showLongWrite_([this] { steps_.longWriteSector(longWriteIndex_, longWriteLba_); }) {}

void ScnThread::run(WorkerContext& c) {
    platform::Clock& clock = timing_.clock();
    const platform::SavedPriority saved = clock.raisePriority();
    // The start handler has returned before this step can run, so its flags are all in place.
    clock.sleepMs(20);
    c.step([this] { steps_.workerStarted(); });
    lastFlushMs_ = clock.tickCountMs();
    loop(c);
    clock.restorePriority(saved);
}

bool ScnThread::breakWithLoops(WorkerContext& c) const {
    return c.session().breakRequested && c.session().breakLoopsEnabled;
}

void ScnThread::flush(WorkerContext& c) {
    if (batched_ == 0) return;
    c.step(deliver_);
    batched_ = 0;
    lastFlushMs_ = timing_.clock().tickCountMs();
}

void ScnThread::loop(WorkerContext& c) {
    for (;;) {
        // The order may change while the scan runs: it is taken anew for every block.
        const bool random = state_.direction == ScanDirection::Random;
        if (!state_.scanActive || c.stopRequested()) return end(c);
        if (c.holdWanted()) {
            // Everything measured is shown before the worker stands still.
            flush(c);
            c.holdPoint();
            continue;
        }
        const uint64_t bound = random ? state_.range - std::min<uint64_t>(state_.range, state_.blockSize) : 0;
        placeBlock(state_, random ? draw_.next(bound, uint32_t(timing_.clock().readCounter())) : 0);

        BlockResult& r = batch_[batched_];
        r = BlockResult{};
        r.lba = state_.curLba;
        r.size = state_.blockSize;
        const Outcome outcome = scanBlock(c, r);
        if (outcome == Outcome::Abort) {
            flush(c);
            return end(c);
        }
        r.bad = outcome == Outcome::Bad;
        r.clockAt = timing_.commonNow();
        if (state_.jumpedBack.exchange(false)) r.jumpMark = '<';
        if (state_.jumpedForward.exchange(false)) r.jumpMark = '>'; // the forward mark wins
        ++batched_;
        if (r.bad || batched_ == kBatch || timing_.clock().tickCountMs() - lastFlushMs_ >= kBatchMs) flush(c);
        if (c.stopRequested()) {
            flush(c);
            return end(c);
        }
        const bool more = advanceBlock(state_) && !(random && state_.randomNow >= state_.randomDeadline);
        if (!more) break;
    }
    // The range is done.
    flush(c);
    c.step([this] { steps_.finished(); });
    bool looping = false;
    c.step([&] { looping = steps_.endAction(); });
    if (!looping) end(c);
}

void ScnThread::end(WorkerContext& c) {
    flush(c);
    c.step([this] { steps_.results(); });
    c.step([this] { steps_.shutdownIfAsked(); });
}

ScnThread::Outcome ScnThread::scanBlock(WorkerContext& c, BlockResult& r) {
    return setup_.api ? apiBlock(c, r) : pioBlock(c, r);
}

// ------------------------------------------------------------------------------------------
// API mode
// ------------------------------------------------------------------------------------------

ScnThread::Outcome ScnThread::apiBlock(WorkerContext& c, BlockResult& r) {
    const uint64_t t0 = timing_.commonNow();
    bool ok = false;
    uint16_t error = 0;
    switch (state_.scanMode) {
    case ScanMode::Verify: ok = c.drive().issueSectorCommand(state_.handle, r.size, 0x40, r.lba); break;
    case ScanMode::Read: ok = c.drive().issueSectorCommand(state_.handle, r.size, 0x20, r.lba); break;
    case ScanMode::Write:
        ok = setup_.ddd ? distortionCheck(r.size, r.lba, error)
                        : c.drive().issueSectorCommand(state_.handle, r.size, 0x30, r.lba);
        break;
    }
    const uint64_t dt = timing_.commonNow() - t0;
    const uint32_t perMs = std::max<uint32_t>(timing_.state().ticksPerMs, 1);
    r.time = timing_.state().commonClockIsTsc ? dt / perMs : dt;
    state_.blockTime = r.time;
    if (error == 129) {
        r.error = 129;
        return Outcome::Bad;
    }
    if (ok) return Outcome::Good;
    // A request that failed without saying why is an I/O error.
    const uint32_t system = api_.lastSystemError();
    r.error = apiBlockError(system ? system : 1117);
    return Outcome::Bad;
}

bool ScnThread::distortionCheck(uint16_t bs, uint64_t lba, uint16_t& error) {
    auto& buffers = session_.buffers;
    const uint32_t bps = session_.bytesPerSector;
    const uint64_t bytes = uint64_t(bs) * bps;
    if (bytes > access::SharedBuffers::kTransferBytes) return false;
    if (api_.apiWriteSectors(state_.handle, bs, buffers.patternBuffer(), bps, lba) != bytes) return false;
    if (!api_.issueSectorCommand(state_.handle, bs, 0x20, lba)) return false;
    const auto* words = reinterpret_cast<const uint32_t*>(buffers.transferBuffer());
    const size_t count = size_t(bs) * 128;
    for (size_t i = 0; i < count; ++i) {
        if (words[i] == 0x55AA55AAu) continue;
        char text[40];
        std::snprintf(text, sizeof text, "Writen 55AAh, read %04Xh", unsigned(words[i] & 0xFFFF));
        state_.distortionText = text;
        error = 129;
        return false;
    }
    return true;
}

// ------------------------------------------------------------------------------------------
// PIO mode
// ------------------------------------------------------------------------------------------

ScnThread::Outcome ScnThread::pioBlock(WorkerContext& c, BlockResult& r) {
    access::PioProtocol& pio = c.pio();
    const bool longWriting = state_.scanMode == ScanMode::Write && setup_.longWriting;
    const uint8_t code = state_.scanMode == ScanMode::Verify ? 0x40 : state_.scanMode == ScanMode::Read ? 0x20 : 0x30;
    const bool ok = longWriting || c.drive().issueSectorCommand(nullptr, r.size, code, r.lba);

    uint64_t units = 0;
    const Wait wait = setup_.polls ? pollDrive(c, units) : timerWait(units);
    if (wait == Wait::Break) return Outcome::Abort;
    r.time = units;
    if (wait == Wait::TimedOut) {
        if (!state_.defectoscope) pio.softReset();
        pio.waitNotBusy();
        r.error = 0;
        return Outcome::Bad;
    }
    if (ok && state_.scanMode != ScanMode::Verify) {
        const Outcome data = longWriting ? longWrite(c, r.size, r.lba) : pioData(c, r.size, units);
        r.time = units;
        if (data != Outcome::Good) return data;
    }
    state_.blockTime = r.time;
    r.error = pio.readErrorIfAny();
    if (!ok) r.error = session_.lba28Overflow ? 73 : 255;
    return r.error ? Outcome::Bad : Outcome::Good;
}

ScnThread::Wait ScnThread::pollDrive(WorkerContext& c, uint64_t& units) {
    access::PioProtocol& pio = c.pio();
    const int64_t limit = state_.timeoutMs > 0 ? int64_t(state_.timeoutMs) * 10 : -1;
    units = 0;
    while (pio.isNotReady()) {
        timing_.delay100us();
        ++units;
        if (session_.breakRequested || session_.closing) return Wait::Break;
        if (limit > 0 && int64_t(units) > limit) return Wait::TimedOut;
    }
    return Wait::Ready;
}

ScnThread::Wait ScnThread::timerWait(uint64_t& units) {
    const bool inTime = wake_.waitForDrive();
    units = state_.blockTime;
    if (session_.breakRequested || session_.closing) return Wait::Break;
    return inTime ? Wait::Ready : Wait::TimedOut;
}

uint64_t ScnThread::unitsOf(uint64_t clockTicks) const {
    const auto& clock = timing_.state();
    if (clock.commonClockIsTsc) {
        const uint64_t perUnit = setup_.polls ? clock.ticksPer100us : clock.ticksPerMs;
        return clockTicks / std::max<uint64_t>(perUnit, 1);
    }
    return setup_.polls ? clockTicks * 10 : clockTicks; // milliseconds
}

ScnThread::Outcome ScnThread::pioData(WorkerContext& c, uint16_t bs, uint64_t& units) {
    access::PioProtocol& pio = c.pio();
    const bool reading = state_.scanMode == ScanMode::Read;
    const uint64_t t1 = timing_.commonNow();
    for (uint16_t i = 0; i < bs; ++i) {
        if (breakWithLoops(c)) return Outcome::Abort;
        if (pio.waitDataRequest()) {
            if (reading)
                pio.pioReadSector32();
            else
                pio.pioWriteSector32();
        }
        if (pio.waitNotBusy() == -1) {
            pio.softReset();
            return Outcome::Bad; // error code 0: shown as a time-out
        }
    }
    units += unitsOf(std::max<uint64_t>(timing_.commonNow() - t1, 1));
    return Outcome::Good;
}

// Each sector read, then written back with WRITE LONG and its 8 bytes of zeros, so the drive
// writes it anew. A sector that fails stops the block; its error register decides the class.
ScnThread::Outcome ScnThread::longWrite(WorkerContext& c, uint16_t bs, uint64_t lba) {
    access::PioProtocol& pio = c.pio();
    access::DriveCommands& drive = c.drive();
    uint16_t* sector = session_.buffers.sectorBuffer;
    for (uint32_t i = 0; i < bs; ++i) {
        const uint64_t at = lba + i;
        longWriteIndex_ = i;
        longWriteLba_ = at;
        c.step(showLongWrite_);
        if (breakWithLoops(c)) return Outcome::Abort;
        std::fill(sector, sector + 260, uint16_t(0));
        if (pio.waitNotBusy() == -1) break;
        if (!drive.issueSectorCommand(nullptr, 1, 0x20, at)) break;
        int polls = 0;
        while (pio.isBusy() && polls <= 2000) {
            timing_.delay100us();
            ++polls;
        }
        if (polls > 2000) {
            pio.softReset();
            pio.waitNotBusy();
            break;
        }
        if (pio.readErrorIfAny() != 0 || !pio.waitDataRequest()) break;
        pio.pioReadSector();
        if (!drive.issueSectorCommand(nullptr, 1, 0x32, at)) break;
        if (pio.waitNotBusy() == -1) break;
        if (!pio.waitDataRequest()) break;
        pio.pioWriteWords(sector, 260);
        if (pio.waitNotBusy() == -1) break;
    }
    return Outcome::Good;
}

} // namespace korvane::tests
