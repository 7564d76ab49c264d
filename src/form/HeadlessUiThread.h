#pragma once
#include "form/UiThread.h"
#include "platform/Clock.h"

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
    // After shutdown, invoke and post from workers return without running anything.
    void shutdown();

private:
    struct Task {
        std::function<void()> fn;
        bool* done = nullptr;
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
    bool stopped_ = false;
    std::vector<TimerEntry> timers_;
    bool firingTimers_ = false;
};

} // namespace korvane::form
