#pragma once
#include "access/DriveSession.h"
#include "access/PioProtocol.h"
#include "form/Control.h"
#include "form/MainForm.h"
#include "platform/SystemFacts.h"
#include "shell/EventLog.h"
#include "shell/StartUp.h"
#include "shell/StartupState.h"

#include <cstdint>
#include <functional>

namespace korvane::shell {

// What the window's own actions work with.
struct WindowActionsContext {
    form::MainForm& form;
    access::DriveSession& session;
    StartupState& startup;
    StartUp& startUp;
    access::PioProtocol& pio;
    EventLog& eventLog;
    platform::SystemFacts& facts;
};

// What belongs to the main window itself: the F1-F9 actions, the page-change focus rule, the
// read/write indicators, the disconnect watcher and the panel tints. Toolkit-free, so the
// window, the tests and the command line share it.
class WindowActions {
public:
    explicit WindowActions(WindowActionsContext context);

    // F1 ... F9; other numbers do nothing.
    void functionKey(int n);
    // A click on the register panel.
    void toggleRegistryMonitor();
    // The "HEX" button and F8.
    void showBufferView();
    // RdWrTimer, every 50 ms.
    void readWriteTick();
    // EstTimer, every second.
    void disconnectWatch();
    // Applied at start-up.
    void applyPanelTints();

    // A designed colour shifted by a signed percentage in one of the two styles; each channel is
    // rounded half to even and clamped to 0-255.
    static form::Colour tint(form::Colour designed, int8_t percent, int style);

    // The window's group frames follow "Classic group style" (the toolkit sets this).
    std::function<void(bool classic)> onGroupStyle;
    // Repaints the task-bar button after its picture changed (the toolkit sets this).
    std::function<void()> onTaskbarPicture;

private:
    WindowActionsContext c_;
};

} // namespace korvane::shell
