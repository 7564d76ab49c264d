#pragma once
#include "platform/SystemFacts.h"

#include <array>
#include <functional>
#include <string>

namespace korvane::shell {

class App;

// The start-up sequence, shutdown, and the window-wide settings handlers.
class StartUp {
public:
    static constexpr const char* kCaption = " Korvane 4.61b-SSD, https://korvane.example/";

    explicit StartUp(App& app);

    void startUp();
    void onClose();
    void onDestroy();
    void onMinimize();
    void onRestore();
    // F1: the help page beside the program.
    void showHelp();

    static std::string describeOperatingSystem(const platform::OsFacts& os);

    // Re-entry guards of the Scan, Seek, SMART, Lock and Unlock buttons; the 10-second timer
    // sets them all again.
    enum Guard { ScanGuard, SeekGuard, SmartGuard, LockGuard, UnlockGuard };
    std::array<bool, 5> guards{true, true, true, true, true};
    bool enter(Guard g) {
        if (!guards[g]) return false;
        guards[g] = false;
        return true;
    }

    // Start-up steps that other features fill in (scan direction pictures, time classes, the
    // speed graph, panel tints, SMART placeholder rows).
    std::function<void()> initScanDirections, recomputeScanThresholds, clearSpeedGraph, applyPanelTints,
        smartPlaceholderRows;

    // Keyboard actions are off when start-up ends without rights.
    bool keyboardEnabled = true;

private:
    bool checkPlatform(const platform::OsFacts& os);
    void obtainPortAccess(const platform::OsFacts& os);
    void initialDriveState();
    void nightMuting();
    void wireHandlers();

    App& app_;
};

} // namespace korvane::shell
