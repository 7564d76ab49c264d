#include "shell/WindowActions.h"


#include <algorithm>
#include <cmath>

namespace korvane::shell {

using access::AccessMode;
namespace colours = form::colours;

WindowActions::WindowActions(WindowActionsContext context) : c_(context) {
    auto& f = c_.form;
    c_.startUp.applyPanelTints = [this] { applyPanelTints(); };
    f.RdWrTimer.onTimer = [this] { readWriteTick(); };
    f.EstTimer.onTimer = [this] {
        disconnectWatch();
        c_.form.HdPanel.setPane(4, c_.facts.timeText()); // the status bar's clock
    };
    f.MainPage.onChange = [this] {
        auto& jump = c_.form.tests.Qn;
        if (c_.form.MainPage.activeIndex() != 2) return;
        jump.setFocus(false); // a request, even when the model still thinks it has the focus
        jump.setFocus(true);
    };
    f.header.HexBtn.onClick = [this] { showBufferView(); };
    // A click anywhere on the register panel shows or hides the Registry Monitor.
    auto toggle = [this] { toggleRegistryMonitor(); };
    for (auto& lamp : f.registers.status) lamp.shape.onClick = lamp.label.onClick = toggle;
    for (auto& lamp : f.registers.error) lamp.shape.onClick = lamp.label.onClick = toggle;
    f.registers.StatusRegLabel.onClick = f.registers.ErrorRegLabel.onClick = toggle;
    f.registryMonitor.FontColourGrp.onClick = [this] {
        auto& monitor = c_.form.registryMonitor;
        form::Colour c = monitor.FontColourGrp.itemIndex() == 1 ? colours::Yellow : colours::Lime;
        for (auto& label : monitor.R) label.setFontColour(c);
    };
    f.registryMonitor.FontColourGrp.onClick(); // green to begin with
    f.setup.presets.ClassicStyleChk.onClick = [this] {
        if (onGroupStyle) onGroupStyle(c_.form.setup.presets.ClassicStyleChk.checked());
    };
}

void WindowActions::functionKey(int n) {
    auto& f = c_.form;
    switch (n) {
    case 1: c_.startUp.showHelp(); break;
    case 2:
        f.MainPage.setActiveIndex(0);
        f.commands.PasspBtn.click();
        break;
    case 3:
        if (c_.session.accessMode == AccessMode::Pio) f.commands.ResetBtn.click();
        break;
    case 4:
        f.MainPage.setActiveIndex(2);
        f.tests.ScanStartBtn.click();
        break;
    case 5:
        f.MainPage.setActiveIndex(0);
        f.standard.seek.SeekBtn.click();
        break;
    case 6:
        if (!f.advanced.partitions.PartBox.enabled()) break;
        f.MainPage.setActiveIndex(3);
        f.advanced.partitions.PartBtn.click();
        break;
    case 7: c_.eventLog.showLogViewer(); break;
    case 8: showBufferView(); break;
    case 9:
        f.MainPage.setActiveIndex(1);
        f.smart.monitor.SmartBtn.click();
        break;
    default: break;
    }
}

void WindowActions::toggleRegistryMonitor() {
    auto& monitor = c_.form.registryMonitor;
    if (monitor.visible()) {
        monitor.close();
    } else if (c_.session.accessMode == AccessMode::Pio) { // the registers are PIO's own
        monitor.show();
        c_.pio.updateRegisterMonitor();
    }
}

void WindowActions::showBufferView() {
    auto& view = c_.form.viewBuffer;
    view.setCaption("View buffer");
    view.show();
}

void WindowActions::readWriteTick() {
    auto& c = c_.form.commands;
    c.RdLed.setColour(c_.session.readActive ? colours::Lime : colours::Grey);
    c.WrtLed.setColour(c_.session.writeActive ? colours::Red : colours::Grey);
    if (!c_.startup.appMinimized) return;
    auto& icon = c_.form.AppIcon;
    std::string picture = c_.pio.busyLamp() ? "busy" : "normal";
    if (icon.picture() != picture) {
        icon.setPicture(picture);
        if (onTaskbarPicture) onTaskbarPicture();
    }
}

void WindowActions::disconnectWatch() {
    auto& reg = c_.form.registers;
    auto lit = [&](size_t bit) {
        form::Colour c = reg.status[bit].shape.colour();
        return c != colours::Black && c != colours::Grey;
    };
    enum { BUSY, DRDY, WRF, DRSC, DRQ, CORR, INX, ERR };
    if (lit(DRQ) && lit(DRDY) && lit(WRF) && lit(ERR)) {
        for (auto& lamp : reg.status) {
            lamp.shape.setColour(colours::Black);
            lamp.label.setFontColour(colours::White);
        }
        for (auto& lamp : reg.error) lamp.label.setFontColour(colours::Grey);
        c_.eventLog.logEvent("Port " + access::DeviceSelection::hex(c_.session.pioBasePort, 4) + "h - drive disconnected!",
                      0, 2);
    }
    if (reg.status[BUSY].shape.colour() == colours::Lime) {
        for (size_t bit : {size_t(DRQ), size_t(WRF), size_t(ERR)}) reg.status[bit].shape.setColour(colours::Black);
        reg.status[INX].label.setFontColour(colours::White);
        reg.status[CORR].label.setFontColour(colours::White);
    }
}

form::Colour WindowActions::tint(form::Colour designed, int8_t percent, int style) {
    auto channel = [&](int shift, int ceiling, double divisor) {
        int v = int((designed >> shift) & 0xFF);
        double shifted = v - (ceiling - v) * double(percent) / divisor;
        long r = std::lrint(shifted); // the default rounding mode: halves to the even neighbour
        return form::Colour(std::clamp<long>(r, 0, 255)) << shift;
    };
    bool second = style == 1;
    return channel(16, 255, second ? 80.0 : 100.0) | channel(8, 255, 100.0) | channel(0, second ? 235 : 245, 100.0);
}

void WindowActions::applyPanelTints() {
    auto& f = c_.form;
    // Designed colours: light panels, the dark register panels (light captions on them).
    constexpr form::Colour panelFace = 0xF0F0F0, activeBorder = 0xB4B4B4, registerFace = 0x607080;
    struct Tinted {
        form::Control* control;
        int percent, style;
        form::Colour from = panelFace;
    } tinted[] = {
        {&f.standard.seek.AamPanel, 60, 0},     {&f.standard.pci.PciPanel, 30, 0},
        {&f.standard.seek.AAMTrack, 60, 0},     {&f.tests.ProgressPanel, 30, 0},
        {&f.tests.ScRemapGroup, 30, 0},         {&f.tests.DirectionPanel, 40, 0},
        {&f.registers.IndRegPanel, 60, 0, registerFace}, {&f.registers.IndPanel, 60, 1, registerFace},
        {&f.tests.ScanClrListBtn, 40, 0},       {&f.commands.GrayPanel, 90, 1},
        {&f.tests.CountersPanel, 236, 0},       {&f.standard.security.FilePwdBtn, 40, 0},
        {&f.standard.seek.LimitLabel, 246, 1, activeBorder},
    };
    for (const auto& t : tinted) t.control->setColour(tint(t.from, int8_t(uint8_t(t.percent)), t.style));
}

} // namespace korvane::shell
