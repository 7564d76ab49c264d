#include "platform/host/HostSystemFacts.h"

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <locale.h>

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
