#include "access/WorkerGate.h"

#include <chrono>

namespace korvane::access {

void WorkerGate::publishHolds() {
    for (size_t i = 0; i < kWorkers; ++i) holdWanted_[i] = workers_[i].bracketHold || workers_[i].userPause;
}

void WorkerGate::started(Worker w) {
    std::lock_guard lock(mutex_);
    of(w) = State{};
    of(w).running = true;
    publishHolds();
}

void WorkerGate::finished(Worker w) {
    std::lock_guard lock(mutex_);
    of(w).running = false;
    of(w).atHoldPoint = false;
    cv_.notify_all();
}

void WorkerGate::waitWhileHeld(std::unique_lock<std::mutex>& lock, State& s) {
    s.atHoldPoint = true;
    cv_.notify_all();
    cv_.wait(lock, [&] { return !s.bracketHold && !s.userPause; });
    s.atHoldPoint = false;
}

void WorkerGate::holdPoint(Worker w) {
    std::unique_lock lock(mutex_);
    waitWhileHeld(lock, of(w));
}

void WorkerGate::uiStep(Worker w, const std::function<void()>& fn) {
    {
        std::lock_guard lock(mutex_);
        of(w).inUiStep = true;
        cv_.notify_all();
    }
    ui_.invoke(fn);
    std::unique_lock lock(mutex_);
    of(w).inUiStep = false;
    waitWhileHeld(lock, of(w));
}

void WorkerGate::pauseWorkers() {
    std::unique_lock lock(mutex_);
    ++bracketDepth_;
    for (auto& s : workers_)
        if (s.running) s.bracketHold = true;
    publishHolds();
    // Wait until each running worker stands between two commands (or waits for the UI).
    auto allHeld = [&] {
        for (auto& s : workers_)
            if (s.running && s.bracketHold && !s.atHoldPoint && !s.inUiStep) return false;
        return true;
    };
    const bool onUi = ui_.isUiThread();
    while (!cv_.wait_for(lock, std::chrono::milliseconds(2), allHeld)) {
        if (!onUi) continue;
        lock.unlock();
        ui_.processEvents(); // timers, repaints and the workers' log lines go on
        lock.lock();
    }
}

void WorkerGate::resumeWorkers() {
    std::lock_guard lock(mutex_);
    if (bracketDepth_ > 0 && --bracketDepth_ > 0) return;
    for (auto& s : workers_) s.bracketHold = false;
    publishHolds();
    cv_.notify_all();
}

void WorkerGate::setUserPause(Worker w, bool paused) {
    std::lock_guard lock(mutex_);
    of(w).userPause = paused;
    publishHolds();
    cv_.notify_all();
}

void WorkerGate::releaseAll() {
    std::lock_guard lock(mutex_);
    bracketDepth_ = 0;
    for (auto& s : workers_) s.bracketHold = s.userPause = false;
    publishHolds();
    cv_.notify_all();
}

bool WorkerGate::running(Worker w) const {
    std::lock_guard lock(mutex_);
    return of(w).running;
}

bool WorkerGate::held(Worker w) const {
    std::lock_guard lock(mutex_);
    const State& s = of(w);
    return s.running && (s.bracketHold || s.userPause) && (s.atHoldPoint || s.inUiStep);
}

} // namespace korvane::access
