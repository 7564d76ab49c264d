#pragma once

namespace korvane::shell {

// Facts and options of start-up that outlive it.
struct StartupState {
    bool autoInstallDriver = true;
    bool adminRightsIgnore = false;
    bool soundMutedAtNight = false;
    bool is64BitWindows = false;
    bool isAdmin = false;
    bool appMinimized = false;
    bool russianHelp = false;
    // "Grid" of [Scan], read a second time after the start-up checks.
    bool scanGrid = true;
};

} // namespace korvane::shell
