#pragma once
#include <cstddef>
#include <cstdint>

namespace korvane::tests {

// What the worker measured for one block, handed to the UI thread.
struct BlockResult {
    uint64_t lba = 0;
    uint64_t time = 0;    // in timing units (ScanState::classLimits.unitsPerMs a millisecond)
    uint64_t clockAt = 0; // the scan clock when the block ended, for the rate samples
    uint16_t size = 0;
    uint16_t error = 0;
    bool bad = false;
    char jumpMark = 0; // '>' or '<' when a jump happened during the block
};

// The UI steps of the surface scan worker. Each runs on the UI thread while the worker waits.
// Good blocks are handed over in batches: one step for all the blocks measured since the last
// one, at least every few tens of milliseconds, at once for a bad block (which ends its batch and
// is treated before the worker moves on), and before the worker is held by a pause or a command.
class ScanSteps {
public:
    virtual ~ScanSteps() = default;
    // The worker runs: the device selection is locked.
    virtual void workerStarted() = 0;
    // Blocks in the order scanned; only the last one can be bad.
    virtual void blocks(const BlockResult* results, size_t count) = 0;
    // Long writing: sector i + 1 of the block at `lba` is being rewritten.
    virtual void longWriteSector(uint32_t index, uint64_t lba) = 0;
    // The range is done.
    virtual void finished() = 0;
    // The end action; true when a loop pass took over, so the worker ends without its results.
    virtual bool endAction() = 0;
    // The results line, the clean-up of the scan and the title.
    virtual void results() = 0;
    // After the results: "Shutdown PC" when the scan was not broken off.
    virtual void shutdownIfAsked() = 0;
};

} // namespace korvane::tests
