#pragma once
#include "app/cli/CliOptions.h"
#include "form/HeadlessUiThread.h"
#include "shell/App.h"
#include "sim/Lab.h"

#include <functional>
#include <ostream>

namespace korvane::cli {

// What a command works with.
struct CliContext {
    shell::App& app;
    const CliOptions& options;
    sim::Lab* lab; // null on this computer's own hardware
    std::ostream& out;
    std::ostream& err;
    form::HeadlessUiThread& ui;
    // True when the selected API device is an NVMe drive (this computer's devices only).
    std::function<bool()> isNvme = {};
};

// Ctrl-C (SIGINT) and SIGTERM: counted by the handler, pressed as Break by a long command.
int interruptsReceived();

// A command that writes takes --yes or --no after its name too: they become the answer to its
// confirmations. False, with the reason, when both are given.
bool takeCommandAnswer(CliOptions& options, std::string& error);
// The command's own options checked before anything starts; false (with a message) on a usage error.
bool commandArgumentsValid(const CliOptions& options, std::ostream& err);
// Runs the command; nullopt when the command is not built in this version.
std::optional<int> runCommand(const std::string& name, CliContext& c);

} // namespace korvane::cli
