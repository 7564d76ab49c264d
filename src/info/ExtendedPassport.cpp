#include "info/ExtendedPassport.h"

#include <array>
#include <cstring>

namespace korvane::info {

namespace {
constexpr int kTrackSteps = 400;
constexpr uint8_t kDevice = 0xA0;
} // namespace

ExtendedPassport::ExtendedPassport(ExtendedPassportContext context) : c_(std::move(context)) {
    c_.form.standard.passport.PASSBtnExt.setHint("Get extended drive information:\n- Passport\n- Diagnostic\n"
                                                 "- Real size\n- Power status\n- Interface & buffer diagn.\n"
                                                 "See the \"Setup\" page for details");
    c_.form.standard.passport.PASSBtnExt.onClick = [this] { extButtonClick(); };
    auto& ext = c_.form.setup.ext;
    c_.reader.extendedRealSize = [this, &ext] {
        if (ext.RSChk.checked() && c_.passport.HpaSupported) nativeSize();
    };
    c_.reader.extendedPowerStatus = [this, &ext] {
        if (ext.DSFChk.checked()) setFeaturesProbe();
        if (ext.PWSCHK.checked()) powerMode();
    };
    c_.reader.extendedInterface = [this, &ext] {
        if (ext.BDChk.checked()) bufferLoopBack();
    };
    c_.reader.extendedAam = [this] { aamTrackBar(); };
}

std::string ExtendedPassport::binaryText(uint16_t value) {
    if (value == 0) return "0";
    std::string s;
    for (; value; value >>= 1) s.insert(s.begin(), char('0' + (value & 1)));
    return s;
}

void ExtendedPassport::extButtonClick() {
    c_.reader.extendedPassport = true;
    c_.form.commands.PasspBtn.click();
    c_.reader.extendedPassport = false;
}

void ExtendedPassport::nativeSize() {
    auto& lba48 = c_.form.log.biglbaChk;
    lba48.setChecked(c_.passport.Lba48Supported);
    c_.commands.issueSectorCommand(nullptr, 0, 0xF8, 0);
    auto& hpa = c_.hpa;
    hpa.NativeSize = c_.pio.waitNotBusy() == -1 ? -1 : int64_t(c_.pio.readTaskFileLba()) + 1;
    hpa.HpaStep = hpa.NativeSize / kTrackSteps;
    const int64_t maxLba = int64_t(c_.session.maxLba.load());
    auto& group = c_.form.standard.hpa;
    if (hpa.NativeSize > maxLba) {
        c_.report.addRow("**Real:", std::to_string(hpa.NativeSize) + " LBAs",
                         PassportReport::formatSize(c_.session.bytesPerSector, uint64_t(hpa.NativeSize)));
        hpa.HpaTargetSize = maxLba;
        if (hpa.HpaStep > 0) group.HpaTrack.setPosition(int(kTrackSteps - (hpa.NativeSize - maxLba) / hpa.HpaStep));
        const uint32_t perMiB = c_.session.sectorsPerMiB ? c_.session.sectorsPerMiB : 2048;
        group.L1.setText(group.HpaMbBox.checked() ? std::to_string(maxLba / int64_t(perMiB)) + " Mb"
                                                  : std::to_string(maxLba));
    } else {
        hpa.HpaTargetSize = hpa.NativeSize;
        group.HpaTrack.setPosition(kTrackSteps);
    }
}

void ExtendedPassport::setFeaturesProbe() {
    // Subcommand 03h with count 0Ch: PIO flow-control transfer mode 4.
    const bool ok = c_.pio.sendNonDataCommand(0x03, 0x0C, 0x00, 0x4F, 0xC2, kDevice, 0xEF);
    c_.report.addRow("Status:", ok ? "Passed" : "*Failed");
}

void ExtendedPassport::powerMode() {
    if (!c_.pio.sendNonDataCommand(0, 0, 0, 0, 0, kDevice, 0xE5)) return;
    const uint8_t count = c_.pio.ports().inb(uint16_t(c_.session.pioBasePort + platform::reg::Count));
    c_.report.addRow("Spindle:", count == 0x00 ? "Standby" : count == 0xFF ? "Active" : "Unknown");
}

void ExtendedPassport::bufferLoopBack() {
    auto& buffers = c_.session.buffers;
    uint16_t* words = buffers.sectorBuffer;
    std::array<uint16_t, 256> identify;
    std::memcpy(identify.data(), words, sizeof identify);
    auto& pio = c_.pio;
    std::fill(words, words + 256, kPattern);
    pio.sendNonDataCommand(0, 0, 0, 0, 0, kDevice, 0xE8);
    if (pio.waitDataRequest()) pio.pioWriteSector();
    std::fill(words, words + 256, uint16_t(0));
    pio.sendNonDataCommand(0, 0, 0, 0, 0, kDevice, 0xE4);
    if (pio.waitDataRequest()) pio.pioReadSector();
    const uint16_t* differing = std::find_if(words, words + 256, [](uint16_t w) { return w != kPattern; });
    if (differing == words + 256) {
        c_.report.addRow("Int-face:", "Passed");
    } else {
        c_.report.addRow("Int-face:", "INTERFACE FAILED!!!");
        c_.report.addRow("Sended:", binaryText(kPattern));
        c_.report.addRow("Receive:", binaryText(*differing));
        c_.log("WARNING! INTERFACE ERROR!!!", 0, 4);
    }
    // The passport's BIN file is written after this pass: it must hold the drive's block.
    std::memcpy(words, identify.data(), sizeof identify);
}

void ExtendedPassport::aamTrackBar() { c_.form.standard.seek.AAMTrack.setPosition(c_.passport.AamValue); }

} // namespace korvane::info
