#include "shell/Settings.h"

#include <algorithm>

#include "shell/EventLog.h"

#include <filesystem>

namespace korvane::shell {

namespace {

std::string str(std::string_view v) { return std::string(v); }

constexpr double kMaxDateTime = 2958465.99999;

SettingValue readValue(const IniFile& ini, const SettingKey& k, SettingsTargets& t) {
    std::string section = str(k.section), key = str(k.key);
    switch (k.type) {
    case SettingType::Integer:
        return int64_t(ini.readInteger(section, key, IniFile::parseInteger(str(k.defaultText)).value_or(0)));
    case SettingType::Bool:
        // A box's default is its current state.
        return ini.readBool(section, key, std::get<bool>(k.get(t)));
    case SettingType::Float: {
        // Date-time values: from day 0 to the last day of the year 9999.
        double def = IniFile::parseFloat(str(k.defaultText)).value_or(0.0);
        return std::clamp(ini.readFloat(section, key, def), 0.0, kMaxDateTime);
    }
    case SettingType::String: return ini.readString(section, key, str(k.defaultText));
    }
    return int64_t(0);
}

void writeValue(IniFile& ini, const SettingKey& k, const SettingValue& v) {
    std::string section = str(k.section), key = str(k.key);
    switch (k.type) {
    case SettingType::Integer: ini.writeInteger(section, key, std::get<int64_t>(v)); break;
    case SettingType::Bool: ini.writeBool(section, key, std::get<bool>(v)); break;
    case SettingType::Float: ini.writeFloat(section, key, std::get<double>(v)); break;
    case SettingType::String: ini.writeString(section, key, std::get<std::string>(v)); break;
    }
}

} // namespace

Settings::Settings(SettingsTargets targets, AppPaths& paths) : t_(targets), paths_(paths) {}

void Settings::loadSettings() {
    IniFile ini;
    const auto loaded = ini.loadFile(paths_.iniPath);
    iniRefused_ = loaded == IniFile::LoadResult::Refused;
    if (iniRefused_) {
        t_.log.logEvent("Warning! Main INI-file '" + paths_.iniPath +
                            "' is not a settings file (binary, too large or unreadable): defaults are used and "
                            "the file is left as it is",
                        0, 4);
        if (beep) beep(500, 200);
    } else if (loaded == IniFile::LoadResult::Missing) {
        t_.log.logEvent(std::string("Warning! Main INI-file '") + AppPaths::kIniName +
                            "' not found, and writen default sets!",
                        0, 4);
        if (beep) beep(500, 200);
    }
    for (const SettingKey& k : settingsKeys())
        if (k.read) k.set(t_, readValue(ini, k, t_));

    std::string logDir = paths_.logDirectory(t_.form.setup.log.LogDirEdit.text());
    if (t_.log.logWriteEnabled()) {
        std::error_code ec;
        std::filesystem::create_directories(logDir, ec); // a failure only means no log file
    }
    if (t_.form.setup.log.LogFileEdit.text().empty()) t_.form.setup.log.LogFileEdit.setText("eventlog.txt");
    std::string name = EventLog::cleanFileName(t_.form.setup.log.LogFileEdit.text());
    t_.log.setLogFile(logDir, logDir + name);
}

void Settings::readScanGrid() {
    IniFile ini;
    ini.load(paths_.iniPath);
    t_.startup.scanGrid = ini.readBool("Scan", "Grid", t_.form.tests.DisGridChk.checked());
    t_.form.tests.DisGridChk.setChecked(t_.startup.scanGrid);
}

bool Settings::saveSettings() {
    if (!t_.log.logWriteEnabled()) return true;
    if (t_.startup.soundMutedAtNight) {
        // Muting was for this night only; the stored choice stays what the user made.
        t_.form.setup.sound.AllSoundChk.setChecked(true);
        t_.startup.soundMutedAtNight = false;
    }
    IniFile ini;
    // Keep whatever else the file holds; a file that is no settings file is never replaced.
    if (iniRefused_ || ini.loadFile(paths_.iniPath) == IniFile::LoadResult::Refused) return false;
    for (const SettingKey& k : settingsKeys())
        if (k.write) writeValue(ini, k, k.get(t_));
    return ini.save(paths_.iniPath);
}

} // namespace korvane::shell
