#pragma once
#include "platform/Clock.h"

#include <cstdint>
#include <functional>

namespace korvane::form {

class Timer;

// The UI thread: every control model is touched only here. Workers reach it through invoke
// (a synchronous UI step) or post; long waits on the UI thread call processEvents so that
// queued steps, timers and Break keep running.
class UiThread {
public:
    virtual ~UiThread() = default;

    // Runs fn on the UI thread and returns when it is done (at once when called on the UI thread).
    virtual void invoke(const std::function<void()>& fn) = 0;
    // Queues fn for the UI thread and returns at once.
    virtual void post(std::function<void()> fn) = 0;
    // Runs what is pending (queued steps, due timers); re-entrant. UI thread only.
    virtual void processEvents() = 0;
    virtual bool isUiThread() const = 0;

    // Timers are scheduled by the UI thread implementation while they are registered.
    virtual void addTimer(Timer& timer) = 0;
    virtual void removeTimer(Timer& timer) = 0;
};

// A pause of `ms` on `clock` taken on the UI thread while it runs what is pending, so the window
// and a waiting worker's steps go on meanwhile.
void waitRunningEvents(UiThread& ui, platform::Clock& clock, uint32_t ms);

} // namespace korvane::form
