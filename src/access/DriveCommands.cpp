#include "access/DriveCommands.h"

#include "platform/AtaCommandTable.h"

#include <cstring>

namespace korvane::access {

DriveCommands::DriveCommands(DriveSession& session, PioProtocol& pio, WorkerGate& gate, form::MainForm& form,
                             platform::Clock& clock)
    : session_(session), pio_(pio), gate_(gate), form_(form), clock_(clock) {}

uint8_t DriveCommands::code48(uint8_t command) { return platform::ataCommand(command).twin48; }

bool DriveCommands::issueSectorCommand(platform::DiskHandle* handle, uint16_t count, uint8_t command, uint64_t lba) {
    session_.lba28Overflow = false;
    if (session_.accessMode == AccessMode::Api) return api_ && api_->issueSectorCommand(handle, count, command, lba);
    const platform::AtaCommandInfo& info = platform::ataCommand(command);
    if (session_.lba48 && (info.twin48 || info.addressed)) {
        // An addressed command without a 48-bit form is refused, never sent as another code.
        if (!info.twin48) return false;
        uint16_t low, mid, high;
        PioProtocol::lba48Pairs(lba, low, mid, high);
        pio_.writeTaskFile48(0, count, low, mid, high, 0xE0, info.twin48);
        return true;
    }
    if (session_.lba48) {
        // Without an address there is nothing 48-bit about it: it goes as it is.
        pio_.writeTaskFile28(0, uint8_t(count), 0, 0, 0, 0xE0, command);
        return true;
    }
    if (lba > 0x0FFFFFFF) {
        // A refused 28-bit address costs a pause, so a scan running past the limit cannot spin.
        clock_.sleepMs(500);
        session_.lba28Overflow = true;
        return false;
    }
    pio_.writeTaskFile28(0, uint8_t(count), uint8_t(lba), uint8_t(lba >> 8), uint8_t(lba >> 16),
                         uint8_t(0xE0 | ((lba >> 24) & 0x0F)), command);
    return true;
}

bool DriveCommands::pioReadOne(uint64_t lba, bool second) {
    if (pio_.waitNotBusy() == -1) return false;
    if (!issueSectorCommand(nullptr, 1, 0x20, lba)) return false;
    if (pio_.waitNotBusy() == -1) return false;
    if (!pio_.waitDataRequest()) return false;
    if (!(second ? pio_.pioReadSector2() : pio_.pioReadSector())) return false;
    return pio_.readErrorIfAny() == 0;
}

bool DriveCommands::readOneSector(uint64_t lba) {
    if (session_.accessMode == AccessMode::Api)
        return api_ && api_->readOneSector(session_.buffers.sectorBytes(), lba);
    return pioReadOne(lba, false);
}

bool DriveCommands::readOneSector2(uint64_t lba) {
    if (session_.accessMode == AccessMode::Api) return api_ && api_->readOneSector(session_.buffers.sectorBuffer2, lba);
    return pioReadOne(lba, true);
}

bool DriveCommands::writeOneSector(uint64_t lba) {
    if (session_.accessMode == AccessMode::Api)
        return api_ && api_->writeOneSector(session_.buffers.sectorBytes(), lba);
    if (pio_.waitNotBusy() == -1) return false;
    bool r1 = issueSectorCommand(nullptr, 1, 0x30, lba);
    if (pio_.waitNotBusy() == -1) return false;
    if (!pio_.waitDataRequest()) return false;
    if (!pio_.pioWriteSector()) return false;
    // A verify of the written sector follows; its own status is not examined.
    bool r2 = issueSectorCommand(nullptr, 1, 0x40, lba);
    if (pio_.waitNotBusy() == -1) return false;
    return r1 && r2;
}

void DriveCommands::fillRemapPattern() {
    clearSectorBuffer(259);
    uint8_t* bytes = session_.buffers.sectorBytes();
    for (int i = 0; i < 64; ++i) std::memcpy(bytes + 8 * i, "REMAP!!!", 8);
}

void DriveCommands::clearSectorBuffer(size_t lastWord) {
    for (size_t i = 0; i <= lastWord && i < 2049; ++i) session_.buffers.sectorBuffer[i] = 0;
}

void DriveCommands::clearBreak() {
    session_.breakRequested = false;
    if (onClearBreak) onClearBreak();
    form_.commands.BreakLed.setColour(form::colours::Grey);
    form_.Application.setCaption("Korvane ");
}

} // namespace korvane::access

namespace korvane::access {

void DriveCommands::requestBreak() {
    session_.breakRequested = true;
    form_.commands.BreakLed.setColour(form::colours::Lime);
    if (onBreak) onBreak();
}

} // namespace korvane::access
