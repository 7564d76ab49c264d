#include "tests/AcousticControl.h"

namespace korvane::tests {

namespace {
constexpr uint8_t kEnableAam = 0x42, kDisableAam = 0xC2, kSetFeatures = 0xEF, kDevice = 0xA0;
} // namespace

AcousticControl::AcousticControl(AcousticControlContext c) : c_(std::move(c)), g_(c_.seek) {
    g_.AAMTrack.onChange = [this] { trackChanged(); };
    g_.AAMTrack.onRelease = [this] { setAam(); };
    g_.AAMMinBtn.onClick = [this] { minimum(); };
    g_.AAMOffBtn.onClick = [this] { off(); };
}

std::string AcousticControl::ledText(int position, uint8_t current) {
    if (position < 128) return "OFF";
    if (position == 128) return (current & 0x80) ? "MIN" : "OFF";
    if (position == 254) return "MAX";
    return std::to_string(position);
}

void AcousticControl::trackChanged() {
    c_.ui.processEvents();
    c_.state.aamLevel = uint8_t(std::clamp(g_.AAMTrack.position(), 0, 255));
    g_.AAMLed.setCaption(ledText(g_.AAMTrack.position(), c_.passport.AamValue));
}

bool AcousticControl::apiSetFeatures(uint8_t features, uint8_t count) {
    std::array<uint8_t, 8> registers{};
    if (c_.api.apiIdePassThrough(0, features, count, 0, 0, 0, kDevice, kSetFeatures, registers)) return true;
    return c_.api.apiAtaCommand(c_.session.apiDeviceNumber, 0, access::ApiAccess::Direction::None, features, count, 0,
                                0, 0, kDevice, kSetFeatures);
}

bool AcousticControl::pioSetFeatures(uint8_t features, uint8_t count) {
    const bool sent = c_.pio.sendNonDataCommand(features, count, 0, 0, 0, kDevice, kSetFeatures);
    c_.pio.waitNotBusy();
    refreshPassport();
    return sent;
}

void AcousticControl::refreshPassport() {
    auto release = std::move(g_.AAMTrack.onRelease);
    g_.AAMTrack.onRelease = nullptr;
    c_.passportReader.readPassport(false, true);
    g_.AAMTrack.onRelease = std::move(release);
}

bool AcousticControl::pioDriveAnswers(bool quick) {
    const bool waited = quick ? c_.pio.waitNotBusy() != -1 : c_.pio.waitReadyBreakable(300);
    return waited && c_.pio.registerEchoTest() && c_.pio.isReady();
}

void AcousticControl::setAam() {
    auto bracket = c_.commands.bracket();
    const uint8_t level = c_.state.aamLevel;
    if (c_.passport.ScsiPassport) {
        c_.log("Non-ATA drive not support AAM", 0, 4);
        return;
    }
    if (c_.session.accessMode == access::AccessMode::Api) {
        c_.log("Adjusting AAM, set value=" + std::to_string(level), 0, 1);
        apiSetFeatures(kEnableAam, level);
        return;
    }
    if (!pioDriveAnswers(false)) {
        g_.AAMTrack.setEnabled(false);
        c_.log("AAM blocked, because drive not ready >300 ms. Press 'Ext Passport' to try again", 0, 4);
        return;
    }
    c_.log("Adjusting AAM, set value=" + std::to_string(level), 0, 1);
    pioSetFeatures(kEnableAam, level);
}

void AcousticControl::preset(uint8_t features, uint8_t count, const std::string& line) {
    auto bracket = c_.commands.bracket();
    if (c_.session.accessMode == access::AccessMode::Api) {
        c_.log(line, 0, 1);
        apiSetFeatures(features, count);
    } else if (pioDriveAnswers(true)) {
        c_.log(line, 0, 1);
        pioSetFeatures(features, count);
    }
    if (c_.pages.activeIndex() == 0) g_.AAMTrack.setFocus(true);
}

void AcousticControl::minimum() {
    g_.AAMTrack.setPosition(128);
    preset(kEnableAam, 0x80, "AAM minimum set (val=128)");
}

void AcousticControl::off() {
    g_.AAMTrack.setPosition(g_.AAMTrack.min());
    preset(kDisableAam, 0, "AAM OFF command");
}

} // namespace korvane::tests
