#pragma once
#include "access/ApiAccess.h"
#include "access/DriveCommands.h"
#include "access/DriveSession.h"
#include "access/LogFn.h"
#include "access/PioProtocol.h"
#include "access/Timing.h"
#include "form/MainForm.h"
#include "form/UiThread.h"
#include "tests/ScanState.h"

#include <cstdint>

namespace korvane::tests {

struct DefectHandlerContext {
    form::TestsPage& page;
    form::SpinEdit& readLongBox; // "Long-read actions count:"
    ScanState& state;
    access::DriveSession& session;
    access::PioProtocol& pio;
    access::DriveCommands& commands;
    access::ApiAccess& api;
    access::Timing& timing;
    form::UiThread& ui;
    access::LogFn log;
};

enum class DefectAction { Ignore = 0, Remap = 1, Erase = 2, Restore = 3 };

// A block of the surface scan that failed: its report, its map code and its treatment. The
// treatments write to the drive, so each works on the block it was given, whatever a jump does to
// the scan position meanwhile, and writes only the sectors its rule names.
class DefectHandler {
public:
    explicit DefectHandler(DefectHandlerContext c);

    // The map letter of a bad block's error code.
    static char mapCode(uint16_t error);

    // UI step: reports the block of `size` sectors at `lba` (its error in state.blockError) and
    // applies the treatment chosen in the Tests page's group. It may move the scan position so the
    // scan goes on after the sector it treated.
    void handleBadBlock(uint64_t lba, uint16_t size);

private:
    void report(uint64_t lba);
    // Between two sectors: the window runs, the meter and position show sector i; false on a Break
    // that may end inner loops.
    bool nextSector(uint64_t lba, uint32_t i);
    bool breakLoop() const { return c_.session.breakRequested && c_.session.breakLoopsEnabled; }
    // The scan goes on with the sector after lba + i.
    void resumeAfter(uint64_t lba, uint16_t size, uint32_t i);
    // A PIO read of one sector already issued: its error, read before any reset clears it.
    uint8_t finishPioRead(bool waited);
    bool api() const { return c_.session.accessMode == access::AccessMode::Api; }

    void survey(uint64_t lba, uint16_t size);
    void remap(uint64_t lba, uint16_t size);
    bool readSector(uint64_t lba);
    bool writeRemapPattern(uint64_t lba);
    void erase(uint64_t lba, uint16_t size);
    bool writeZeros(uint64_t lba);
    bool verifyBlock(uint64_t lba, uint16_t size);
    void restoreApi(uint64_t lba, uint16_t size);
    void restorePio(uint64_t lba, uint16_t size);
    uint32_t readLongAndRewrite(uint64_t from, uint32_t count); // the sectors rewritten

    DefectHandlerContext c_;
    form::TestsPage& page_;
    ScanState& state_;
};

} // namespace korvane::tests
