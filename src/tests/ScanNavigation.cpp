#include "tests/ScanNavigation.h"

namespace korvane::tests {

ScanNavigation::ScanNavigation(form::TestsPage& page, ScanState& state, access::DriveSession& session,
                               SurfaceScan& scan, access::LogFn log)
    : page_(page), state_(state), session_(session), scan_(scan), log_(std::move(log)) {
    page_.ImgFWD.onMouseDown = [this] { choose(ScanDirection::Forward); };
    page_.ImgREV.onMouseDown = [this] { choose(ScanDirection::Reverse); };
    page_.ImgRND.onMouseDown = [this] { choose(ScanDirection::Random); };
    page_.ImgBTF.onMouseDown = [this] { choose(ScanDirection::Butterfly); };
    page_.MaxLbaButton.onClick = [this] {
        const uint64_t max = session_.maxLba;
        page_.EndLbaEdit.setText(std::to_string(max ? max - 1 : 0));
        page_.Qn.setFocus(true);
    };
    page_.Button3.onClick = [this] {
        page_.StartLbaEdit.setText("0");
        page_.Qn.setFocus(true);
    };
}

void ScanNavigation::choose(ScanDirection d) {
    static const char* names[] = {"FORVARD", "REVERSE", "RANDOM", "BUTTERFLY"};
    const bool running = state_.scanStarted;
    if (running && state_.direction != d) {
        log_(std::string("Direction changed to ") + names[int(d)] + " scan", 0, 1);
        if (d == ScanDirection::Random) scan_.restartRandomClock();
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
    scan_.classes().directionChanged(d);
    scan_.computeLimits();
}

} // namespace korvane::tests
