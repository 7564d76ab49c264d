#include "tests/ScanControl.h"

#include "access/SizeParse.h"
#include "tests/ScanPlan.h"

#include <cctype>
#include <cstdio>

namespace korvane::tests {

namespace {
constexpr form::Colour kRed = 0xFF0000, kBlue = 0x0000FF, kNavy = 0x000080, kSensing = 0x38C75C;

const char* const kFourBreaks = "Кнопка \"Break\" была нажата четыре раза !\r\n"
                                "В результате галка \"Enable breaking internal loops\" на вкладке Setup\r\n"
                                "была автоматически установлена.";

// The plain decimal number of a field (the loop restart reads no unit suffixes).
uint64_t plainNumber(const std::string& text) {
    uint64_t v = 0;
    for (unsigned char ch : text) {
        if (!std::isdigit(ch)) break;
        if (v > (UINT64_MAX - 9) / 10) break;
        v = v * 10 + uint64_t(ch - '0');
    }
    return v;
}
} // namespace

ScanControl::ScanControl(ScanControlContext c) : c_(std::move(c)) { wire(); }

void ScanControl::wire() {
    auto& t = c_.form.tests;
    t.ScanStartBtn.onClick = [this] { start(); };
    c_.form.commands.BreakBtn.onClick = [this] { breakAll(); };
    t.PauseBtn.onClick = [this] { pause(); };
    c_.form.AniTimer.onTimer = [this] { blinkPauseLed(); };
    t.EndScanVarBox.onChange = [this] { endActionChanged(); };
    t.ScBlockSizeBox.onChange = [this] { blockSizeChanged(); };
    t.ScanRWGrp.onClick = [this] { modeClicked(); };
    t.ScRemapGroup.onClick = [this] { defectActionClicked(); };
    t.ScDftChk.onClick = [this] { defectoscopeClicked(); };
    t.ScNumLbaChk.onClick = [this] { stampsClicked(); };
    t.DDDChk.onClick = [this] { distortionClicked(); };
    auto& w = c_.form.writeWarn;
    w.StartEdit.onChange = [this] { writeWarnFieldChanged(true); };
    w.EndEdit.onChange = [this] { writeWarnFieldChanged(false); };
    w.OkBtn.onClick = [this] { writeWarnButton(true); };
    w.CancelBtn.onClick = [this] { writeWarnButton(false); };
    c_.commands.onClearBreak = [this] { breakPressCount_ = 0; };
    auto& scan = c_.scan;
    scan.onEndAction = [this] { return runEndAction(); };
    scan.onResultsDone = [this] { resultsDone(); };
    scan.onShutdown = [this] {
        if (!c_.session.breakRequested && c_.form.tests.EndScanVarBox.itemIndex() == 4) {
            if (c_.stopSpindle) c_.stopSpindle();
            shutdownPc();
        }
    };
    scan.onWorkerStarted = [this] { c_.selection.setSelectionControlsEnabled(false); };
    scan.onWorkerEnded = [this] {
        if (!restartPending_) return;
        restartPending_ = false;
        c_.form.tests.ScanStartBtn.click();
    };
}

// ------------------------------------------------------------------------------------------
// Start
// ------------------------------------------------------------------------------------------

void ScanControl::start() {
    if (!c_.startGuard) return;
    c_.startGuard = false;
    auto& t = c_.form.tests;
    auto& s = c_.state;
    const bool nextPass = s.loopMode && s.scanStarted;
    if (!nextPass) {
        t.ScanStartBtn.setEnabled(false);
        if (stopSeek) stopSeek();
        s.loopCount = 1;
        c_.passport.PassportTaken = false;
        s.lastDirection = s.direction;
        s.mapNonLinear = false;
        t.PauseBtn.setCaption("Pause");
        s.scanPaused = false;
        c_.commands.clearBreak();
        c_.selection.setSelectionControlsEnabled(false);
        s.jumpedForward = s.jumpedBack = false;
        const ScanDirection d = s.direction;
        s.mapNonLinear = d == ScanDirection::Random || d == ScanDirection::Butterfly;
        if (!c_.passportReader.readPassport(true, true)) return abandon();
        if (!apiMode() && !c_.pio.registerEchoTest()) {
            char port[16];
            std::snprintf(port, sizeof port, "%02X", unsigned(c_.session.pioBasePort));
            c_.log(std::string("[ATA protocol] Port ") + port + "h error, scan failed", 1, 4);
            c_.pio.speakerBeep(500, 200);
            return abandon();
        }
        s.scanMode = ScanMode(std::max(0, t.ScanRWGrp.itemIndex()));
        if (s.scanMode == ScanMode::Write && c_.passport.PassportTaken) {
            if (!showWriteWarning()) return abandon();
            writeWarnCancelled_ = true;
        }
        if (!c_.scan.prepareRange()) return abandon();
        if (s.scanMode == ScanMode::Write && !confirmErase()) {
            t.EndScanVarBox.setItemIndex(0);
            endActionChanged();
            return abandon();
        }
        if (c_.recalibrate) c_.recalibrate();
        t.SpeedLed.setCaption(" sensing");
        t.SpeedLed.setFontColour(kSensing);
        c_.scan.prepareTiming();
        c_.scan.graph().showPositions(s.startLba, s.range, c_.session.bytesPerSector, c_.session.sectorsPerMiB);
        const bool restore = t.ScRemapGroup.itemIndex() == 3;
        if (!apiMode() && (c_.scan.longWriting() || restore)) c_.form.log.biglbaChk.setChecked(false);
        t.AdjPercentLabel.setVisible(true);
        t.ScanMenu.item(0).setEnabled(true);
        t.ScanMenu.item(1).setEnabled(true);
        t.AdjScaleLabel.setCaption(c_.passport.Model);
    }
    if (!c_.scan.openDrive()) return abandon();
    c_.scan.map().reset(t.GridPanel.width(), expectedBlocks());
    t.Grid.setEnabled(false);
    becomeStop();
    t.ScBlockSizeBox.setEnabled(false);
    t.ScanRWGrp.setEnabled(false);
    c_.scan.readTimeout();
    c_.scan.prepareBlocks();
    c_.scan.graph().reset(s.range, s.nominalBlockSize);
    c_.scan.markStartTime();
    s.scanStarted = true;
    s.scanActive = true;
    if (!c_.scan.startWorker()) {
        // The last pass's worker has not let go yet: nothing can start now.
        s.scanActive = false;
        s.scanStarted = false;
        c_.scan.closeDrive();
        backToStart();
        t.ScBlockSizeBox.setEnabled(true);
        t.ScanRWGrp.setEnabled(true);
        return abandon();
    }
    showBusy(true, "Scan is progress!!!");
    c_.startGuard = true;
}

// The blocks a linear order will put in the map (a random scan's count depends on its time).
uint64_t ScanControl::expectedBlocks() const {
    const auto& s = c_.state;
    if (s.direction == ScanDirection::Random) return 0;
    const uint64_t bs = std::max<uint64_t>(boxDigits(c_.form.tests.ScBlockSizeBox.text()), 1);
    const uint64_t blocks = s.range / bs + 2;
    return blocks <= kReservedBlocksMax ? blocks : 0;
}

void ScanControl::abandon() {
    c_.form.tests.ScanStartBtn.setEnabled(true);
    c_.selection.setSelectionControlsEnabled(true);
}

void ScanControl::becomeStop() {
    auto& b = c_.form.tests.ScanStartBtn;
    b.setCaption("Stop");
    b.setFontColour(kRed);
    b.setEnabled(true);
    b.onClick = [this] { breakAll(); };
    c_.form.tests.Qn.setFocus(true);
}

void ScanControl::backToStart() {
    auto& b = c_.form.tests.ScanStartBtn;
    b.setCaption("Start");
    b.setFontColour(kBlue);
    b.setEnabled(true);
    b.onClick = [this] { start(); };
}

bool ScanControl::confirmErase() {
    const auto& s = c_.state;
    const std::string text = "User data will be lost!\r\n" + c_.passport.Model + "\r\nLBA " +
                             std::to_string(s.startLba) + "-" + std::to_string(s.endLba);
    using form::Answer;
    if (c_.dialogs.messageBox(text, "Warning", form::MessageType::Warning, form::MessageButtons::YesNo) != Answer::Yes)
        return false;
    const bool systemDisk = apiMode() && (c_.session.apiDeviceNumber == 0 ||
                                          (c_.session.apiDeviceNumber == 255 && c_.session.apiDriveLetter == 'C'));
    if (!systemDisk) return true;
    return c_.dialogs.messageBox("!!! SYSTEM DISK ERASING !!!", "Warning", form::MessageType::Warning,
                                 form::MessageButtons::YesNo) == Answer::Yes;
}

// ------------------------------------------------------------------------------------------
// The write warning
// ------------------------------------------------------------------------------------------

bool ScanControl::showWriteWarning() {
    auto& w = c_.form.writeWarn;
    w.moveTo(c_.form.left() + 100, c_.form.top() + 100);
    w.StartEdit.setText(c_.form.tests.StartLbaEdit.text());
    w.EndEdit.setText(c_.form.tests.EndLbaEdit.text());
    // Closing the dialog in any other way than OK counts as cancelled.
    writeWarnCancelled_ = true;
    w.show();
    if (onWriteWarnShown) onWriteWarnShown();
    while (w.visible() && !c_.session.closing) {
        c_.ui.processEvents();
        if (w.visible()) c_.clock.sleepMs(10);
    }
    if (w.visible()) w.close();
    return !writeWarnCancelled_;
}

void ScanControl::writeWarnFieldChanged(bool startField) {
    auto& w = c_.form.writeWarn;
    const std::string& text = startField ? w.StartEdit.text() : w.EndEdit.text();
    auto v = access::parseSizeValue(text, c_.session.maxLba, c_.session.sectorsPerMiB);
    if (!v) return c_.dialogs.showMessage(access::sizeConversionError(text));
    const uint64_t lba = uint64_t(std::max<int64_t>(*v, 0));
    (startField ? c_.state.startLba : c_.state.endLba) = lba;
    (startField ? c_.form.tests.StartLbaEdit : c_.form.tests.EndLbaEdit).setText(std::to_string(lba));
}

void ScanControl::writeWarnButton(bool ok) {
    auto& w = c_.form.writeWarn;
    writeWarnFieldChanged(true);
    writeWarnFieldChanged(false);
    if (c_.state.startLba >= c_.state.endLba) w.EndEdit.setText(std::to_string(c_.state.startLba + 1));
    writeWarnCancelled_ = !ok;
    w.close();
}

// ------------------------------------------------------------------------------------------
// Break, pause, the end
// ------------------------------------------------------------------------------------------

void ScanControl::breakAll() {
    auto& t = c_.form.tests;
    auto& s = c_.state;
    c_.clock.sleepMs(100);
    if (!c_.session.breakLoopsEnabled && ++breakPressCount_ > 3) {
        breakPressCount_ = 0;
        c_.dialogs.showMessage(kFourBreaks);
        c_.form.setup.scanOptions.EnaBrkInCyclChk.setChecked(true);
    }
    if (c_.session.breakRequested) return;
    c_.session.readActive = false;
    c_.session.writeActive = false;
    c_.form.AniTimer.setEnabled(false);
    // Between two passes of a loop there is no worker to stop: the next pass must not start.
    restartPending_ = false;
    if (!s.scanActive && s.scanStarted) {
        s.scanStarted = false;
        backToStart();
        t.ScBlockSizeBox.setEnabled(true);
        t.ScanRWGrp.setEnabled(true);
        showBusy(false, "Scan complete");
    }
    if (s.scanActive) {
        if (s.scanPaused) c_.gate.setUserPause(access::WorkerGate::Worker::Scan, false);
        completeScan();
        backToStart();
        t.ScBlockSizeBox.setEnabled(true);
        t.ScanRWGrp.setEnabled(true);
        t.EndScanVarBox.setItemIndex(0);
        endActionChanged();
    }
    if (seekBreak) seekBreak();
    c_.commands.requestBreak();
    t.PauseBtn.setCaption("Pause");
    s.scanPaused = false;
    c_.gate.setUserPause(access::WorkerGate::Worker::Scan, false);
    c_.log("Command interrupted by user!", 0, 4);
    t.Grid.setEnabled(true);
    c_.form.smart.timer.SmTimerChk.setChecked(false);
    c_.selection.setSelectionControlsEnabled(true);
    c_.form.Application.setCaption("Korvane ");
}

void ScanControl::completeScan() {
    auto& s = c_.state;
    c_.scan.timerWake().stop();
    s.timerWakeArmed = false;
    s.scanStarted = false;
    c_.form.AniTimer.setEnabled(false);
    s.scanActive = false;
    c_.gate.setUserPause(access::WorkerGate::Worker::Scan, false);
    showBusy(false, "Scan complete");
}

void ScanControl::terminateBySeek() {
    auto& t = c_.form.tests;
    if (!c_.state.scanActive) return;
    completeScan();
    backToStart();
    t.ScBlockSizeBox.setEnabled(true);
    t.ScanRWGrp.setEnabled(true);
    c_.state.scanPaused = false;
    t.Grid.setEnabled(true);
    c_.log("Scan was terminated by Seek!", 0, 4);
}

void ScanControl::showBusy(bool visible, const std::string& hint) {
    auto& gif = c_.form.commands.GIF;
    gif.setVisible(visible);
    gif.setHint(hint);
}

void ScanControl::pause() {
    auto& t = c_.form.tests;
    auto& s = c_.state;
    if (c_.session.breakRequested || !s.scanStarted) return;
    const bool stopShown = t.ScanStartBtn.caption() == "Stop";
    if (t.PauseBtn.caption() == "Pause") {
        t.PauseBtn.setCaption("Continue");
        s.scanPaused = true;
        t.LbaOut.setText(std::to_string(s.curLba + s.blockSize));
        c_.gate.setUserPause(access::WorkerGate::Worker::Scan, true);
        s.timerWakeArmed = false;
        if (!c_.form.setup.scanOptions.DontBlinkChk.checked()) c_.form.AniTimer.setEnabled(true);
        c_.log("Surface scan paused", 0, 1);
        if (stopShown) t.Grid.setEnabled(true);
        return;
    }
    c_.scan.progress().resumed(c_.scan.scanNow());
    t.PauseBtn.setCaption("Pause");
    s.scanPaused = false;
    s.timerWakeArmed = true;
    c_.gate.setUserPause(access::WorkerGate::Worker::Scan, false);
    c_.form.AniTimer.setEnabled(false);
    t.PauseLed.setColour(form::colours::Grey);
    c_.log("Surface scan resumption", 0, 1);
    if (stopShown) t.Grid.setEnabled(false);
    t.Qn.setFocus(true);
}

void ScanControl::blinkPauseLed() {
    if (!c_.state.scanPaused) return;
    auto& led = c_.form.tests.PauseLed;
    led.setColour(led.colour() == kBlue ? form::colours::Grey : kBlue);
}

bool ScanControl::runEndAction() {
    switch (c_.form.tests.EndScanVarBox.itemIndex()) {
    case 0: c_.pio.bell(); break;
    case 1:
        if (c_.stopSpindle) c_.stopSpindle();
        c_.pio.bell();
        break;
    case 2: restartLoop(); return true;
    case 3:
        if (c_.pressPower) c_.pressPower();
        c_.pio.bell();
        break;
    case 4: c_.pio.bell(); break;
    default: break;
    }
    return false;
}

void ScanControl::restartLoop() {
    auto& t = c_.form.tests;
    auto& s = c_.state;
    c_.scan.closeDrive();
    s.scanActive = false;
    s.startLba = plainNumber(t.StartLbaEdit.text());
    s.endLba = plainNumber(t.EndLbaEdit.text());
    t.LbaOut.setText(std::to_string(s.startLba));
    t.LbaOut1.setText(std::to_string(s.startLba));
    backToStart();
    t.ScBlockSizeBox.setEnabled(true);
    c_.scan.timerWake().stop();
    if (c_.form.setup.scanOptions.ResBetwLoopScanChk.checked()) c_.pio.softReset();
    t.PauseBtn.setCaption("Pause");
    s.scanPaused = false;
    c_.form.AniTimer.setEnabled(false);
    c_.clock.sleepMs(200);
    ++s.loopCount;
    // The next pass starts once this pass's worker has ended, which it does at once.
    restartPending_ = true;
}

void ScanControl::resultsDone() {
    auto& t = c_.form.tests;
    auto& s = c_.state;
    backToStart();
    t.ScBlockSizeBox.setEnabled(true);
    t.ScanRWGrp.setEnabled(true);
    c_.selection.setSelectionControlsEnabled(true);
    if (s.scanActive) completeScan();
    s.lastDirection = s.direction;
    c_.form.Application.setCaption("Korvane ");
}

void ScanControl::shutdownPc() {
    c_.log("Shutdown PC", 0, 2);
    c_.power.shutDown();
}

// ------------------------------------------------------------------------------------------
// Interlocks
// ------------------------------------------------------------------------------------------

void ScanControl::blockSizeChanged() {
    auto& box = c_.form.tests.ScBlockSizeBox;
    uint64_t v = std::min<uint64_t>(boxDigits(box.text()), 65535);
    if (!apiMode() && !c_.session.lba48) v = std::min<uint64_t>(v, 256);
    if (box.text() != std::to_string(v)) box.setText(std::to_string(v));
    c_.state.blockSize = uint16_t(v);
}

void ScanControl::modeClicked() {
    auto& t = c_.form.tests;
    const int mode = t.ScanRWGrp.itemIndex();
    const bool api = apiMode();
    if (mode == 0) {
        if (!api) t.ScDftChk.setVisible(true);
        t.DDDChk.setVisible(false);
    } else {
        t.ScDftChk.setChecked(false);
        t.ScDftChk.setVisible(false);
        t.DDDChk.setVisible(true);
        t.DDDChk.setEnabled(api);
    }
    if (mode == 2) {
        t.ScanRWGrp.setFontColour(kRed);
        t.DDDChk.setVisible(api);
        t.EnLwChk.setEnabled(!api);
        t.ScNumLbaChk.setVisible(api);
        t.ScRemapGroup.setItemIndex(0);
        t.ScRemapGroup.setEnabled(false);
    } else {
        t.ScanRWGrp.setFontColour(kNavy);
        t.EnLwChk.setEnabled(false);
        t.EnLwChk.setChecked(false);
        t.ScNumLbaChk.setVisible(false);
        t.DDDChk.setChecked(false);
        t.DDDChk.setEnabled(false);
        t.ScRemapGroup.setEnabled(true);
    }
}

void ScanControl::defectActionClicked() {
    auto& t = c_.form.tests;
    t.ScRemapGroup.setFontColour(kNavy);
    switch (t.ScRemapGroup.itemIndex()) {
    case 0: t.ScanTimeEdit.setText("10000"); break;
    case 1: t.ScanTimeEdit.setText("1000"); break;
    case 2:
        t.ScanTimeEdit.setText("200");
        t.ScRemapGroup.setFontColour(kRed);
        break;
    case 3:
        t.ScanTimeEdit.setText("250");
        if ((c_.state.curLba > 0x0FFFFFFE) != bool(c_.state.scanStarted)) c_.form.log.biglbaChk.setChecked(false);
        break;
    default: break;
    }
    c_.scan.readTimeout();
}

void ScanControl::defectoscopeClicked() {
    auto& t = c_.form.tests;
    if (t.ScDftChk.checked()) {
        t.ScRemapGroup.setItemIndex(0);
        t.ScRemapGroup.setEnabled(false);
        t.ScanTimeEdit.setText("250");
    } else {
        t.ScRemapGroup.setEnabled(true);
        t.ScanTimeEdit.setText("10000");
    }
    c_.scan.readTimeout();
}

void ScanControl::stampsClicked() {
    auto& t = c_.form.tests;
    if (apiMode()) std::fill_n(c_.session.buffers.transferBuffer(), 262144 * 4, uint8_t(0));
    c_.session.stampWrites = t.ScNumLbaChk.checked();
    if (t.DDDChk.checked()) t.DDDChk.setChecked(false);
}

void ScanControl::distortionClicked() {
    auto& t = c_.form.tests;
    if (t.DDDChk.checked() && t.ScNumLbaChk.checked()) t.ScNumLbaChk.setChecked(false);
}

void ScanControl::nonDestructiveClicked() {
    auto& t = c_.form.tests;
    const bool on = c_.form.setup.presets.NonDestrChk.checked();
    t.ScanRWGrp.setItemEnabled(2, !on);
    t.ScRemapGroup.setItemEnabled(2, !on);
    if (on)
        c_.session.primaryChannelAllowed = false;
    else if (c_.resetPrimaryChannel)
        c_.resetPrimaryChannel();
}

void ScanControl::endActionChanged() {
    c_.state.loopMode = c_.form.tests.EndScanVarBox.itemIndex() == 2;
    c_.form.tests.Qn.setFocus(true);
}

} // namespace korvane::tests
