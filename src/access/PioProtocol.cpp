#include "access/PioProtocol.h"

#include "access/ErrorText.h"
#include "access/TaskFile.h"

#include <cstdio>
#include <cstring>

namespace korvane::access {

namespace {
constexpr uint8_t kReadyMask = 0xD8, kReadyPattern = 0x50;
constexpr form::Colour kFuchsia = 0xFF00FF;

std::string hex2(uint8_t v) {
    char t[4];
    std::snprintf(t, sizeof t, "%02X", v);
    return t;
}

std::string hexPort(uint16_t v) {
    char t[8];
    std::snprintf(t, sizeof t, "%X", v);
    return t;
}
} // namespace

PioProtocol::PioProtocol(platform::PortIo& ports, DriveSession& session, Timing& timing, form::UiThread& ui,
                         Panels panels, LogFn log)
    : ports_(ports), session_(session), timing_(timing), ui_(ui), panels_(panels), log_(std::move(log)) {}

void PioProtocol::processEvents() {
    if (ui_.isUiThread()) ui_.processEvents();
}

// ------------------------------------------------------------------------------------------
// Waits: each takes the ATA clock once as its start; deadlines compare as signed 64-bit values.
// ------------------------------------------------------------------------------------------

int64_t PioProtocol::waitNotBusy() {
    int64_t start = int64_t(timing_.ataNow());
    int64_t deadline = start + session_.bsyTimeout;
    for (int64_t now = start; now < deadline; now = int64_t(timing_.ataNow())) {
        if (session_.closing) return 1;
        if (!(readStatus() & status::BSY)) {
            uint32_t per100us = timing_.state().ticksPer100us ? timing_.state().ticksPer100us : 1;
            return (int64_t(timing_.ataNow()) - start) / int64_t(per100us);
        }
        processEvents();
    }
    return -1;
}

bool PioProtocol::waitDataRequest() {
    int64_t deadline = int64_t(timing_.ataNow()) + session_.drqTimeout;
    while (int64_t(timing_.ataNow()) < deadline) {
        if (session_.closing) return false;
        if (ports_.inb(base(7)) & status::DRQ) return true;
    }
    return false;
}

bool PioProtocol::waitDriveReady() {
    updateStatusPanel();
    if (session_.ignoreDrdy) return true;
    log_("Waiting of readiness...", 0, 1);
    selectDevice();
    int64_t deadline = int64_t(timing_.ataNow()) + session_.drdyTimeout;
    for (;;) {
        processEvents();
        uint8_t s = readStatus();
        updateStatusPanel();
        if (int64_t(timing_.ataNow()) > deadline || session_.closing) break;
        if ((s & kReadyMask) == kReadyPattern) {
            if (!registerEchoTest()) {
                // Without this line a caller that says nothing more leaves the wait unexplained.
                log_("Waiting of readiness... No device answers at port " + hexPort(session_.pioBasePort) + "h", 1, 4);
                return false;
            }
            log_("Waiting of readiness... Drive is ready", 1, 1);
            return true;
        }
    }
    log_("Waiting of readiness... Drive not ready!", 1, 4);
    if (waitDataRequest() && !isBusy()) log_("[ATA protocol] DRQ!!! Press RESET or restart HDD!", 1, 4);
    speakerBeep(500, 200);
    return false;
}

bool PioProtocol::waitReadyBreakable(uint32_t ms) {
    int64_t start = int64_t(timing_.ataNow());
    int64_t deadline = ms == 0 ? 0x0FFFFFFFFFFFFFFFll
                               : start + int64_t(ms) * (session_.ataClockIsTsc ? int64_t(timing_.state().ticksPerMs) : 1);
    while (int64_t(timing_.ataNow()) < deadline) {
        uint8_t s = readStatus();
        if (!(s & status::BSY) && (s & status::DRDY)) return true;
        processEvents();
        if (session_.breakRequested && session_.breakLoopsEnabled) return false;
        if (session_.closing) return false;
    }
    return false;
}

bool PioProtocol::isBusy() { return readStatus() & status::BSY; }

bool PioProtocol::answersAfterTransfer() { return (readStatus() & (status::BSY | status::DRDY)) == status::DRDY; }

bool PioProtocol::isReady() { return (readStatus() & 0xD0) == 0x50; }

bool PioProtocol::isNotReady() { return (readStatus() & 0xF0) != 0x50; }

// ------------------------------------------------------------------------------------------
// Registers and commands
// ------------------------------------------------------------------------------------------

void PioProtocol::selectDevice() {
    uint8_t d = ports_.inb(base(6));
    ports_.outb(base(6), uint8_t((d & 0xEF) | session_.deviceSelectBit));
}

uint8_t PioProtocol::readErrorIfAny() {
    selectDevice();
    if (!(readStatus() & status::ERR)) return 0;
    return ports_.inb(base(1));
}

void PioProtocol::writeTaskFile28(uint8_t features, uint8_t count, uint8_t lbaLow, uint8_t lbaMid, uint8_t lbaHigh,
                                  uint8_t device, uint8_t command) {
    ports_.outb(base(6), uint8_t((device & 0xEF) | session_.deviceSelectBit));
    ports_.outb(base(1), features);
    ports_.outb(base(2), count);
    ports_.outb(base(3), lbaLow);
    ports_.outb(base(4), lbaMid);
    ports_.outb(base(5), lbaHigh);
    ports_.outb(base(7), command);
}

void PioProtocol::writeTaskFile48(uint16_t features, uint16_t count, uint16_t lbaLow, uint16_t lbaMid,
                                  uint16_t lbaHigh, uint8_t device, uint8_t command) {
    ports_.outb(base(6), uint8_t((device & 0xEF) | session_.deviceSelectBit));
    const uint16_t pairs[5] = {features, count, lbaLow, lbaMid, lbaHigh};
    for (int i = 0; i < 5; ++i) ports_.outb(base(uint16_t(1 + i)), uint8_t(pairs[i] >> 8));
    for (int i = 0; i < 5; ++i) ports_.outb(base(uint16_t(1 + i)), uint8_t(pairs[i]));
    ports_.outb(base(7), command);
}

void PioProtocol::writeTaskFile(const platform::TaskFile& tf, bool ext) {
    if (!ext) return writeTaskFile28(tf.features, tf.count, tf.lbaLow, tf.lbaMid, tf.lbaHigh, tf.device, tf.command);
    auto pair = [](uint8_t prev, uint8_t cur) { return uint16_t(prev << 8 | cur); };
    writeTaskFile48(pair(tf.prevFeatures, tf.features), pair(tf.prevCount, tf.count), pair(tf.prevLbaLow, tf.lbaLow),
                    pair(tf.prevLbaMid, tf.lbaMid), pair(tf.prevLbaHigh, tf.lbaHigh), tf.device, tf.command);
}

bool PioProtocol::sendNonDataCommand(const platform::TaskFile& tf) {
    return sendNonDataCommand(tf.features, tf.count, tf.lbaLow, tf.lbaMid, tf.lbaHigh, tf.device, tf.command);
}

void PioProtocol::lba48Pairs(uint64_t lba, uint16_t& low, uint16_t& mid, uint16_t& high) {
    low = uint16_t(((lba >> 24) & 0xFF) << 8 | (lba & 0xFF));
    mid = uint16_t(((lba >> 32) & 0xFF) << 8 | ((lba >> 8) & 0xFF));
    high = uint16_t(((lba >> 40) & 0xFF) << 8 | ((lba >> 16) & 0xFF));
}

uint64_t PioProtocol::readTaskFileLba() {
    if (!session_.lba48)
        return uint64_t(ports_.inb(base(3))) | uint64_t(ports_.inb(base(4))) << 8 |
               uint64_t(ports_.inb(base(5))) << 16 | uint64_t(ports_.inb(base(6)) & 0x0F) << 24;
    uint64_t low = uint64_t(ports_.inb(base(3))) | uint64_t(ports_.inb(base(4))) << 8 |
                   uint64_t(ports_.inb(base(5))) << 16;
    ports_.outb(session_.pioAltPort, 0x80);
    uint64_t high = uint64_t(ports_.inb(base(3))) | uint64_t(ports_.inb(base(4))) << 8 |
                    uint64_t(ports_.inb(base(5))) << 16;
    ports_.outb(session_.pioAltPort, 0x00);
    return low | high << 24;
}

bool PioProtocol::sendNonDataCommand(uint8_t features, uint8_t count, uint8_t lbaLow, uint8_t lbaMid,
                                     uint8_t lbaHigh, uint8_t device, uint8_t command) {
    if (waitNotBusy() == -1) return false;
    writeTaskFile28(features, count, lbaLow, lbaMid, lbaHigh, device, command);
    if (waitNotBusy() == -1) return false;
    return readErrorIfAny() == 0;
}

void PioProtocol::softReset() {
    if (session_.accessMode != AccessMode::Pio) return;
    ports_.outb(session_.pioAltPort, 0x04);
    timing_.clock().sleepMs(1);
    ports_.outb(session_.pioAltPort, 0x00);
}

bool PioProtocol::driveReset() {
    if (session_.accessMode != AccessMode::Pio) return false;
    log_("Drive reset...", 0, 1);
    processEvents();
    softReset();
    if (session_.deviceSelectBit) timing_.clock().sleepMs(500);
    selectDevice();
    if (waitNotBusy() == -1) {
        log_("Drive reset... timeout", 1, 4);
        return false;
    }
    uint8_t e = readErrorIfAny();
    if (e != 0) {
        log_(errorText(e), 1, 4);
        return false;
    }
    log_("Reset OK", 1, 1);
    return true;
}

bool PioProtocol::registerEchoTest() {
    if (session_.ignoreDrdy) return true;
    auto& clock = timing_.clock();
    ports_.outb(base(2), 0x55);
    clock.sleepMs(3);
    bool first = ports_.inb(base(2)) == 0x55;
    clock.sleepMs(4);
    ports_.outb(base(3), 0xAA);
    clock.sleepMs(5);
    bool second = ports_.inb(base(3)) == 0xAA;
    return first && second;
}

// ------------------------------------------------------------------------------------------
// Data phase: one string transfer a sector
// ------------------------------------------------------------------------------------------

bool PioProtocol::readSectorInto(uint16_t* words) {
    session_.readActive = true;
    ports_.insw(base(0), words, 256);
    bool ok = waitNotBusy() != -1 && readErrorIfAny() == 0;
    session_.readActive = false;
    return ok;
}

bool PioProtocol::pioReadSector() { return readSectorInto(session_.buffers.sectorBuffer); }

bool PioProtocol::pioReadSector2() {
    // The second buffer is bytes: the words arrive in a word buffer and are copied, not aliased.
    uint16_t words[256];
    bool ok = readSectorInto(words);
    std::memcpy(session_.buffers.sectorBuffer2, words, sizeof words);
    return ok;
}

bool PioProtocol::pioWriteSector() {
    session_.writeActive = true;
    ports_.outsw(base(0), session_.buffers.sectorBuffer, 256);
    bool ok = waitNotBusy() != -1 && readErrorIfAny() == 0;
    session_.writeActive = false;
    return ok;
}

void PioProtocol::pioReadSector32() {
    session_.readActive = true;
    ports_.insd(base(0), session_.buffers.dwordBuffer, 128);
    session_.readActive = false;
}

void PioProtocol::pioWriteSector32() {
    session_.writeActive = true;
    ports_.outsd(base(0), session_.buffers.dwordBuffer, 128);
    session_.writeActive = false;
}

void PioProtocol::pioReadWords(uint16_t* words, size_t count) {
    session_.readActive = true;
    ports_.insw(base(0), words, count);
    session_.readActive = false;
}

void PioProtocol::pioWriteWords(const uint16_t* words, size_t count) {
    session_.writeActive = true;
    ports_.outsw(base(0), words, count);
    session_.writeActive = false;
}

// ------------------------------------------------------------------------------------------
// The register panel
// ------------------------------------------------------------------------------------------

void PioProtocol::updateStatusPanel() {
    // A worker's waits leave the panel to the UI thread's indicator timer.
    if (!ui_.isUiThread()) return;
    auto& reg = panels_.registers;
    uint8_t s = ports_.inb(session_.pioAltPort);
    auto lamp = [&](size_t i, bool on, form::Colour colour) {
        reg.status[i].shape.setColour(on ? colour : form::colours::Black);
    };
    if (s != lastStatus_) {
        lastStatus_ = s;
        reg.StatusRegLabel.setCaption(hex2(s));
        if (s & status::BSY) {
            // While busy the other bits mean nothing: only BUSY, DRQ and ERR repaint.
            busyLamp_ = true;
            lamp(0, true, form::colours::Lime);
            lamp(4, false, 0);
            lamp(7, false, 0);
            return;
        }
        busyLamp_ = false;
        lamp(0, false, 0);
        lamp(1, s & status::DRDY, form::colours::Blue);
        lamp(2, s & status::WRF, form::colours::Red);
        lamp(3, s & status::DSC, form::colours::Blue);
        lamp(4, s & status::DRQ, kFuchsia);
        reg.status[5].label.setFontColour((s & status::CORR) ? form::colours::Blue : form::colours::White);
        reg.status[6].label.setFontColour((s & status::IDX) ? form::colours::Yellow : form::colours::White);
        lamp(7, s & status::ERR, form::colours::Red);
        return;
    }
    if (s & status::BSY) return;
    uint8_t e = ports_.inb(base(1));
    if (e == lastError_) return;
    lastError_ = e;
    reg.ErrorRegLabel.setCaption(hex2(e));
    const uint8_t bits[6] = {error::BBK, error::UNC, error::IDNF, error::ABRT, error::T0NF, error::AMNF};
    for (size_t i = 0; i < 6; ++i)
        reg.error[i].label.setFontColour((e & bits[i]) ? form::colours::Red : form::colours::Grey);
}

void PioProtocol::dimStatusPanel() {
    if (!ui_.isUiThread()) return;
    for (auto& l : panels_.registers.status) {
        l.shape.setColour(form::colours::Black);
        l.label.setFontColour(form::colours::Grey);
    }
    for (auto& l : panels_.registers.error) l.label.setFontColour(form::colours::Grey);
}

void PioProtocol::lightStatusPanel() {
    if (!ui_.isUiThread()) return;
    for (auto& l : panels_.registers.status) l.label.setFontColour(form::colours::White);
    lastStatus_ = lastError_ = 0;
}

void PioProtocol::updateRegisterMonitor() {
    if (!ui_.isUiThread() || !panels_.registryMonitor.visible() || isBusy()) return;
    for (uint16_t r = 1; r <= 7; ++r) panels_.registryMonitor.R[r - 1].setCaption(hex2(ports_.inb(base(r))));
}

// ------------------------------------------------------------------------------------------
// Other ports
// ------------------------------------------------------------------------------------------

void PioProtocol::powerProbe() {
    if (!ui_.isUiThread() || session_.pioBasePort > 0xFFFF - 0x16) return; // base + 16h would wrap
    uint8_t v = ports_.inb(base(0x16));
    panels_.powerButton.setFontColour(v == 0 ? form::colours::Red : form::colours::Yellow);
}

void PioProtocol::speakerBeep(uint16_t divisor, uint32_t ms) {
    processEvents();
    if (session_.ntFamily && !session_.portDriverReady) return;
    if (!session_.soundEnabled) return;
    ports_.outb(0x43, 0xB6);
    ports_.outb(0x42, uint8_t(divisor));
    ports_.outb(0x42, uint8_t(divisor >> 8));
    uint8_t before = ports_.inb(0x61);
    ports_.outb(0x61, uint8_t(before | 0x03));
    timing_.clock().sleepMs(ms);
    ports_.outb(0x61, before);
}

void PioProtocol::bell() {
    if (!session_.bellEnabled) return;
    for (uint16_t divisor : {300, 400, 500, 600, 700}) speakerBeep(divisor, 70);
}

uint32_t PioProtocol::pciConfigRead(uint8_t bus, uint8_t device, uint8_t function, uint8_t reg) {
    ports_.outd(0xCF8, 0x80000000u | uint32_t(bus) << 16 | uint32_t(device) << 11 | uint32_t(function) << 8 |
                           (reg & 0xFCu));
    return ports_.ind(0xCFC);
}

} // namespace korvane::access
