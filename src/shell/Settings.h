#pragma once
#include "shell/AppPaths.h"
#include "shell/IniFile.h"
#include "shell/SettingsKeys.h"

#include <functional>

namespace korvane::shell {

// Reads the settings file into the controls and fields at start-up and writes it back at exit.
class Settings {
public:
    Settings(SettingsTargets targets, AppPaths& paths);

    // Reads every key marked for reading, applies it at once, and creates the log directory
    // when it is missing and writing is allowed.
    void loadSettings();
    // Writes every key marked for writing (only when writing is allowed); false when the file
    // could not be written.
    bool saveSettings();
    // The short second read of the scan map's "Grid" key.
    void readScanGrid();

    // The warning beep of a missing file.
    std::function<void(int divisor, int ms)> beep;

private:
    SettingsTargets t_;
    AppPaths& paths_;
    bool iniRefused_ = false; // the file at load was no settings file: it is not written over
};

} // namespace korvane::shell
