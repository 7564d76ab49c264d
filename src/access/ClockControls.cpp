#include "access/ClockControls.h"

namespace korvane::access {

ClockControls::ClockControls(form::MainForm& form, Timing& timing) : form_(form), timing_(timing) {
    auto& ata = form_.setup.ata;
    auto& timers = form_.setup.timers;
    ata.ATATimerRG.onClick = [this] { ataTimerClicked(); };
    timers.ApiRGR.onClick = [this] { commonClockClicked(); };
    timers.RTChk.onClick = [this] { pioScanTimerClicked(); };
    for (auto* bar : {&ata.BusyTrack, &ata.DrdyTrack, &ata.DrqTrack}) bar->onChange = [this] { recomputeTimeouts(); };
    updateTimeoutLabels();
}

void ClockControls::recomputeTimeouts() {
    auto& ata = form_.setup.ata;
    timing_.setTimeouts(ata.BusyTrack.position(), ata.DrdyTrack.position(), ata.DrqTrack.position());
    updateTimeoutLabels();
}

void ClockControls::updateTimeoutLabels() {
    auto& ata = form_.setup.ata;
    ata.BusyValueLabel.setCaption(std::to_string(ata.BusyTrack.position()) + " s");
    ata.DrdyValueLabel.setCaption(std::to_string(ata.DrdyTrack.position()) + " s");
    ata.DrqValueLabel.setCaption(std::to_string(ata.DrqTrack.position() * 10) + "ms");
}

void ClockControls::ataTimerClicked() {
    auto& ata = form_.setup.ata;
    timing_.selectAtaTimer(ata.ATATimerRG.itemIndex(), ata.BusyTrack.position(), ata.DrdyTrack.position(),
                           ata.DrqTrack.position());
}

void ClockControls::commonClockClicked() {
    auto& timers = form_.setup.timers;
    int item = timers.ApiRGR.itemIndex();
    timing_.selectCommonClock(item);
    timers.RTChk.setItemCaption(0, item == 0 ? "RDTSC  (Univ.)" : "G.T.C. (Univ.)");
    if (onScanTimingChanged) onScanTimingChanged();
}

void ClockControls::pioScanTimerClicked() {
    timing_.selectPioScanTimer(form_.setup.timers.RTChk.itemIndex());
    if (onScanTimingChanged) onScanTimingChanged();
}

} // namespace korvane::access
