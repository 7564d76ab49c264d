#include "access/WorkerGate.h"

namespace korvane::access {

void WorkerGate::started(Worker w) {
    std::lock_guard lock(mutex_);
    of(w) = State{};
    of(w).running = true;
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
    for (auto& s : workers_)
        if (s.running) s.bracketHold = true;
    // Wait until each running worker stands between two commands (or waits for the UI).
    cv_.wait(lock, [&] {
        for (auto& s : workers_)
            if (s.running && s.bracketHold && !s.atHoldPoint && !s.inUiStep) return false;
        return true;
    });
}

void WorkerGate::resumeWorkers() {
    std::lock_guard lock(mutex_);
    for (auto& s : workers_) s.bracketHold = false;
    cv_.notify_all();
}

void WorkerGate::setUserPause(Worker w, bool paused) {
    std::lock_guard lock(mutex_);
    of(w).userPause = paused;
    cv_.notify_all();
}

void WorkerGate::releaseAll() {
    std::lock_guard lock(mutex_);
    for (auto& s : workers_) s.bracketHold = s.userPause = false;
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
