#include "platform/host/HostProcess.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <unistd.h>

namespace korvane::platform {

std::string findProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path && *path ? path : "/usr/bin:/bin");
    for (std::string dir; std::getline(dirs, dir, ':');) {
        if (dir.empty()) continue;
        std::string candidate = dir + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return "";
}

std::string runningProgram() {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? "" : exe.string();
}

std::string replaceProcess(const std::vector<std::string>& line) {
    if (line.empty()) return "nothing to run";
    std::vector<char*> argv;
    for (const auto& word : line) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    return std::strerror(errno);
}

} // namespace korvane::platform
