#include "app/cli/CliCommands.h"

#include "sim/LabProfiles.h"

#include <cstdio>
#include <functional>
#include <map>

namespace korvane::cli {

namespace {

uint16_t hexPort(const std::string& text) { return uint16_t(std::stoul(text, nullptr, 16)); }

// The drive selection of the command line: the API device, or the PIO channel with slave,
// alternate status and 48 bit.
void applySelectionOptions(CliContext& c) {
    auto& s = c.app.session;
    const CliOptions& o = c.options;
    // Linux has disk devices and their pass-through requests.
    s.ntFamily = true;
    if (o.api) {
        s.accessMode = access::AccessMode::Api;
        if (o.api->size() == 2 && o.api->back() == ':') {
            s.apiDeviceNumber = 255;
            s.apiDriveLetter = char(std::toupper((unsigned char)o.api->front()));
        } else {
            s.apiDeviceNumber = uint8_t(std::stoi(*o.api));
        }
        return;
    }
    s.accessMode = access::AccessMode::Pio;
    std::string channel = o.pio.value_or("secondary");
    if (channel == "primary") {
        s.pioBasePort = 0x1F0;
        s.pioAltPort = 0x3F6;
    } else if (channel == "secondary") {
        s.pioBasePort = 0x170;
        s.pioAltPort = 0x376;
    } else {
        std::string rest = channel.substr(7);
        size_t colon = rest.find(':');
        s.pioBasePort = hexPort(rest.substr(0, colon));
        s.pioAltPort = hexPort(rest.substr(colon + 1));
    }
    s.deviceSelectBit = o.slave ? 0x10 : 0x00;
    s.useAltStatus = !o.noAltStatus;
    s.pioStatusPort = s.useAltStatus ? s.pioAltPort : uint16_t(s.pioBasePort + 7);
    s.lba48 = o.lba48;
}

// PIO commands need the channel and port access; false (with a message) otherwise.
bool preparePio(CliContext& c) {
    if (c.app.session.accessMode != access::AccessMode::Pio) {
        c.err << "korvane-cli: '" << c.options.command << "' works in PIO mode only (use --pio CHANNEL)\n";
        return false;
    }
    if (!c.app.portDriver.openPortDriver()) return false;
    c.app.session.portDriverReady = true;
    c.app.clockControls.recomputeTimeouts();
    return true;
}

int runClock(CliContext& c) {
    c.app.timing.measureCpuClockLogged();
    return 0;
}

int runLab(CliContext& c) {
    if (!c.lab) {
        c.err << "korvane-cli: 'lab' describes the simulated lab; it is not in use with --host or --device\n";
        return 1;
    }
    c.out << sim::describeLab(*c.lab);
    return 0;
}

int runReset(CliContext& c) {
    if (!preparePio(c)) return 1;
    return c.app.pio.driveReset() ? 0 : 1;
}

bool hasFlag(const CliContext& c, const std::string& flag) {
    for (auto& a : c.options.arguments)
        if (a == flag) return true;
    return false;
}

std::optional<std::string> flagValue(const CliContext& c, const std::string& flag) {
    const auto& args = c.options.arguments;
    for (size_t i = 0; i + 1 < args.size(); ++i)
        if (args[i] == flag) return args[i + 1];
    return std::nullopt;
}

int runPassport(CliContext& c) {
    auto& app = c.app;
    for (size_t i = 0; i < c.options.arguments.size(); ++i) {
        const std::string& a = c.options.arguments[i];
        if (a == "--open-bin") ++i;
        else if (a != "--reset" && a != "--ext") {
            c.err << "korvane-cli: passport: unknown option " << a << "\n";
            return 2;
        }
    }
    if (hasFlag(c, "--ext")) {
        c.err << "korvane-cli: passport --ext is not available yet in this build\n";
        return 1;
    }
    bool ok;
    if (auto file = flagValue(c, "--open-bin")) {
        ok = app.passportReader.buildPassport(true, *file) >= 0;
    } else {
        if (app.session.accessMode == access::AccessMode::Pio && !preparePio(c)) return 1;
        if (hasFlag(c, "--reset")) app.form.standard.passport.PspplusRstChk.setChecked(true);
        app.form.commands.PasspBtn.click();
        ok = app.form.HdPanel.pane(0) != "Passport error!";
    }
    app.eventLog.flush();
    c.out << app.passportReport.copyAllText();
    return ok ? 0 : 1;
}

int runStatus(CliContext& c) {
    if (!preparePio(c)) return 1;
    auto& pio = c.app.pio;
    auto& reg = c.app.form.registers;
    pio.lightStatusPanel();
    pio.updateStatusPanel(); // the status register
    pio.updateStatusPanel(); // unchanged and not busy: the error register too
    c.out << "Status: " << reg.StatusRegLabel.caption() << "h  Error: " << reg.ErrorRegLabel.caption() << "h\n";
    std::string lit;
    for (auto& lamp : reg.status) {
        bool on = lamp.shape.colour() != form::colours::Black && lamp.shape.colour() != form::colours::Grey;
        if (lamp.label.caption() == "CORR") on = lamp.label.fontColour() == form::colours::Blue;
        if (lamp.label.caption() == "INX") on = lamp.label.fontColour() == form::colours::Yellow;
        if (on) lit += " " + lamp.label.caption();
    }
    for (auto& lamp : reg.error)
        if (lamp.label.fontColour() == form::colours::Red) lit += " " + lamp.label.caption();
    c.out << "Lamps:" << (lit.empty() ? " none" : lit) << "\n";
    return 0;
}

} // namespace

std::optional<int> runCommand(const std::string& name, CliContext& c) {
    static const std::map<std::string, std::function<int(CliContext&)>> commands = {
        {"clock", runClock}, {"lab", runLab}, {"reset", runReset}, {"status", runStatus}, {"passport", runPassport}};
    auto it = commands.find(name);
    if (it == commands.end()) return std::nullopt;
    applySelectionOptions(c);
    return it->second(c);
}

} // namespace korvane::cli
