#include "app/cli/CliCommands.h"

#include "access/SizeParse.h"
#include "app/cli/CliDialogs.h"
#include "app/cli/CliInterrupts.h"
#include "app/cli/CliScan.h"
#include "app/cli/CliSeek.h"
#include "app/cli/CliSmart.h"
#include "app/cli/CliSupport.h"
#include "sim/LabProfiles.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>

namespace korvane::cli {

namespace {

using form::Origin;

} // namespace

bool fail(CliContext& c, const std::string& why) {
    c.app.eventLog.flush();
    c.err << "korvane-cli: " << why << "\n";
    return false;
}

namespace {

// Clicks the API/PIO selector as the user would; false when start-up left it locked.
bool chooseMode(CliContext& c, int index) {
    auto& selector = c.app.form.header.APIRg;
    if (selector.itemIndex() == index) return true;
    selector.setItemIndex(index, Origin::User);
    if (selector.itemIndex() == index) return true;
    return fail(c, std::string(index == 0 ? "API" : "PIO") + " mode is not available on this machine (the log says why)");
}

bool selectApiDevice(CliContext& c, const std::string& which) {
    auto& app = c.app;
    auto& list = app.form.standard.api.ApiList;
    bool letter = which.size() == 2 && which.back() == ':';
    if (!letter) app.selection.lastApiDevice = std::stoi(which);
    if (!chooseMode(c, 0)) return false;
    std::string wanted = letter ? std::string(1, char(std::toupper((unsigned char)which[0]))) + ":" : which;
    for (size_t r = 0; r < list.rowCount(); ++r)
        if (list.cell(r, 1) == wanted) {
            list.select(r, false, Origin::User);
            return true;
        }
    return fail(c, "no device " + wanted + " in the device list (korvane-cli devices lists them)");
}

bool selectPioChannel(CliContext& c) {
    auto& app = c.app;
    const CliOptions& o = c.options;
    auto& port = app.form.standard.port;
    if (o.pio && !chooseMode(c, 1)) return false;
    if (app.session.accessMode != access::AccessMode::Pio) return true;
    if (o.pio) {
        const std::string& channel = *o.pio;
        if (channel == "primary") port.PortBox.setItemIndex(0, Origin::User);
        else if (channel == "secondary") port.PortBox.setItemIndex(1, Origin::User);
        else {
            std::string rest = channel.substr(7);
            size_t colon = rest.find(':');
            // The given ports are the custom channel's, as if saved: the switch to it names them.
            app.session.customBasePort = uint16_t(access::DeviceSelection::parseHex(rest.substr(0, colon)));
            app.session.customAltPort = uint16_t(access::DeviceSelection::parseHex(rest.substr(colon + 1)));
            port.PortBox.setItemIndex(2, Origin::User);
            port.BasePortEdit.setText(rest.substr(0, colon), Origin::User);
            port.AltPortEdit.setText(rest.substr(colon + 1), Origin::User);
        }
    }
    port.SlaveChk.setChecked(o.slave, Origin::User);
    port.AltStChk.setChecked(!o.noAltStatus, Origin::User);
    if (o.lba48) app.form.log.biglbaChk.setChecked(true, Origin::User);
    return true;
}

// The command line's drive selection, made with the controls the user would use. The passport
// buttons are held off meanwhile, so that a command reads the drive only when it asks to.
bool applySelection(CliContext& c) {
    auto& passportButton = c.app.form.commands.PasspBtn;
    bool wasEnabled = passportButton.enabled();
    passportButton.setEnabled(false);
    bool ok = c.options.api ? selectApiDevice(c, *c.options.api) : selectPioChannel(c);
    passportButton.setEnabled(wasEnabled);
    c.app.eventLog.flush(); // the selection's lines come before the command's output
    return ok;
}

// PIO commands need the channel and port access; false (with a message) otherwise.
bool preparePio(CliContext& c) {
    if (c.app.session.accessMode != access::AccessMode::Pio)
        return fail(c, "'" + c.options.command + "' works in PIO mode only (use --pio CHANNEL)");
    if (!c.app.session.portDriverReady) return fail(c, "port access is not available on this machine (the log says why)");
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

} // namespace

bool allDigits(const std::string& s) { return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos; }

bool sizeTextValid(const std::string& s) {
    // Checked against the largest drive 48-bit commands address, so a percentage has its product.
    return s.find_first_of("0123456789") != std::string::npos &&
           access::parseSizeValue(s, uint64_t(1) << 48, 2048).has_value();
}

bool hasFlag(const CliContext& c, const std::string& flag) {
    for (auto& a : c.options.arguments)
        if (a == flag) return true;
    return false;
}

namespace {

} // namespace

std::optional<std::string> flagValue(const CliContext& c, const std::string& flag) {
    const auto& args = c.options.arguments;
    for (size_t i = 0; i + 1 < args.size(); ++i)
        if (args[i] == flag) return args[i + 1];
    return std::nullopt;
}

namespace {

int runPassport(CliContext& c) {
    auto& app = c.app;
    const bool ext = hasFlag(c, "--ext");
    if (ext && (app.session.accessMode != access::AccessMode::Pio || flagValue(c, "--open-bin")))
        return fail(c, "passport --ext reads a drive in PIO mode (--pio CHANNEL)"), 2;
    bool ok;
    if (auto file = flagValue(c, "--open-bin")) {
        ok = app.passportReader.buildPassport(true, *file) >= 0;
    } else {
        if (app.session.accessMode == access::AccessMode::Pio && !preparePio(c)) return 1;
        if (hasFlag(c, "--reset")) app.form.standard.passport.PspplusRstChk.setChecked(true);
        if (ext) app.form.standard.passport.PASSBtnExt.click();
        else app.form.commands.PasspBtn.click();
        ok = app.form.HdPanel.pane(0) != "Passport error!";
    }
    app.eventLog.flush();
    c.out << app.passportReport.copyAllText();
    return ok ? 0 : 1;
}

// The API device list, as the list's columns read.
int runDevices(CliContext& c) {
    auto& app = c.app;
    // The switch to API builds the list; a start in API mode has built it already.
    if (!chooseMode(c, 0)) return 1;
    app.eventLog.flush();
    auto& list = app.form.standard.api.ApiList;
    c.out << "\u2116\t   Size\t Note - click to refresh\tType\n";
    for (size_t r = 0; r < list.rowCount(); ++r)
        c.out << list.cell(r, 1) << "\t" << list.cell(r, 2) << "\t" << list.cell(r, 3) << "\t" << list.cell(r, 4) << "\n";
    return 0;
}

// A short guided run on the lab: the device list, then the passport of every usable drive.
int runDemo(CliContext& c) {
    if (!c.lab) {
        c.err << "korvane-cli: the demo runs on the simulated lab only\n";
        return 1;
    }
    c.out << "Korvane demo on the simulated lab (" << c.lab->profileName << "): the device list, then passports.\n\n";
    if (runDevices(c) != 0) return 1;
    auto& app = c.app;
    auto& list = app.form.standard.api.ApiList;
    for (size_t r = 0; r < list.rowCount(); ++r) {
        if (list.cell(r, 4) == "x") continue;
        c.out << "\n--- " << list.cell(r, 1) << " " << list.cell(r, 3) << " ---\n";
        list.select(r, false, form::Origin::User); // picking a row reads its passport
        app.eventLog.flush();
        c.out << app.passportReport.copyAllText();
    }
    return 0;
}

// "PCI Scan" with its two boxes; the list as its "Copy ALL" text. The system's view of the bus
// serves when the configuration ports are not available, so it needs no drive and no rights.
int runPci(CliContext& c) {
    auto& app = c.app;
    auto& pci = app.form.standard.pci;
    pci.PCIAllDevChk.setChecked(hasFlag(c, "--all"), Origin::User);
    pci.MFDevChk.setChecked(hasFlag(c, "--mf"), Origin::User);
    InterruptsAsBreak breakOnInterrupt;
    app.commands.clearBreak();
    pci.PCIScanBtn.click();
    app.eventLog.flush();
    if (!analysis::PciScan::showsPciResult(app.form.standard.passport.Psp)) return 1;
    c.out << app.passportReport.copyAllText();
    return 0;
}

// The partition viewer: "View part data", then the list as its clipboard text.
int runPartitions(CliContext& c) {
    auto& app = c.app;
    if (!prepareDrive(c)) return 1;
    app.form.commands.PasspBtn.click();
    auto& g = app.form.advanced.partitions;
    if (!g.PartBtn.enabled()) return fail(c, "partitions: the drive gives no passport"), 1;
    InterruptsAsBreak breakOnInterrupt;
    ErrorWatch errors(c);
    g.PartBtn.click();
    app.eventLog.flush();
    c.out << app.partitionAnalyser.copyText();
    return errors.status(g.PartList.rowCount() > 0);
}

int runStatus(CliContext& c) {
    if (!preparePio(c)) return 1;
    auto& pio = c.app.pio;
    auto& reg = c.app.form.registers;
    pio.lightStatusPanel();
    pio.updateStatusPanel(); // the status register
    pio.updateStatusPanel(); // unchanged and not busy: the error register too
    const uint8_t status = pio.lastStatus(), error = pio.lastError();
    char line[48];
    std::snprintf(line, sizeof line, "Status: %02Xh  Error: %02Xh\n", status, error);
    c.out << line;
    // The lamps' names, bit 7 first, lit from the bytes themselves.
    std::string lit;
    for (size_t i = 0; i < reg.status.size(); ++i)
        if (status & (0x80 >> i)) lit += " " + reg.status[i].label.caption();
    const uint8_t errorBits[6] = {0x80, 0x40, 0x10, 0x04, 0x02, 0x01};
    if (!(status & 0x80))
        for (size_t i = 0; i < reg.error.size(); ++i)
            if (error & errorBits[i]) lit += " " + reg.error[i].label.caption();
    c.out << "Lamps:" << (lit.empty() ? " none" : lit) << "\n";
    return 0;
}

// Commands that work in both modes: in PIO mode they need port access.
} // namespace

bool prepareDrive(CliContext& c) {
    if (c.app.session.accessMode == access::AccessMode::Pio && !c.app.session.portDriverReady)
        return fail(c, "port access is not available on this machine (the log says why)");
    return true;
}

namespace {

// The one positional word a command takes, from its allowed values.
std::optional<std::string> word(CliContext& c, size_t index, std::initializer_list<const char*> allowed) {
    const auto& args = c.options.arguments;
    if (index < args.size())
        for (const char* a : allowed)
            if (args[index] == a) return args[index];
    std::string list;
    for (const char* a : allowed) list += std::string(list.empty() ? "" : "|") + a;
    c.err << "korvane-cli: " << c.options.command << ": expected " << list << "\n";
    return std::nullopt;
}

// A command that writes to the drive goes ahead only with --yes.
} // namespace

bool confirmedWrite(CliContext& c, const std::string& what) {
    if (c.options.answer.value_or(false)) return true;
    return fail(c, c.options.command + ": " + what + " writes to the drive: add --yes to do it");
}

namespace {

int runSleep(CliContext& c) {
    if (!prepareDrive(c)) return 1;
    auto bracket = c.app.commands.bracket();
    ErrorWatch errors(c);
    return errors.status(c.app.driveControl.stopSpindle());
}

int runRecall(CliContext& c) {
    if (!prepareDrive(c)) return 1;
    auto bracket = c.app.commands.bracket();
    ErrorWatch errors(c);
    return errors.status(c.app.driveControl.recalibrate());
}

// A sector as the view shows it: 16 bytes a row, the offset, the bytes, their characters.
std::string hexDump(const uint8_t* bytes, size_t n) {
    std::string out;
    char text[8];
    for (size_t row = 0; row < n; row += 16) {
        std::snprintf(text, sizeof text, "%04zX:", row);
        out += text;
        for (size_t i = row; i < row + 16 && i < n; ++i) {
            std::snprintf(text, sizeof text, " %02X", bytes[i]);
            out += text;
        }
        out += "  ";
        for (size_t i = row; i < row + 16 && i < n; ++i) out.push_back(bytes[i] >= 0x20 && bytes[i] < 0x7F ? char(bytes[i]) : '.');
        out += "\n";
    }
    return out;
}

// sector read N [--out FILE]; sector write N --in FILE (with --yes).
int runSector(CliContext& c) {
    auto& app = c.app;
    const auto& args = c.options.arguments;
    auto what = word(c, 0, {"read", "write"});
    if (!what) return 2;
    if (args.size() < 2 || args[1].rfind("--", 0) == 0) return fail(c, "sector " + *what + " needs a sector number"), 2;
    if (!sizeTextValid(args[1])) return fail(c, "sector: " + access::sizeConversionError(args[1])), 2;
    const bool write = *what == "write";
    const auto in = flagValue(c, "--in");
    if (write && !in) return fail(c, "sector write needs --in FILE (512 bytes)"), 2;
    std::string content;
    if (write) {
        std::ifstream file(*in, std::ios::binary);
        content.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        if (!file.good() && !file.eof()) return fail(c, "sector write: " + *in + " cannot be read"), 1;
        if (content.size() != 512) return fail(c, "sector write: " + *in + " holds " + std::to_string(content.size()) +
                                                      " bytes, not 512"), 1;
    }
    if (!prepareDrive(c)) return 1;
    app.form.commands.PasspBtn.click();
    auto& g = app.form.advanced.sector;
    if (!g.HexeditIn.enabled()) return fail(c, "sector: the drive gives no passport"), 1;
    if (write && !confirmedWrite(c, "the sector")) return 1;
    // The field reads the sector it names; a text that names none leaves the label without one.
    g.Label6.setCaption("");
    g.HexeditIn.setText(args[1], Origin::User);
    if (g.Label6.caption().rfind("Sec ", 0) != 0) return app.eventLog.flush(), 1;
    if (write) {
        for (size_t i = 0; i < 512; ++i) g.HexE.edit(i, uint8_t(content[i]));
        const bool ok = app.sectorView.saveClick();
        app.eventLog.flush();
        c.out << g.Label6.caption() << "\n";
        return ok ? 0 : 1;
    }
    app.eventLog.flush();
    const bool ok = g.Label6.caption().find(" Err") == std::string::npos;
    const auto& bytes = g.HexE.data();
    if (auto out = flagValue(c, "--out")) {
        std::ofstream file(*out, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        if (!file) return fail(c, "sector read: " + *out + " cannot be written"), 1;
    } else {
        c.out << g.Label6.caption() << "\n" << hexDump(bytes.data(), bytes.size());
    }
    return ok ? 0 : 1;
}

int runCache(CliContext& c) {
    auto which = word(c, 0, {"write", "read"});
    auto state = which ? word(c, 1, {"on", "off"}) : std::nullopt;
    if (!which || !state) return 2;
    if (!prepareDrive(c)) return 1;
    using Cache = maintenance::DriveControl::Cache;
    const bool on = *state == "on";
    Cache cache = *which == "write" ? (on ? Cache::WriteOn : Cache::WriteOff) : (on ? Cache::ReadOn : Cache::ReadOff);
    ErrorWatch errors(c);
    return errors.status(c.app.driveControl.cacheCommand(cache));
}

int runRpm(CliContext& c) {
    if (!prepareDrive(c)) return 1;
    int rpm = c.app.driveControl.measureRpm();
    c.app.eventLog.flush();
    if (rpm <= 0) return 1;
    c.out << rpm << " RPM\n";
    return 0;
}

int runMbr(CliContext& c) {
    auto state = word(c, 0, {"on", "off"});
    if (!state) return 2;
    if (!prepareDrive(c) || !confirmedWrite(c, "switching the boot signature")) return 1;
    return c.app.driveControl.setBootSignature(*state == "on") ? 0 : 1;
}

int runPower(CliContext& c) {
    if (!preparePio(c)) return 1;
    return c.app.powerAdaptor.toggle() ? 0 : 1;
}

int runHpa(CliContext& c) {
    auto what = word(c, 0, {"native", "set"});
    if (!what) return 2;
    const auto& args = c.options.arguments;
    if (!preparePio(c)) return 1;
    auto& hpa = c.app.form.standard.hpa;
    if (*what == "native") {
        if (args.size() > 1) return fail(c, "hpa native takes nothing more"), 2;
        auto native = c.app.hostProtectedArea.readNativeSize();
        c.app.eventLog.flush();
        if (!native) return 1;
        c.out << *native << " LBAs native\n";
        return 0;
    }
    if (args.size() < 2 || args[1].rfind("--", 0) == 0) return fail(c, "hpa set needs a SIZE (LBA, kb, Mb, Gb or %)"), 2;
    if (!sizeTextValid(args[1])) return fail(c, "hpa set: " + access::sizeConversionError(args[1])), 2;
    const bool temporary = std::find(args.begin(), args.end(), "--temp") != args.end();
    // A size in % of the drive needs its capacity: the window has it from the passport.
    if (c.app.session.maxLba == 0 && !c.app.passportReader.readPassport(false, true))
        return fail(c, "hpa set: the drive gives no passport"), 1;
    auto size = access::parseSizeValue(args[1], c.app.session.maxLba, c.app.session.sectorsPerMiB);
    if (!size) return fail(c, access::sizeConversionError(args[1])), 2;
    // Said before it is done, so a script's log shows what was asked of the drive.
    c.err << "korvane-cli: hpa: setting the size the drive reports to " << *size << " sectors, "
          << (temporary ? "until it is powered off" : "permanently") << "\n";
    if (!confirmedWrite(c, "changing the drive's size")) return 1;
    hpa.L1.setText(args[1], form::Origin::User);
    hpa.HPATpChk.setChecked(temporary, form::Origin::User);
    return c.app.hostProtectedArea.setMaxSize() ? 0 : 1;
}

int runSecurity(CliContext& c) {
    auto what = word(c, 0, {"lock", "unlock", "erase"});
    if (!what) return 2;
    const auto& args = c.options.arguments;
    auto has = [&](const char* f) { return std::find(args.begin(), args.end(), f) != args.end(); };
    auto& g = c.app.form.standard.security;
    if (has("--master") && has("--user")) return fail(c, "security: --master and --user exclude each other"), 2;
    if (has("--high") && has("--max")) return fail(c, "security: --high and --max exclude each other"), 2;
    auto text = flagValue(c, "--password");
    auto file = flagValue(c, "--password-file");
    if (text && file) return fail(c, "security: --password and --password-file exclude each other"), 2;
    if (c.app.session.accessMode == access::AccessMode::Pio && !preparePio(c)) return 1;
    // The controls as the user would set them; the password never reaches the log.
    if (has("--master")) g.PwdTypeGrp.setItemIndex(0, form::Origin::User);
    if (has("--user")) g.PwdTypeGrp.setItemIndex(1, form::Origin::User);
    if (has("--high")) g.PwdLevGrp.setItemIndex(0, form::Origin::User);
    if (has("--max")) g.PwdLevGrp.setItemIndex(1, form::Origin::User);
    if (text) g.PwdEdit.setText(*text, form::Origin::User);
    const std::string target = g.PwdTypeGrp.itemIndex() == 0 ? "Master" : "User";
    c.err << "korvane-cli: security: " << *what << " with the " << target << " password"
          << (*what == "erase" ? ": every sector of the drive will be erased" : "") << "\n";
    if (!confirmedWrite(c, *what == "erase" ? "the security erase" : "changing the drive's security")) return 1;
    if (file) {
        auto& dialogs = static_cast<CliDialogs&>(c.app.env.dialogs);
        dialogs.nextFile = *file;
        g.FilePwdBtn.click();
        if (g.PwdEdit.text().rfind("file: ", 0) != 0) return 1;
    }
    auto& sm = c.app.securityManager;
    sm.enhancedErase = has("--enhanced");
    if (*what == "lock") sm.lock();
    if (*what == "unlock") sm.unlock();
    if (*what == "erase") sm.erase();
    c.app.eventLog.flush();
    const auto& p = c.app.passport;
    if (*what == "lock") return p.SecurityEnabled ? 0 : 1;
    // Unlocked with the password removed, or erased (which removes the user password).
    return !p.SecurityLocked && !p.SecurityEnabled ? 0 : 1;
}

// The command's own options: flags, and options that take a value. Anything else after the
// command is a usage error, global options included (they belong before the command).
struct CommandOptions {
    std::vector<std::string> flags, values;
    size_t freeWords = 0; // words of the command's own choosing (a size, a number)
};

struct Command {
    std::function<int(CliContext&)> run;
    bool usesDrive; // needs the window usable and the selection applied
    CommandOptions options;
};

const std::map<std::string, Command>& commandTable() {
    static const std::map<std::string, Command> commands = {
        {"clock", {runClock, false, {}}},
        {"lab", {runLab, false, {}}},
        {"pci", {runPci, false, {{"--all", "--mf"}, {}}}},
        {"partitions", {runPartitions, true, {}}},
        {"sector", {runSector, true, {{"read", "write", "--yes", "--no"}, {"--out", "--in"}, 1}}},
        {"reset", {runReset, true, {}}},
        {"status", {runStatus, true, {}}},
        {"passport", {runPassport, true, {{"--reset", "--ext"}, {"--open-bin"}}}},
        {"devices", {runDevices, true, {}}},
        {"demo", {runDemo, true, {}}},
        {"sleep", {runSleep, true, {}}},
        {"recall", {runRecall, true, {}}},
        {"cache", {runCache, true, {{"write", "read", "on", "off"}, {}}}},
        {"rpm", {runRpm, true, {}}},
        {"mbr", {runMbr, true, {{"on", "off", "--yes", "--no"}, {}}}},
        {"power", {runPower, true, {}}},
        {"hpa", {runHpa, true, {{"native", "set", "--temp", "--yes", "--no"}, {}, 1}}},
        {"scan",
         {runScan, true,
          {{"--ddd", "--stamps", "--long-writing", "--json", "--yes", "--no", "--defectoscope"},
           {"--mode", "--start", "--end", "--block", "--order", "--duration", "--timeout", "--end-action", "--loops",
            "--log", "--csv", "--map-png", "--graph-png", "--defects", "--read-long-count"}}}},
        {"scan-compare", {runScanCompare, false, {{}, {}, 2}}},
        {"smart",
         {runSmart, true,
          {{"on", "off", "autosave", "test", "abort", "--json", "offline", "short", "extended", "selective",
            "short-captive", "extended-captive", "selective-captive", "conveyance", "vendor"},
           {"--open-bin", "--watch"},
           1}}},
        {"seek", {runSeek, true, {{}, {"--mode", "--start", "--end", "--limit", "--count", "--time"}}}},
        {"aam", {runAam, true, {{"min", "off"}, {}, 1}}},
        {"security",
         {runSecurity, true,
          {{"lock", "unlock", "erase", "--master", "--user", "--high", "--max", "--enhanced", "--yes", "--no"},
           {"--password", "--password-file"}}}}};
    return commands;
}

} // namespace

bool takeCommandAnswer(CliOptions& o, std::string& error) {
    auto it = commandTable().find(o.command);
    if (it == commandTable().end()) return true;
    const auto& flags = it->second.options.flags;
    if (std::find(flags.begin(), flags.end(), "--yes") == flags.end()) return true;
    for (auto a = o.arguments.begin(); a != o.arguments.end();) {
        if (*a != "--yes" && *a != "--no") {
            ++a;
            continue;
        }
        const bool yes = *a == "--yes";
        if (o.answer && *o.answer != yes) return error = "--yes and --no exclude each other", false;
        o.answer = yes;
        a = o.arguments.erase(a);
    }
    return true;
}

bool commandArgumentsValid(const CliOptions& o, std::ostream& err) {
    auto it = commandTable().find(o.command);
    if (it == commandTable().end()) return true; // not built: the runner says so
    const CommandOptions& known = it->second.options;
    const auto& args = o.arguments;
    auto in = [](const std::vector<std::string>& list, const std::string& a) {
        return std::find(list.begin(), list.end(), a) != list.end();
    };
    size_t freeUsed = 0;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (in(known.flags, a)) continue;
        if (a.rfind("-", 0) != 0 && freeUsed < known.freeWords) {
            ++freeUsed;
            continue;
        }
        if (in(known.values, a)) {
            if (i + 1 >= args.size()) {
                err << "korvane-cli: " << o.command << ": " << a << " needs a value\n";
                return false;
            }
            ++i;
            continue;
        }
        err << "korvane-cli: " << o.command << ": unknown " << (a.rfind("-", 0) == 0 ? "option " : "argument ") << a;
        if (isGlobalOption(a)) err << " (global options go before the command)";
        err << "\n";
        return false;
    }
    return true;
}

std::optional<int> runCommand(const std::string& name, CliContext& c) {
    auto it = commandTable().find(name);
    if (it == commandTable().end()) return std::nullopt;
    if (it->second.usesDrive) {
        if (!c.app.startUp.keyboardEnabled) {
            fail(c, "Korvane is disabled on this machine (the log says why)");
            return 1;
        }
        bool fromBin = (name == "passport" || name == "smart") && std::find(c.options.arguments.begin(), c.options.arguments.end(),
                                                       "--open-bin") != c.options.arguments.end();
        if (!fromBin && !applySelection(c)) return 1;
    }
    return it->second.run(c);
}

} // namespace korvane::cli
