#include "shell/AppPaths.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace korvane::shell {

namespace {
std::string withSlash(std::string d) {
    if (d.empty()) return "./";
    if (d.back() != '/') d += '/';
    return d;
}
} // namespace

bool AppPaths::writable(const std::string& directory) {
    std::string probe = withSlash(directory) + ".korvane-write-probe-" + std::to_string(getpid());
    std::ofstream out(probe);
    if (!out) return false;
    out.close();
    std::remove(probe.c_str());
    return true;
}

AppPaths AppPaths::inDirectory(const std::string& directory) {
    AppPaths p;
    p.programDirectory = p.dataDirectory = withSlash(directory);
    p.iniPath = p.dataDirectory + kIniName;
    return p;
}

AppPaths AppPaths::resolve(platform::SystemFacts& facts) {
    AppPaths p = inDirectory(facts.programDirectory());
    if (writable(p.programDirectory)) return p;
    std::error_code ec;
    std::string config = withSlash(facts.userConfigDirectory());
    std::filesystem::create_directories(config, ec);
    p.dataDirectory = config;
    p.iniPath = config + kIniName;
    return p;
}

std::string AppPaths::logDirectory(const std::string& dirName) const {
    if (!logDirectoryOverride.empty()) return withSlash(logDirectoryOverride);
    if (!dirName.empty() && dirName.front() == '/') return withSlash(dirName);
    return withSlash(dataDirectory + dirName);
}

} // namespace korvane::shell
