#include "info/SmartReader.h"

#include "info/SmartNames.h"
#include "info/SmartSelfTests.h"
#include "platform/SmallFile.h"

#include <cstring>
#include <fstream>

namespace korvane::info {

using access::AccessMode;
using access::ApiAccess;
using namespace form::colours;

namespace {
constexpr uint8_t kSmart = 0xB0, kMid = 0x4F, kHigh = 0xC2, kDevice = 0xA0;
constexpr form::Colour kTimerLamp = 0xFFC437;
const char* const kDegrees = " \xC2\xB0" "C";

bool noTemperature(int16_t t) { return t == SmartReader::kNoData || t == SmartReader::kNoAttribute; }
} // namespace

SmartReader::SmartReader(SmartContext context) : c_(std::move(context)), page_(c_.form.smart) {
    auto& m = page_.monitor;
    m.SmartBtn.onClick = [this] { getSmartClick(); };
    m.RzBitBtn2.onClick = [this] { openBinClick(); };
    auto& menu = c_.form.SmartMenu;
    menu.item(0).onClick = [this] { page_.monitor.SmartBtn.click(); };
    menu.item(1).onClick = [this] { copyAll(); };
    menu.item(2).onClick = [this] { clearScreen(); };
    menu.item(3).onClick = [this] { openBinClick(); };
    menu.item(4).onClick = [this] { toggleTestPanel(); };
    menu.item(5).onClick = [this] { toggleBigSmall(); };
    menu.onPopup = [this] {
        c_.form.SmartMenu.item(4).setCaption(page_.SmartTestPanel.height() == 0 ? "Show smart-test panel"
                                                                                : "Maximize panel");
    };
    page_.SmartList.onDblClick = [this] { toggleTestPanel(); };
    page_.SmartList.cellColour = [this](size_t r, size_t col) { return cellColour(r, col); };
    page_.SmartTestList.cellColour = [this](size_t r, size_t col) -> form::Colour {
        if (col != 0) return Blue;
        return r == 3 ? offlineColour_ : r == 4 ? selfTestColour_ : Navy;
    };
    page_.timer.SmTimerChk.onClick = [this] { timerBoxClick(); };
    c_.form.SmartTimer.onTimer = [this] { timerTick(); };
    columns_ = page_.SmartList.columns();
}

void SmartReader::processEvents() {
    if (c_.ui.isUiThread()) c_.ui.processEvents();
}

std::string SmartReader::binFilePath() const {
    return c_.logDirectory() + "SMART_" + PassportReader::cleanName(c_.passport.Model + "_" + c_.passport.Serial) +
           ".bin";
}

// ------------------------------------------------------------------------------------------
// The SMART commands
// ------------------------------------------------------------------------------------------

bool SmartReader::nonData(uint8_t features, uint8_t count, uint8_t lbaLow) {
    if (c_.session.accessMode == AccessMode::Pio)
        return c_.pio.sendNonDataCommand(features, count, lbaLow, kMid, kHigh, kDevice, kSmart);
    const uint8_t n = c_.session.apiDeviceNumber;
    return c_.api.apiSmartCommandAnyDrive(n, 0, features, 1, 1, kMid, kHigh, kDevice, kSmart) ||
           c_.api.apiAtaCommand(n, 0, ApiAccess::Direction::None, features, count, lbaLow, kMid, kHigh, kDevice,
                                kSmart);
}

bool SmartReader::enable() { return nonData(0xD8, 0, 0); }

bool SmartReader::readBlock(uint8_t features, uint8_t* into) {
    auto& buffers = c_.session.buffers;
    if (c_.session.accessMode == AccessMode::Pio) {
        auto& pio = c_.pio;
        if (!pio.sendNonDataCommand(features, 0, 0, kMid, kHigh, kDevice, kSmart) || !pio.waitDataRequest())
            return false;
        return into == buffers.sectorBytes() ? pio.pioReadSector() : pio.pioReadSector2();
    }
    auto& api = c_.api;
    const uint8_t n = c_.session.apiDeviceNumber;
    if (api.apiSmartCommandAnyDrive(n, 512, features, 1, 1, kMid, kHigh, kDevice, kSmart)) {
        std::memcpy(into, api.smartData(), 512);
        return true;
    }
    // One block in; the count says so to a translating bridge.
    if (!api.apiAtaCommand(n, 1, ApiAccess::Direction::In, features, 1, 0, kMid, kHigh, kDevice, kSmart)) return false;
    std::memcpy(into, api.apiDataBuffer().data(), 512);
    return true;
}

bool SmartReader::ibmSwitchApplies() const {
    const auto& box = page_.monitor.IBMSmartChk;
    const uint8_t f = c_.passport.FamilyCode;
    return box.checked() && box.enabled() && (f == 2 || f == 7 || f == 13);
}

void SmartReader::ibmExtendedSmart(bool on) {
    const uint8_t count = on ? 0xF6 : 0x00, lbaLow = on ? 0xB9 : 0x00;
    if (c_.session.accessMode == AccessMode::Pio) {
        c_.pio.sendNonDataCommand(0xF8, count, lbaLow, kMid, kHigh, kDevice, kSmart);
    } else if (c_.passport.UsbMode && !c_.passport.ScsiPassport) {
        c_.api.apiAtaCommand(c_.session.apiDeviceNumber, 0, ApiAccess::Direction::None, 0xF8, count, lbaLow, kMid,
                             kHigh, kDevice, kSmart);
    } else {
        std::array<uint8_t, 8> registers{};
        c_.api.apiIdePassThrough(0, 0xF8, count, lbaLow, kMid, kHigh, kDevice, kSmart, registers);
    }
}

int SmartReader::smartReturnStatus() {
    c_.passport.UsbMode = false;
    uint8_t mid = 0, high = 0;
    if (c_.session.accessMode == AccessMode::Pio) {
        if (!c_.pio.sendNonDataCommand(0xDA, 0, 0, kMid, kHigh, kDevice, kSmart)) return -1;
        auto& ports = c_.pio.ports();
        mid = ports.inb(uint16_t(c_.session.pioBasePort + platform::reg::LbaMid));
        high = ports.inb(uint16_t(c_.session.pioBasePort + platform::reg::LbaHigh));
    } else {
        auto& api = c_.api;
        const uint8_t n = c_.session.apiDeviceNumber;
        if (api.apiSmartCommandAnyDrive(n, 0, 0xDA, 1, 1, kMid, kHigh, kDevice, kSmart)) {
            mid = api.smartData()[3];
            high = api.smartData()[4];
        } else if (api.apiAtaCommand(n, 0, ApiAccess::Direction::None, 0xDA, 0, 0, kMid, kHigh, kDevice, kSmart)) {
            c_.passport.UsbMode = true;
            if (!api.apiAtaCommand(n, 1, ApiAccess::Direction::Registers, 0xDA, 0, 0, kMid, kHigh, kDevice, kSmart))
                return -1;
            mid = api.returnedTaskFile()[4];
            high = api.returnedTaskFile()[5];
        } else {
            return -1;
        }
    }
    return mid == kMid && high == kHigh ? 1 : 0;
}

// ------------------------------------------------------------------------------------------
// readSmart
// ------------------------------------------------------------------------------------------

void SmartReader::setPrepared() {
    auto& list = page_.SmartList;
    list.setColumns(columns_);
    list.setFontColour(Navy);
    list.clear();
    placeholders_ = false;
    attributes_.clear();
}

int64_t SmartReader::readSmart(uint8_t attributeId, const std::string& fileName, bool fromFile) {
    int64_t result = kNoData;
    setPrepared();
    auto& buffers = c_.session.buffers;
    uint8_t* data = buffers.sectorBytes();
    bool obtained = false;
    if (fromFile) {
        auto content = platform::readRegularFile(fileName, 512);
        if (!content) {
            c_.log("Error! Cannot open file " + fileName, 0, 4);
            return kNoData;
        }
        if (content->size() < 512) {
            c_.log("Error! Incorrect length of file", 0, 4);
            return kNoData;
        }
        std::memcpy(data, content->data(), 512);
        // A saved block has no thresholds; those of another drive would be wrong.
        thresholds_.fill(0);
        obtained = true;
    } else {
        if (!page_.timer.SmTimerChk.checked()) c_.log("Get S.M.A.R.T. command...", 0, 1);
        c_.commands.clearSectorBuffer(259);
        if (enable()) {
            if (ibmSwitchApplies()) ibmExtendedSmart(true);
            if (readBlock(0xD0, data)) {
                c_.log("Get S.M.A.R.T. command... OK", 1, 1);
                obtained = true;
                if (readBlock(0xD1, buffers.sectorBuffer2)) std::memcpy(thresholds_.data(), buffers.sectorBuffer2, 512);
                if (page_.monitor.SmrtChkFileSave.checked() && c_.writeEnabled()) saveBin();
            } else {
                c_.log("Get tresholds... Error!", 0, 4);
            }
        }
    }
    if (obtained) result = addAttributeRows(attributeId, data);
    if (ibmSwitchApplies()) ibmExtendedSmart(false);
    rebuildSelfTests(obtained ? data : nullptr);
    return result;
}

int64_t SmartReader::addAttributeRows(uint8_t attributeId, const uint8_t* data) {
    int64_t result = kNoAttribute;
    const uint8_t family = c_.passport.FamilyCode;
    family_ = family;
    for (size_t k = 0; k < kSmartSlots; ++k) {
        processEvents();
        if (data[2 + 12 * k] == 0) continue;
        SmartAttribute a = decodeSmartSlot(data, thresholds_.data(), k, family);
        for (auto& row : smartRows(a, family)) page_.SmartList.addRow(std::move(row));
        if (a.id == attributeId) result = int64_t(isTemperatureId(a.id) ? a.raw48 : a.shownRaw);
        attributes_.push_back(std::move(a));
    }
    return result;
}

void SmartReader::rebuildSelfTests(const uint8_t* data) {
    auto& list = page_.SmartTestList;
    list.clear();
    if (!data) {
        // Without a block there is nothing to report: an empty list rather than a made-up "no error".
        page_.test.SmtMeter.setPosition(0);
        return;
    }
    SelfTestReport r = selfTestReport(data);
    offlineColour_ = r.offlineColour;
    selfTestColour_ = r.selfTestColour;
    for (auto& row : r.rows) list.addRow(std::move(row));
    page_.test.SmtMeter.setPosition(r.meter);
}

void SmartReader::saveBin() {
    const std::string path = binFilePath();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (out) out.write(reinterpret_cast<const char*>(c_.session.buffers.sectorBytes()), 512);
    if (!out) c_.log("Error! Cannot write " + path, 0, 4);
}

form::Colour SmartReader::cellColour(size_t row, size_t column) const {
    const auto& list = page_.SmartList;
    if (placeholders_ || row >= list.rowCount()) return form::kDefaultColour;
    return smartCellColour(list.row(row), column, family_);
}

// ------------------------------------------------------------------------------------------
// "Get SMART" and the other monitor handlers
// ------------------------------------------------------------------------------------------

void SmartReader::showStatus(const char* text, form::Colour font, form::Colour lamp) {
    page_.monitor.SmrtStLabel.setCaption(text);
    page_.monitor.SmrtStLabel.setFontColour(font);
    page_.monitor.SmartLed.setColour(lamp);
}

int16_t SmartReader::readTemperature() { return int16_t(uint16_t(readSmart(194, {}, false))); }

void SmartReader::getSmartClick() {
    if (running_) return;
    running_ = true;
    c_.commands.clearBreak();
    auto bracket = c_.commands.bracket();
    c_.clock.sleepMs(70);
    page_.monitor.SmartLed.setColour(Black);
    page_.monitor.SmrtStLabel.setFontColour(Grey);
    lastStatus_ = -1;
    obtained_ = false;
    const bool quiet = page_.timer.SmTimerChk.checked();
    auto& led = c_.form.standard.seek.SeekTmprtLed;
    if (c_.session.accessMode != AccessMode::Pio || c_.passportReader.readPassport(true, true)) {
        const int16_t t = readTemperature();
        lastTemperature_ = t;
        obtained_ = t != kNoData;
        if (noTemperature(t)) led.setCaption(" n/a");
        else led.setCaption(std::to_string(t) + kDegrees);
        if (t == kNoData) {
            const bool logical = c_.session.accessMode == AccessMode::Api && c_.session.apiDeviceNumber == 255;
            c_.log(logical ? "Get S.M.A.R.T. command... Error, that's a logical drive!"
                           : "Get S.M.A.R.T. command... Error reading S.M.A.R.T!",
                   1, 4);
            showStatus("UNCN", Black, Yellow);
        } else {
            lastStatus_ = smartReturnStatus();
            if (lastStatus_ == -1) {
                showStatus("UNCN", Black, Yellow);
                if (!quiet) c_.log("SMART status = Unknown", 0, 1);
            } else if (lastStatus_ != 0) {
                showStatus("GOOD", Navy, Lime);
                if (!quiet) c_.log("SMART status = GOOD", 0, 2);
            } else {
                showStatus("BAD!", White, Red);
                if (!quiet) c_.log("SMART status = BAD", 0, 4);
            }
        }
    }
    ++readsDone_;
    running_ = false;
}

void SmartReader::openBinClick() {
    auto file = c_.dialogs.openFile("Open BIN file of SMART", "BIN files (*.bin)|*.bin|All files (*.*)|*.*",
                                    c_.logDirectory());
    if (!file) return;
    auto bracket = c_.commands.bracket();
    const int16_t t = int16_t(uint16_t(readSmart(194, *file, true)));
    if (!noTemperature(t)) c_.form.standard.seek.SeekTmprtLed.setCaption(std::to_string(t) + kDegrees);
}

void SmartReader::clearScreen() {
    page_.SmartList.clear();
    page_.SmartTestList.clear();
    attributes_.clear();
    page_.monitor.SmartLed.setColour(Black);
    page_.monitor.SmrtStLabel.setCaption("- - - -");
    page_.monitor.SmrtStLabel.setFontColour(Grey);
}

void SmartReader::copyAll() {
    std::vector<SmartRowCells> rows;
    for (size_t r = 0; r < page_.SmartList.rowCount(); ++r) rows.push_back(page_.SmartList.row(r));
    c_.clipboard.setText(smartCopyText(c_.passport.Model, c_.passport.Serial, rows));
}

void SmartReader::toggleTestPanel() {
    page_.SmartTestPanel.setHeight(page_.SmartTestPanel.height() == 0 ? 110 : 0);
}

void SmartReader::showTestPanel() { page_.SmartTestPanel.setHeight(110); }

void SmartReader::toggleBigSmall() { page_.SmartList.setCheckBoxes(!page_.SmartList.checkBoxes()); }

void SmartReader::timerBoxClick() {
    auto& t = page_.timer;
    if (t.SmTimerChk.checked()) {
        t.SmTimerLED.setColour(kTimerLamp);
        c_.form.SmartTimer.setInterval(uint32_t(t.NumberEdit8.value()) * 1000u);
        c_.form.SmartTimer.setEnabled(true);
    } else {
        c_.form.SmartTimer.setEnabled(false);
        t.SmTimerLED.setColour(Grey);
    }
}

void SmartReader::timerTick() {
    c_.commands.clearBreak();
    processEvents();
    c_.form.SmartTimer.setInterval(uint32_t(page_.timer.NumberEdit8.value()) * 1000u);
    page_.monitor.SmartBtn.click();
}

void SmartReader::placeholderRows() {
    auto& list = page_.SmartList;
    list.clear();
    list.setFontColour(Grey);
    for (uint8_t id = 1; id <= 16; ++id)
        list.addRow({"", std::to_string(id), attributeName(id, 0), "0", "0", "0", "0", "*", "0"});
    placeholders_ = true;
}

} // namespace korvane::info
