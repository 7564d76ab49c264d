#include "app/cli/CliRunner.h"

#include "app/cli/CliCommands.h"
#include "app/cli/CliDialogs.h"
#include "app/Machine.h"
#include "form/HeadlessUiThread.h"
#include "platform/host/HostClock.h"
#include "platform/host/HostDiskDevices.h"
#include "platform/host/HostPortIo.h"
#include "platform/host/HostSystemFacts.h"
#include "platform/sim/LabSystemFacts.h"
#include "platform/sim/SimDiskDevices.h"
#include "platform/sim/SimPortIo.h"
#include "platform/sim/VirtualClock.h"
#include "shell/App.h"
#include "sim/LabProfiles.h"
#include "sim/RealDriveProfile.h"
#include "sim/LabStateStore.h"

#include <algorithm>
#include <filesystem>
#include <unistd.h>

#ifndef KORVANE_VERSION
#define KORVANE_VERSION "dev"
#endif

namespace korvane::cli {

std::string cliLogLine(const std::string& line, const std::string& mark) {
    return (mark.empty() || mark == " ") ? line : mark + " " + line;
}

namespace {

shell::AppPaths pathsFor(const CliOptions& o, platform::SystemFacts& facts) {
    shell::AppPaths paths = shell::AppPaths::resolve(facts);
    if (o.iniFile) paths.iniPath = *o.iniFile;
    if (o.logsDir) paths.logDirectoryOverride = *o.logsDir;
    return paths;
}

bool directoryWritable(const std::string& dir) {
    std::error_code ec;
    return std::filesystem::is_directory(dir, ec) && ::access(dir.c_str(), W_OK) == 0;
}

} // namespace

int runCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, const CliHooks& hooks) {
    ParseResult parsed = parseCommandLine(args);
    if (!parsed.options) {
        err << "korvane-cli: " << parsed.error << "\n" << "Try 'korvane-cli --help'.\n";
        return 2;
    }
    CliOptions& o = *parsed.options;
    if (o.help) {
        out << usageText();
        return 0;
    }
    if (o.version) {
        out << "korvane-cli " << KORVANE_VERSION << "\n";
        return 0;
    }

    std::string answerError;
    if (!takeCommandAnswer(o, answerError)) {
        err << "korvane-cli: " << answerError << "\nTry 'korvane-cli --help'.\n";
        return 2;
    }
    if (!commandArgumentsValid(o, err)) {
        err << "Try 'korvane-cli --help'.\n";
        return 2;
    }

    // The lab runs on its own time: a drive that is busy lets time pass when it is polled, so a
    // scan of a whole lab drive takes as long as the work, and its block times are the drive's.
    platform::VirtualClock labClock;
    labClock.setReadStepNs(1000);
    std::unique_ptr<sim::Lab> lab;
    if (o.machine == CliOptions::Machine::Sim) {
        lab = sim::buildLab(o.simProfile, labClock);
        if (!lab) {
            std::string why;
            if (o.simProfile.rfind("real:", 0) == 0 && !sim::realDriveProfile(o.simProfile.substr(5), why))
                err << "korvane-cli: the lab profile " << o.simProfile << " cannot be built: " << why << "\n";
            else
                err << "korvane-cli: unknown lab profile '" << o.simProfile << "' (korvane-cli lab lists them)\n";
            return 2;
        }
    }

    if (lab && hooks.labBuilt) hooks.labBuilt(*lab);
    if (lab && o.simStateDir) {
        std::string error;
        if (!sim::LabStateStore::open(*lab, *o.simStateDir, error)) {
            err << "korvane-cli: " << error << "\n";
            return 1;
        }
    }

    platform::HostClock hostClock;
    platform::Clock& clock = lab ? static_cast<platform::Clock&>(labClock) : hostClock;
    platform::HostSystemFacts hostFacts;
    platform::LabSystemFacts labFacts(hostFacts);
    platform::SystemFacts& facts = lab ? static_cast<platform::SystemFacts&>(labFacts) : hostFacts;
    form::HeadlessUiThread ui(clock);
    CliDialogs dialogs(err, o.answer);
    form::MemoryClipboard clipboard;
    app::Machine machine(lab.get(), o.devices);
    shell::App app(shell::AppEnvironment{clock, facts, ui, dialogs, clipboard, machine.ports(), machine.disks(),
                                         machine.power(), machine.pciFiles(), pathsFor(o, facts)});
    app.eventLog.onLineFinal = [&](const std::string& line, const std::string& mark) {
        // Line by line, so a script or a terminal follows a long command as it goes.
        if (!o.quiet) out << cliLogLine(line, mark) << "\n" << std::flush;
        // A script sees why a command failed even when it asked for quiet.
        if (mark == "4") err << cliLogLine(line, mark) << "\n";
    };

    // The window's own start: platform, rights, port access, the saved selection. A saved API
    // device would have its passport read on the way; the command line reads a drive only when
    // its command asks, so the passport button is held off meanwhile.
    auto& passportButton = app.form.commands.PasspBtn;
    bool passportEnabled = passportButton.enabled();
    passportButton.setEnabled(false);
    app.startUp.startUp();
    passportButton.setEnabled(passportEnabled);
    if (lab && hooks.startedUp) hooks.startedUp(app);

    if (o.logsDir && !directoryWritable(app.eventLog.logDirectory()))
        err << "korvane-cli: warning: the log directory " << *o.logsDir
            << " cannot be written; no log file or dumps are kept\n";

    // A device added without a mode is the one the user means to work on: in API mode, by the
    // number it got after this machine's own disks.
    if (!o.devices.empty() && !o.api && !o.pio && machine.hostDisks) {
        const auto& paths = machine.hostDisks->physicalPaths();
        auto at = std::find(paths.begin(), paths.end(), o.devices.front());
        if (at != paths.end() && at - paths.begin() <= 24) o.api = std::to_string(at - paths.begin());
    }

    CliContext context{app, o, lab.get(), out, err, ui};
    if (machine.hostDisks)
        context.isNvme = [&app, &machine] {
            const auto& paths = machine.hostDisks->physicalPaths();
            const unsigned n = app.session.apiDeviceNumber;
            return app.session.accessMode == access::AccessMode::Api && n < paths.size() &&
                   paths[n].find("/nvme") != std::string::npos;
        };
    std::optional<int> result = runCommand(o.command, context);
    int status = result.value_or(1);
    if (lab && hooks.commandDone) hooks.commandDone(app, labClock);
    if (!result) {
        app.eventLog.flush();
        err << "korvane-cli: '" << o.command << "' is not available yet in this build\n";
    }
    // The window's close presses Break; its line goes to the log file, not to a finished command's output.
    app.eventLog.flush();
    app.eventLog.onLineFinal = nullptr;
    app.startUp.onClose();
    app.eventLog.flush();
    if (lab && o.simStateDir) {
        std::string error;
        if (!sim::LabStateStore::save(*lab, *o.simStateDir, error)) {
            err << "korvane-cli: " << error << "\n";
            status = status == 0 ? 1 : status;
        }
    }
    // Closing the window saves the settings; the command line does so only when asked.
    if (o.saveSettings && !app.settings.saveSettings()) {
        err << "korvane-cli: the settings file " << app.env.paths.iniPath << " could not be written\n";
        status = status == 0 ? 1 : status;
    }
    ui.shutdown();
    return status;
}

} // namespace korvane::cli
