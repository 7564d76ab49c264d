#pragma once
#include "form/Dialogs.h"
#include "platform/SystemFacts.h"

#include <functional>
#include <string>
#include <vector>

namespace korvane::shell {

// A window started on this computer's drives without root rights can reach almost nothing: it
// offers to start again through pkexec. The installed program has a polkit action of its own;
// any other copy goes through `env`, which carries the display over to the root process.
struct RootRestart {
    static constexpr const char* kInstalledProgram = "/usr/bin/korvane";
    static constexpr const char* kQuestion =
        "Korvane has no root rights, so it cannot reach this computer's drives and ports.\n"
        "Start it again as administrator (pkexec)?";
    static constexpr const char* kCaption = "Root rights";

    using Environment = std::function<const char*(const char*)>;

    // The command line that starts `program` again as root with `args` (--host first, once).
    static std::vector<std::string> command(const std::string& pkexec, const std::string& program,
                                            const std::vector<std::string>& args, const Environment& env);

    // Asks when rights are missing and pkexec is there; the command line to run when the answer
    // is Yes, else an empty one.
    static std::vector<std::string> offer(form::Dialogs& dialogs, const platform::OsFacts& facts,
                                          const std::string& pkexec, const std::string& program,
                                          const std::vector<std::string>& args, const Environment& env);
};

} // namespace korvane::shell
