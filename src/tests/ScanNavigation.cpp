#include "tests/ScanNavigation.h"

namespace korvane::tests {

ScanNavigation::ScanNavigation(ScanNavigationContext c) : c_(std::move(c)), page_(c_.page), state_(c_.state) {
    wire();
}

void ScanNavigation::wire() {
    page_.ImgFWD.onMouseDown = [this] { choose(ScanDirection::Forward); };
    page_.ImgREV.onMouseDown = [this] { choose(ScanDirection::Reverse); };
    page_.ImgRND.onMouseDown = [this] { choose(ScanDirection::Random); };
    page_.ImgBTF.onMouseDown = [this] { choose(ScanDirection::Butterfly); };
    page_.MaxLbaButton.onClick = [this] {
        const uint64_t max = c_.session.maxLba;
        page_.EndLbaEdit.setText(std::to_string(max ? max - 1 : 0));
        page_.Qn.setFocus(true);
    };
    page_.Button3.onClick = [this] {
        page_.StartLbaEdit.setText("0");
        page_.Qn.setFocus(true);
    };
    auto& qn = page_.Qn;
    qn.onClick = [this](Arrow a) { jump(a); };
    qn.onMouseDown = [this](Arrow a) {
        heldArrow_ = a;
        if (state_.scanStarted && c_.options.AutoRepQnChk.checked()) {
            repeatArmed_ = true;
            c_.repeatTimer.setEnabled(true);
        }
    };
    qn.onMouseUp = [this](Arrow) {
        c_.repeatTimer.setEnabled(false);
        repeatArmed_ = false;
        if (!c_.options.AutoRepQnChk.checked()) jump(heldArrow_);
    };
    c_.repeatTimer.onTimer = [this] {
        if (repeatArmed_ && c_.options.AutoRepQnChk.checked()) jump(heldArrow_);
    };
    c_.options.QnRepTimeBox.onChange = [this] { c_.repeatTimer.setInterval(uint32_t(c_.options.QnRepTimeBox.value())); };
    c_.options.AutoRepQnChk.onClick = [this] {
        c_.options.QnRepTimeBox.setEnabled(c_.options.AutoRepQnChk.checked());
    };
    page_.RstAftJmpChk.onClick = [this] { page_.Qn.setFocus(true); };
    page_.ScanClrListBtn.onClick = [this] {
        c_.scan.resetCounters();
        page_.Qn.setFocus(true);
    };
    page_.ScTimeLed.onClick = [this] { showStartTime(); };
    // A running random scan is lengthened or shortened: its duration counts from now.
    page_.RndScTimeEdit.onChange = page_.RndScTimeEdit.onClick = [this] { c_.scan.restartRandomClock(); };
}

void ScanNavigation::showStartTime() {
    page_.Qn.setFocus(true);
    page_.ScTimeLed.setCaption("Start:");
    form::waitRunningEvents(c_.ui, c_.clock, 1000);
    page_.ScTimeLed.setCaption(c_.scan.startTime());
    form::waitRunningEvents(c_.ui, c_.clock, 2000);
}

void ScanNavigation::jump(Arrow a) {
    if (state_.scanStarted) state_.mapNonLinear = true;
    // The position moves while the worker stands between two blocks, so it never steps on from
    // the old one over the new; a paused scan goes on from the new place afterwards.
    if (holdWorker) holdWorker();
    move(a);
    if (releaseWorker) releaseWorker();
    if (state_.scanPaused) page_.PauseBtn.click();
    if (page_.RstAftJmpChk.checked() && state_.scanStarted) {
        c_.pio.softReset();
        c_.clock.sleepMs(100);
    }
}

// The moves: J the large step (Left, Right), j the small one (Up, Down). Positions are compared
// as signed numbers, so a step back from near the start never wraps round.
void ScanNavigation::move(Arrow a) {
    auto& s = state_;
    if (c_.options.SwapUpDnkeysChk.checked() && (a == Arrow::Up || a == Arrow::Down))
        a = a == Arrow::Up ? Arrow::Down : Arrow::Up;
    const int64_t start = int64_t(s.startLba), end = int64_t(s.endLba), bs = s.blockSize;
    const int64_t J = int64_t(s.jumpLarge), j = int64_t(s.jumpSmall);
    const int64_t cur = int64_t(s.curLba.load());
    const bool butterfly = s.direction == ScanDirection::Butterfly;
    switch (a) {
    case Arrow::Right:
        if (butterfly) {
            s.btfLow = s.btfLow + uint64_t(J);
            s.btfHigh = s.btfHigh - uint64_t(J);
            s.jumpedForward = true;
        } else if (cur + J + bs <= end) {
            s.curLba = uint64_t(cur + J);
            s.jumpedForward = true;
        }
        break;
    case Arrow::Left:
        if (butterfly) {
            if (start + J < int64_t(s.btfLow.load())) {
                s.btfLow = s.btfLow - uint64_t(J);
                s.btfHigh = s.btfHigh + uint64_t(J);
            }
        } else {
            s.curLba = uint64_t(cur - J - bs < start ? start : cur - J);
        }
        s.jumpedBack = true;
        break;
    case Arrow::Up:
        if (cur + j + bs <= end) s.curLba = uint64_t(cur + j);
        s.jumpedForward = true;
        break;
    case Arrow::Down:
        s.curLba = uint64_t(cur - j - bs < start ? start : cur - j);
        s.jumpedBack = true;
        break;
    }
}

void ScanNavigation::choose(ScanDirection d) {
    static const char* names[] = {"FORVARD", "REVERSE", "RANDOM", "BUTTERFLY"};
    const bool running = state_.scanStarted;
    if (running && state_.direction != d) {
        c_.log(std::string("Direction changed to ") + names[int(d)] + " scan", 0, 1);
        if (d == ScanDirection::Random) c_.scan.restartRandomClock();
    }
    selectDirection(int(d));
    page_.RndScTimeEdit.setEnabled(d == ScanDirection::Random);
}

void ScanNavigation::selectDirection(int value) {
    const ScanDirection d = value >= 0 && value <= 3 ? ScanDirection(value) : ScanDirection::Forward;
    state_.mapNonLinear = state_.mapNonLinear || state_.scanStarted;
    page_.ImgFWD.setOn(d == ScanDirection::Forward);
    page_.ImgREV.setOn(d == ScanDirection::Reverse);
    page_.ImgRND.setOn(d == ScanDirection::Random);
    page_.ImgBTF.setOn(d == ScanDirection::Butterfly);
    state_.direction = d;
    page_.TrackBar.setVisible(d == ScanDirection::Random);
    page_.ScanPercentLed.setVisible(d != ScanDirection::Random);
    if (d == ScanDirection::Butterfly) {
        page_.LbaOut1.setColour(0xFFFFFF);
        page_.LbaOut1.setFontColour(0x008080);
    } else {
        page_.LbaOut1.setColour(0xC5C4BE);
        page_.LbaOut1.setFontColour(0x808080);
        page_.LbaOut1.setText("0");
    }
    c_.scan.classes().directionChanged(d);
    c_.scan.computeLimits();
}

} // namespace korvane::tests
