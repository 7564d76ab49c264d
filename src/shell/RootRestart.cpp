#include "shell/RootRestart.h"

#include <algorithm>

namespace korvane::shell {

std::vector<std::string> RootRestart::command(const std::string& pkexec, const std::string& program,
                                              const std::vector<std::string>& args, const Environment& env) {
    std::vector<std::string> line = {pkexec};
    if (program != kInstalledProgram) {
        // pkexec clears the environment; the window needs its display back.
        line.push_back("env");
        for (const char* name : {"DISPLAY", "XAUTHORITY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR", "QT_QPA_PLATFORM"})
            if (const char* value = env(name); value && *value) line.push_back(std::string(name) + "=" + value);
    }
    line.push_back(program);
    // The policy's action matches on the first argument.
    line.push_back("--host");
    std::copy_if(args.begin(), args.end(), std::back_inserter(line), [](const std::string& a) { return a != "--host"; });
    return line;
}

std::vector<std::string> RootRestart::offer(form::Dialogs& dialogs, const platform::OsFacts& facts,
                                            const std::string& pkexec, const std::string& program,
                                            const std::vector<std::string>& args, const Environment& env) {
    if (facts.isAdmin || pkexec.empty() || program.empty()) return {};
    auto answer = dialogs.messageBox(kQuestion, kCaption, form::MessageType::Confirmation, form::MessageButtons::YesNo);
    if (answer != form::Answer::Yes) return {};
    return command(pkexec, program, args, env);
}

} // namespace korvane::shell
