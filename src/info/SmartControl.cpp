#include "info/SmartControl.h"

#include "info/SmartSelfTests.h"

#include <algorithm>

namespace korvane::info {

using access::AccessMode;
using access::ApiAccess;

namespace {
constexpr uint8_t kSmart = 0xB0, kMid = 0x4F, kHigh = 0xC2, kDevice = 0xA0, kExecute = 0xD4, kAbort = 0x7F;
}

SmartControl::SmartControl(SmartControlContext context) : c_(std::move(context)) {
    auto& control = c_.page.control;
    control.SmartOnBtn.onClick = [this] { smartSwitch(true); };
    control.SmartOFFBtn.onClick = [this] { smartSwitch(false); };
    control.SmartAtsOnBtn.onClick = [this] { autosaveSwitch(true); };
    control.SmartAtsOFFBtn.onClick = [this] { autosaveSwitch(false); };
    auto& test = c_.page.test;
    test.SmScanBox.onChange = [this] { testChoiceChanged(); };
    test.RzBitBtn13.onClick = [this] { begin(); };
    test.RzBitBtn29.onClick = [this] { abort(); };
}

bool SmartControl::send(uint8_t features, uint8_t count, uint8_t lbaLow) {
    if (c_.session.accessMode == AccessMode::Pio)
        return c_.pio.sendNonDataCommand(features, count, lbaLow, kMid, kHigh, kDevice, kSmart);
    const uint8_t n = c_.session.apiDeviceNumber;
    return c_.api.apiSmartCommand(n, 0, features, count, lbaLow, kMid, kHigh, kDevice, kSmart) ||
           c_.api.apiAtaCommand(n, 0, ApiAccess::Direction::None, features, count, lbaLow, kMid, kHigh, kDevice,
                                kSmart);
}

void SmartControl::smartSwitch(bool on) {
    c_.commands.clearBreak();
    auto bracket = c_.commands.bracket();
    c_.log(on ? "SMART ON command" : "SMART OFF command", 0, 1);
    send(on ? 0xD8 : 0xD9, 0, 0);
    c_.passportReader.readPassport(false, true);
}

void SmartControl::autosaveSwitch(bool on) {
    c_.commands.clearBreak();
    auto bracket = c_.commands.bracket();
    c_.log(on ? "SMART Attribute Autosave ON command" : "SMART Attribute Autosave OFF command", 0, 1);
    c_.page.control.SmartOnBtn.click();
    send(0xD2, on ? 0xF1 : 0x00, 0);
}

uint8_t SmartControl::chosenSubcommand() const {
    const auto& test = c_.page.test;
    const size_t i = size_t(std::clamp(test.SmScanBox.itemIndex(), 0, 7));
    if (i == kVendorSpecificChoice) return uint8_t(test.SmVSTestEdit.value());
    return kSmartTestChoices[i].subcommand;
}

void SmartControl::testChoiceChanged() {
    auto& test = c_.page.test;
    if (size_t(test.SmScanBox.itemIndex()) == kVendorSpecificChoice) {
        // The field keeps the last subcommand until the user types the vendor's own.
        test.SmVSTestEdit.setEnabled(true);
        test.SmVSTestEdit.setFocus();
        return;
    }
    test.SmVSTestEdit.setEnabled(false);
    test.SmVSTestEdit.setValue(chosenSubcommand());
}

void SmartControl::begin() {
    c_.commands.clearBreak();
    auto bracket = c_.commands.bracket();
    c_.reader.showTestPanel();
    c_.page.control.SmartOnBtn.click();
    auto& test = c_.page.test;
    const uint8_t v = chosenSubcommand();
    test.SmVSTestEdit.setValue(v);
    const std::string name = kSmartTestChoices[std::clamp(test.SmScanBox.itemIndex(), 0, 7)].logName;
    const std::string what = name + " SMART Test (" + std::to_string(v) + ")";
    c_.log("Starting " + what, 0, 1);
    if (c_.session.accessMode == AccessMode::Pio) {
        auto& pio = c_.pio;
        if (!pio.waitDriveReady()) return;
        // Written without waiting: a captive test keeps the drive busy until it ends.
        pio.writeTaskFile28(kExecute, 0, v, kMid, kHigh, kDevice, kSmart);
        if (pio.readErrorIfAny() != 0) c_.log(what + " error!", 0, 4);
        return;
    }
    if (c_.passport.ScsiPassport) {
        c_.log("Non-ATA device unsupport SMART test's", 0, 4);
        return;
    }
    if (!send(kExecute, 0, v)) c_.log(what + " error!", 0, 4);
    c_.clock.sleepMs(2000);
}

void SmartControl::abort() {
    c_.commands.clearBreak();
    auto bracket = c_.commands.bracket();
    c_.reader.showTestPanel();
    if (c_.session.accessMode == AccessMode::Pio) c_.pio.driveReset();
    c_.page.control.SmartOnBtn.click();
    c_.page.test.SmVSTestEdit.setValue(kAbort);
    c_.log("Aborting offline SMART Test", 0, 0);
    bool ok;
    if (c_.session.accessMode == AccessMode::Pio) {
        ok = c_.pio.sendNonDataCommand(kExecute, 0, kAbort, kMid, kHigh, kDevice, kSmart);
    } else {
        std::array<uint8_t, 8> registers{};
        const bool carried = c_.api.apiIdePassThrough(0, kExecute, 0, kAbort, kMid, kHigh, kDevice, kSmart, registers);
        ok = (carried && !(registers[6] & platform::status::ERR)) ||
             c_.api.apiAtaCommand(c_.session.apiDeviceNumber, 0, ApiAccess::Direction::None, kExecute, 0, kAbort,
                                  kMid, kHigh, kDevice, kSmart);
    }
    if (!ok) c_.log("Error after command!", 0, 4);
    c_.log("Send abort SMART test command", 0, 1);
}

} // namespace korvane::info
