#include "form/HeadlessUiThread.h"

#include "form/Timer.h"

#include <algorithm>
#include <chrono>

namespace korvane::form {

HeadlessUiThread::HeadlessUiThread(platform::Clock& clock) : clock_(clock), owner_(std::this_thread::get_id()) {}

// Timers still registered are left alone: they belong to the form, which may already be gone.
HeadlessUiThread::~HeadlessUiThread() { shutdown(); }

void HeadlessUiThread::invoke(const std::function<void()>& fn) {
    if (isUiThread()) {
        fn();
        return;
    }
    std::shared_ptr<PendingStep> step;
    {
        std::lock_guard lock(mutex_);
        if (stopped_) return;
        step = pending_.add(fn);
        tasks_.push_back(Task{nullptr, step});
        cv_.notify_all();
    }
    step->wait([this] { return stopped_.load(); });
}

void HeadlessUiThread::post(std::function<void()> fn) {
    std::lock_guard lock(mutex_);
    if (stopped_) return;
    tasks_.push_back(Task{std::move(fn), nullptr});
    cv_.notify_all();
}

void HeadlessUiThread::processEvents() {
    // One task at a time, so a task that itself processes events sees the rest of the queue.
    for (;;) {
        Task task;
        {
            std::lock_guard lock(mutex_);
            if (tasks_.empty()) break;
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        if (task.step)
            task.step->run();
        else
            task.fn();
    }
    fireDueTimers();
}

void HeadlessUiThread::runUntil(const std::function<bool()>& done) {
    while (!done()) {
        processEvents();
        if (done()) break;
        std::unique_lock lock(mutex_);
        cv_.wait_for(lock, std::chrono::milliseconds(1), [&] { return !tasks_.empty(); });
    }
}

void HeadlessUiThread::shutdown() {
    {
        std::lock_guard lock(mutex_);
        stopped_ = true;
        tasks_.clear();
        cv_.notify_all();
    }
    // Waiting workers are released; their queued steps never run, since the UI is going away.
    pending_.wakeAll();
}

void HeadlessUiThread::addTimer(Timer& timer) {
    if (std::any_of(timers_.begin(), timers_.end(), [&](auto& e) { return e.timer == &timer; })) return;
    timers_.push_back(TimerEntry{&timer, 0});
    reschedule(timer);
    timer.setObserver([this, &timer](Prop p) {
        if (p == Prop::Enabled || p == Prop::Interval) reschedule(timer);
    });
}

void HeadlessUiThread::removeTimer(Timer& timer) {
    timer.setObserver(nullptr);
    timers_.erase(std::remove_if(timers_.begin(), timers_.end(), [&](auto& e) { return e.timer == &timer; }),
                  timers_.end());
}

void HeadlessUiThread::reschedule(Timer& timer) {
    for (auto& e : timers_)
        if (e.timer == &timer) e.due = clock_.tickCountMs() + timer.interval();
}

void HeadlessUiThread::fireDueTimers() {
    if (firingTimers_) return; // a timer handler that waits must not re-fire timers under itself
    firingTimers_ = true;
    uint32_t now = clock_.tickCountMs();
    for (size_t i = 0; i < timers_.size(); ++i) {
        auto& e = timers_[i];
        if (!e.timer->enabled() || e.timer->interval() == 0) continue;
        if (int32_t(now - e.due) < 0) continue;
        // Late ticks are not made up: a stalled loop fires a timer once, then resumes its period.
        e.due = now + e.timer->interval();
        e.timer->fire();
    }
    firingTimers_ = false;
}

} // namespace korvane::form
