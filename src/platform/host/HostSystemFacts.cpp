#include "platform/host/HostSystemFacts.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <locale.h>
#include <sys/utsname.h>
#include <unistd.h>

namespace korvane::platform {

namespace {

std::string formatNow(const char* format) {
    // The user's locale decides the texts; newlocale leaves the process-wide locale alone.
    static locale_t userLocale = newlocale(LC_TIME_MASK, "", locale_t(0));
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[64] = {};
    if (userLocale)
        strftime_l(text, sizeof text, format, &local, userLocale);
    else
        std::strftime(text, sizeof text, format, &local);
    return text;
}

} // namespace

std::string HostSystemFacts::timeText() { return formatNow("%X"); }

std::string HostSystemFacts::dateText() { return formatNow("%x"); }

namespace {
// Raw port I/O needs CAP_SYS_RAWIO (bit 17 of the effective capability set).
bool hasRawIo() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("CapEff:", 0) == 0) return (std::stoull(line.substr(7), nullptr, 16) >> 17) & 1;
    return false;
}
// The user's supplementary groups include "disk", whose members may open the disk devices.
bool inDiskGroup() {
    const group* disk = getgrnam("disk");
    if (!disk) return false;
    if (getegid() == disk->gr_gid) return true;
    gid_t groups[256];
    const int n = getgroups(256, groups);
    for (int i = 0; i < n; ++i)
        if (groups[i] == disk->gr_gid) return true;
    return false;
}

std::vector<std::string> missingRightsLines() {
    std::vector<std::string> lines = {
        "Linux: PIO mode needs port access: run as root, or give the program the CAP_SYS_RAWIO capability",
        "Linux: the SMART and pass-through requests of API mode need root (CAP_SYS_RAWIO)"};
    if (inDiskGroup())
        lines.push_back("Linux: as a member of the disk group this user may read the disk devices");
    else
        lines.push_back("Linux: reading the disk devices needs root, or membership of the disk group "
                        "(sudo usermod -aG disk $USER, then log in again)");
    lines.push_back("Linux: start it as root: sudo korvane-cli --host ..., or pkexec korvane --host");
    return lines;
}

} // namespace

OsFacts HostSystemFacts::osFacts() {
    OsFacts f;
    f.platform = PlatformId::Linux;
    utsname u{};
    if (uname(&u) == 0) {
        f.release = u.release;
        std::sscanf(u.release, "%u.%u.%u", &f.major, &f.minor, &f.build);
    }
    f.isAdmin = geteuid() == 0 || hasRawIo();
    if (!f.isAdmin) f.missingRights = missingRightsLines();
    long n = sysconf(_SC_NPROCESSORS_ONLN);
    f.processors = n > 0 ? unsigned(n) : 1;
    return f;
}

double HostSystemFacts::timeOfDay() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return (local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec) / 86400.0;
}

std::string HostSystemFacts::programDirectory() {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return "./";
    return exe.parent_path().string() + "/";
}

std::string HostSystemFacts::userConfigDirectory() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg) return std::string(xdg) + "/korvane/";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : ".") + "/.config/korvane/";
}

} // namespace korvane::platform
