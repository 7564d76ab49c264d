#include "tests/DefectHandler.h"

#include "access/ErrorText.h"

#include <cstring>

namespace korvane::tests {

namespace {
std::string lbaText(uint64_t lba) { return std::to_string(lba); }
} // namespace

DefectHandler::DefectHandler(DefectHandlerContext c) : c_(std::move(c)), page_(c_.page), state_(c_.state) {}

char DefectHandler::mapCode(uint16_t error) {
    switch (error) {
    case 1: return 'A';
    case 2: return '0';
    case 4: return '!';
    case 16: return 'S';
    case 64: return 'x';
    case 72: return '#';
    case 73: return '.';
    case 128: return '*';
    case 129: return 'D';
    default: return 'T';
    }
}

void DefectHandler::report(uint64_t lba) {
    if (state_.blockError == 129)
        c_.log("Block " + lbaText(lba) + " - data distortion! " + state_.distortionText, 0, 4);
    else if (page_.ErLogBxErr.checked())
        c_.log("Block " + lbaText(lba) + access::errorText(state_.blockError), 0, 4);
    ++state_.errorCount;
    page_.ErLab.setCaption(std::to_string(state_.errorCount));
}

void DefectHandler::handleBadBlock(uint64_t lba, uint16_t size) {
    if (size == 0) size = 1;
    if (!state_.defectoscope) report(lba); // the survey reports sector by sector instead
    state_.cellCode = mapCode(state_.blockError);
    c_.ui.processEvents();
    switch (DefectAction(page_.ScRemapGroup.itemIndex())) {
    case DefectAction::Ignore:
        if (!api() && state_.defectoscope) survey(lba, size);
        break;
    case DefectAction::Remap: remap(lba, size); break;
    case DefectAction::Erase: erase(lba, size); break;
    case DefectAction::Restore:
        if (api())
            restoreApi(lba, size);
        else
            restorePio(lba, size);
        break;
    }
    page_.DftMeter.setPosition(0);
}

bool DefectHandler::nextSector(uint64_t lba, uint32_t i) {
    c_.ui.processEvents();
    page_.DftMeter.setPosition(int(i));
    page_.LbaOut.setText(lbaText(lba + i));
    return !breakLoop();
}

// Forward order continues with the sector after the treated one: the advance adds the block
// size to this. A reverse scan keeps its position (the same arithmetic there would leave the
// sectors between the treated one and the block's start unscanned); random and butterfly orders
// take their next position from elsewhere anyway.
void DefectHandler::resumeAfter(uint64_t lba, uint16_t size, uint32_t i) {
    if (state_.direction == ScanDirection::Reverse) {
        state_.curLba = lba;
        return;
    }
    state_.curLba = lba + i + 1 - size; // modular: lba + i + 1 - size + size is the next sector
}

uint8_t DefectHandler::finishPioRead(bool waited) {
    uint8_t e = c_.pio.readErrorIfAny();
    if (waited && e == 0 && c_.pio.waitDataRequest()) {
        c_.pio.pioReadSector();
        return c_.pio.readErrorIfAny();
    }
    c_.pio.softReset();
    return e;
}

// ---------------------------------------------------------------------------------------------
// Ignore with Defectoscop: every sector read alone, the first bad one reported.
// ---------------------------------------------------------------------------------------------

void DefectHandler::survey(uint64_t lba, uint16_t size) {
    state_.mapNonLinear = true;
    int64_t t = 0;
    uint8_t error = uint8_t(state_.blockError);
    for (uint32_t i = 0; i < size; ++i) {
        if (!nextSector(lba, i)) return;
        bool bad = true; // a drive still busy from the sector before: t and the error stay its
        if (c_.pio.waitNotBusy() != -1) {
            c_.commands.issueSectorCommand(nullptr, 1, 0x20, lba + i);
            t = c_.pio.waitNotBusy();
            error = finishPioRead(t != -1);
            state_.blockError = error;
            bad = t == -1 || error != 0 || (state_.timeoutMs > 0 && t > state_.timeoutMs / 2);
        }
        if (!bad) continue;
        // The wait counts 0.1 ms steps; the line says milliseconds, so it shows them as such.
        char ms[32];
        std::snprintf(ms, sizeof ms, "%lld.%lld", (long long)(std::max<int64_t>(t, 0) / 10),
                      (long long)(std::max<int64_t>(t, 0) % 10));
        c_.log(error == 0 ? "Sector " + lbaText(lba + i) + ": timeout " + ms + " ms"
                          : "Sector " + lbaText(lba + i) + ": " + access::errorText(error),
               0, 4);
        c_.pio.waitNotBusy();
        state_.cellCode = 'N';
        ++state_.errorCount;
        page_.ErLab.setCaption(std::to_string(state_.errorCount));
        resumeAfter(lba, size, i);
        form::waitRunningEvents(c_.ui, c_.timing.clock(), 700);
        c_.pio.waitNotBusy();
        return;
    }
}

// ---------------------------------------------------------------------------------------------
// Remap: the first unreadable sector gets the "REMAP!!!" pattern, so the drive reassigns it.
// ---------------------------------------------------------------------------------------------

bool DefectHandler::readSector(uint64_t lba) {
    if (!api()) return c_.commands.readOneSector(lba);
    const uint32_t bps = c_.session.bytesPerSector;
    return c_.api.apiReadSectors(state_.handle, 1, c_.session.buffers.transferBuffer(), bps, lba) == bps;
}

bool DefectHandler::writeRemapPattern(uint64_t lba) {
    c_.commands.fillRemapPattern();
    if (!api()) return c_.commands.writeOneSector(lba);
    // The scan's own handle (opened for writing): a larger sector carries the pattern throughout.
    const uint32_t bps = c_.session.bytesPerSector;
    uint8_t* sector = c_.session.buffers.transferBuffer();
    for (uint32_t at = 0; at < bps; at += 512) std::memcpy(sector + at, c_.session.buffers.sectorBytes(), std::min(512u, bps - at));
    return c_.api.apiWriteSectors(state_.handle, 1, sector, bps, lba) == bps;
}

void DefectHandler::remap(uint64_t lba, uint16_t size) {
    state_.mapNonLinear = true;
    for (uint32_t i = 0; i < size; ++i) {
        if (!nextSector(lba, i)) return;
        if (readSector(lba + i)) continue;
        const std::string n = lbaText(lba + i);
        c_.log("LBA " + n + " try REMAR...", 1, 1);
        state_.cellCode = 'R';
        if (writeRemapPattern(lba + i))
            c_.log("LBA " + n + " try REMAP... complete", 1, 3);
        else
            c_.log("LBA " + n + " try REMAP... Error", 1, 4);
        resumeAfter(lba, size, i);
        return;
    }
}

// ---------------------------------------------------------------------------------------------
// Erase: zeros over the block, sector by sector, then one verify of the whole block.
// ---------------------------------------------------------------------------------------------

bool DefectHandler::writeZeros(uint64_t lba) {
    auto& pio = c_.pio;
    if (!api()) {
        if (pio.waitNotBusy() == -1) return false;
        if (!c_.commands.issueSectorCommand(nullptr, 1, 0x30, lba)) return false;
        const bool sent = pio.waitNotBusy() != -1 && pio.waitDataRequest() && pio.pioWriteSector();
        pio.waitNotBusy();
        return sent;
    }
    const uint32_t bps = c_.session.bytesPerSector;
    uint8_t* sector = c_.session.buffers.transferBuffer();
    std::memset(sector, 0, bps);
    return c_.api.apiWriteSectors(state_.handle, 1, sector, bps, lba) == bps;
}

bool DefectHandler::verifyBlock(uint64_t lba, uint16_t size) {
    if (api()) return c_.api.issueSectorCommand(state_.handle, size, 0x40, lba);
    if (!c_.commands.issueSectorCommand(nullptr, size, 0x40, lba)) return false;
    return c_.pio.waitNotBusy() != -1 && c_.pio.readErrorIfAny() == 0;
}

void DefectHandler::erase(uint64_t lba, uint16_t size) {
    const std::string range = lbaText(lba) + ".." + lbaText(lba + size - 1);
    const std::string head = "Block " + lbaText(lba) + " try Erase " + std::to_string(size) + " sectors";
    c_.log(head + " (" + range + ")...", 1, 4);
    for (uint32_t i = 0; i < size; ++i) {
        if (!nextSector(lba, i)) return;
        c_.commands.clearSectorBuffer(259);
        writeZeros(lba + i); // a wait that times out skips the sector; the verify tells
        state_.cellCode = 'W';
    }
    if (verifyBlock(lba, size)) {
        c_.log(head + "(" + range + ")... complete", 1, 1);
    } else {
        state_.cellCode = 'x';
        c_.log(head + "(" + range + ")... Fail", 1, 4);
    }
}

// ---------------------------------------------------------------------------------------------
// Restore: the data read back and written in place.
// ---------------------------------------------------------------------------------------------

void DefectHandler::restoreApi(uint64_t lba, uint16_t size) {
    const std::string head = "Block " + lbaText(lba) + " try RESTORE...";
    c_.log(head, 0, 4);
    page_.LbaOut.setText(lbaText(lba));
    const uint32_t bps = c_.session.bytesPerSector;
    const uint64_t bytes = uint64_t(size) * bps;
    uint8_t* data = c_.session.buffers.transferBuffer();
    bool ok = bytes <= access::SharedBuffers::kTransferBytes &&
              c_.api.apiReadSectors(state_.handle, size, data, bps, lba) == bytes &&
              c_.api.apiWriteSectors(state_.handle, size, data, bps, lba) == bytes;
    state_.cellCode = ok ? '+' : 'x';
    c_.log(head + (ok ? " OK" : " Fail"), 1, ok ? 3 : 4);
}

void DefectHandler::restorePio(uint64_t lba, uint16_t size) {
    if (lba > 0x0FFFFFFE) return; // READ LONG has no 48-bit form
    state_.mapNonLinear = true;
    auto& pio = c_.pio;
    int64_t failed = -1;
    for (uint32_t i = 0; i < size && failed < 0; ++i) {
        if (!nextSector(lba, i)) return;
        if (pio.waitNotBusy() == -1) {
            failed = i;
            break;
        }
        c_.commands.issueSectorCommand(nullptr, 1, 0x20, lba + i);
        for (uint64_t polls = 0; pio.isBusy();) {
            c_.ui.processEvents();
            c_.timing.delay100us();
            if (breakLoop()) return;
            if (state_.timeoutMs > 0 && ++polls > uint64_t(state_.timeoutMs) * 10) {
                failed = i;
                break;
            }
        }
        if (failed < 0 && finishPioRead(true) != 0) failed = i;
    }
    if (failed < 0) return; // every sector reads: the block keeps its code
    const uint32_t i = uint32_t(failed);
    pio.softReset();
    if (pio.waitNotBusy() == -1) {
        state_.cellCode = 'T';
        c_.log("[ Hint ] Try increase timeout of BUSY on 'Setup' page", 1, 4);
        resumeAfter(lba, size, i);
        return;
    }
    state_.cellCode = 'L';
    const uint32_t count = uint32_t(std::max<int64_t>(1, c_.readLongBox.value()));
    const std::string head = "LBA " + lbaText(lba + i) + " try Read-long " + std::to_string(count) + " sectors...";
    c_.log(head, 1, 4);
    const uint32_t rewritten = readLongAndRewrite(lba + i, count);
    // "OK" only when every sector got its data back: a drive that refuses READ LONG or the write
    // leaves the sectors as they were.
    if (rewritten == count)
        c_.log(head + " OK", 1, 3);
    else
        c_.log(head + " Error: " + std::to_string(count - rewritten) + " of " + std::to_string(count) +
                   " sectors not rewritten", 1, 4);
    resumeAfter(lba, size, i);
}

// Each sector gets its own data back as READ LONG delivers it; a sector whose READ LONG gives
// nothing is not written (the buffer would hold another sector's data).
uint32_t DefectHandler::readLongAndRewrite(uint64_t from, uint32_t count) {
    auto& pio = c_.pio;
    uint16_t* words = c_.session.buffers.sectorBuffer;
    uint32_t rewritten = 0;
    for (uint32_t j = 0; j < count; ++j) {
        const uint64_t m = from + j;
        page_.LbaOut.setText(lbaText(m));
        if (!c_.commands.issueSectorCommand(nullptr, 1, 0x23, m)) continue;
        if (pio.waitNotBusy() == -1 || !pio.waitDataRequest()) continue;
        pio.pioReadWords(words, 260);
        if (pio.waitNotBusy() == -1) continue;
        if (!c_.commands.issueSectorCommand(nullptr, 1, 0x30, m)) continue;
        if (pio.waitNotBusy() != -1 && pio.waitDataRequest() && pio.pioWriteSector()) ++rewritten;
    }
    return rewritten;
}

} // namespace korvane::tests
