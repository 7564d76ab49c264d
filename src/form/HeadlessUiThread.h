#pragma once
#include "form/PendingSteps.h"
#include "form/UiThread.h"
#include "platform/Clock.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace korvane::form {

// The UI thread without a toolkit (tests and the command line): a task queue and timers driven
// by a Clock. The thread that constructs it is the UI thread.
class HeadlessUiThread final : public UiThread {
public:
    explicit HeadlessUiThread(platform::Clock& clock);
    ~HeadlessUiThread() override;

    void invoke(const std::function<void()>& fn) override;
    void post(std::function<void()> fn) override;
    void processEvents() override;
    bool isUiThread() const override { return std::this_thread::get_id() == owner_; }
    void addTimer(Timer& timer) override;
    void removeTimer(Timer& timer) override;

    // Runs events until `done` returns true, sleeping briefly (in real time) when idle.
    void runUntil(const std::function<bool()>& done);
    // After shutdown, invoke and post from workers return without running anything. A step that
    // is running keeps its worker until it ends; steps still queued are dropped.
    void shutdown();

private:
    struct Task {
        std::function<void()> fn;              // a posted function, or
        std::shared_ptr<PendingStep> step;     // a worker's synchronous step
    };
    struct TimerEntry {
        Timer* timer;
        uint32_t due;
    };
    void fireDueTimers();
    void reschedule(Timer& timer);

    platform::Clock& clock_;
    std::thread::id owner_;
    std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<Task> tasks_;
    std::atomic<bool> stopped_{false};
    PendingStepList pending_;
    std::vector<TimerEntry> timers_;
    bool firingTimers_ = false;
};

} // namespace korvane::form
