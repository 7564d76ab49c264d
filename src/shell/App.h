#pragma once
#include "access/ClockControls.h"
#include "access/ClockState.h"
#include "access/DriveSession.h"
#include "access/SelectionState.h"
#include "access/Timing.h"
#include "form/Clipboard.h"
#include "form/Dialogs.h"
#include "form/MainForm.h"
#include "form/UiThread.h"
#include "platform/Clock.h"
#include "platform/SystemFacts.h"
#include "shell/AppPaths.h"
#include "shell/EventLog.h"
#include "shell/Settings.h"
#include "shell/StartupState.h"

namespace korvane::shell {

// The machine and the user-facing services an App runs over.
struct AppEnvironment {
    platform::Clock& clock;
    platform::SystemFacts& facts;
    form::UiThread& ui;
    form::Dialogs& dialogs;
    form::Clipboard& clipboard;
    AppPaths paths;
};

// Owns the one instance of every process-wide record and of every object that holds behaviour.
// A test builds a fresh App over a simulated machine.
class App {
public:
    explicit App(AppEnvironment env);
    ~App();
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    void logEvent(const std::string& text, int replaceLast = 0, int level = 0) {
        eventLog.logEvent(text, replaceLast, level);
    }

    AppEnvironment env;
    form::MainForm form;
    access::DriveSession session;
    access::ClockState clockState;
    access::SelectionState selection;
    StartupState startup;
    EventLog eventLog;
    access::Timing timing;
    access::ClockControls clockControls;
    Settings settings;
};

} // namespace korvane::shell
