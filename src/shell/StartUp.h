#pragma once
#include "access/ClockControls.h"
#include "access/ClockState.h"
#include "access/DeviceSelection.h"
#include "access/DriveCommands.h"
#include "access/DriveSession.h"
#include "access/PioProtocol.h"
#include "access/PortDriver.h"
#include "access/SelectionState.h"
#include "access/Timing.h"
#include "form/MainForm.h"
#include "info/PassportReader.h"
#include "platform/Clock.h"
#include "platform/PortIo.h"
#include "platform/SystemFacts.h"
#include "shell/EventLog.h"
#include "shell/Settings.h"
#include "shell/StartupState.h"

#include <array>
#include <functional>
#include <string>

namespace korvane::shell {

// What start-up and shutdown work with, and nothing more.
struct StartUpContext {
    form::MainForm& form;
    access::DriveSession& session;
    access::SelectionState& selection;
    StartupState& startup;
    EventLog& eventLog;
    Settings& settings;
    access::Timing& timing;
    access::ClockState& clockState;
    access::ClockControls& clockControls;
    access::PioProtocol& pio;
    access::DriveCommands& commands;
    access::PortDriver& portDriver;
    access::DeviceSelection& deviceSelection;
    info::PassportReader& passportReader;
    platform::Clock& clock;
    platform::SystemFacts& facts;
    platform::PortIo& ports;
};

// The start-up sequence, shutdown, and the window-wide settings handlers.
class StartUp {
public:
    static constexpr const char* kCaption = " Korvane 4.61b-SSD, https://korvane.example/";

    explicit StartUp(StartUpContext context);

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

    StartUpContext c_;
};

} // namespace korvane::shell
