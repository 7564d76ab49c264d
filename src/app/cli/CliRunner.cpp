#include "app/cli/CliRunner.h"

#include "app/cli/CliDialogs.h"
#include "form/HeadlessUiThread.h"
#include "platform/host/HostClock.h"
#include "platform/host/HostSystemFacts.h"
#include "shell/App.h"
#include "sim/LabProfiles.h"

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

int runClock(shell::App& app) {
    app.timing.measureCpuClockLogged();
    return 0;
}

int runLab(sim::Lab* lab, std::ostream& out, std::ostream& err) {
    if (!lab) {
        err << "korvane-cli: 'lab' describes the simulated lab; it is not in use with --host or --device\n";
        return 1;
    }
    out << sim::describeLab(*lab);
    return 0;
}

} // namespace

int runCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    ParseResult parsed = parseCommandLine(args);
    if (!parsed.options) {
        err << "korvane-cli: " << parsed.error << "\n" << "Try 'korvane-cli --help'.\n";
        return 2;
    }
    const CliOptions& o = *parsed.options;
    if (o.help) {
        out << usageText();
        return 0;
    }
    if (o.version) {
        out << "korvane-cli " << KORVANE_VERSION << "\n";
        return 0;
    }

    sim::RealLabTime labTime;
    std::unique_ptr<sim::Lab> lab;
    if (o.machine == CliOptions::Machine::Sim) {
        lab = sim::buildLab(o.simProfile, labTime);
        if (!lab) {
            err << "korvane-cli: unknown lab profile '" << o.simProfile << "' (korvane-cli lab lists them)\n";
            return 2;
        }
    }

    platform::HostClock clock;
    platform::HostSystemFacts facts;
    form::HeadlessUiThread ui(clock);
    CliDialogs dialogs(err, o.answer);
    form::MemoryClipboard clipboard;
    shell::App app(shell::AppEnvironment{clock, facts, ui, dialogs, clipboard, pathsFor(o, facts)});
    app.eventLog.onLineFinal = [&](const std::string& line, const std::string& mark) {
        if (!o.quiet) out << cliLogLine(line, mark) << "\n";
    };

    app.settings.loadSettings();

    int status;
    if (o.command == "clock") {
        status = runClock(app);
    } else if (o.command == "lab") {
        status = runLab(lab.get(), out, err);
    } else {
        app.eventLog.flush();
        err << "korvane-cli: '" << o.command << "' is not available yet in this build\n";
        status = 1;
    }
    app.eventLog.flush();
    if (o.saveSettings && !app.settings.saveSettings()) {
        err << "korvane-cli: the settings file " << app.env.paths.iniPath << " could not be written\n";
        status = status == 0 ? 1 : status;
    }
    ui.shutdown();
    return status;
}

} // namespace korvane::cli
