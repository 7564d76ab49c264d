#pragma once
#include "form/UiThread.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace korvane::access {

// Holds the scan and seek workers between two drive commands, so a command started by the user
// never interleaves with a worker's own. A worker blocked in a UI step counts as held: it issues
// nothing until the step is done, and the end of the step is itself a hold point.
class WorkerGate {
public:
    enum class Worker { Scan = 0, Seek = 1, SelfTest = 2, Erase = 3 };
    static constexpr size_t kWorkers = 4;

    explicit WorkerGate(form::UiThread& ui) : ui_(ui) {}

    // Worker side.
    void started(Worker w);
    void finished(Worker w);
    // Blocks while the worker is held, by the command bracket or by the user's pause.
    void holdPoint(Worker w);
    // Runs fn on the UI thread (the worker waits), then passes a hold point.
    void uiStep(Worker w, const std::function<void()>& fn);

    // UI side: the command bracket. pause returns once every running worker is held, keeping the
    // UI thread's events flowing meanwhile; brackets nest, and the outermost resume releases.
    void pauseWorkers();
    void resumeWorkers();
    // The user's Pause of a worker: it stays held through resumeWorkers until released here.
    void setUserPause(Worker w, bool paused);
    // Releases every hold, user pauses included (Break, closing).
    void releaseAll();

    bool running(Worker w) const;
    bool held(Worker w) const;
    // Cheap check for a worker's inner loop: someone wants it held at its next hold point.
    bool holdWanted(Worker w) const { return holdWanted_[size_t(w)].load(std::memory_order_relaxed); }

private:
    struct State {
        bool running = false;
        bool bracketHold = false;
        bool userPause = false;
        bool atHoldPoint = false;
        bool inUiStep = false;
    };
    State& of(Worker w) { return workers_[size_t(w)]; }
    const State& of(Worker w) const { return workers_[size_t(w)]; }
    void waitWhileHeld(std::unique_lock<std::mutex>& lock, State& s);
    void publishHolds();

    form::UiThread& ui_;
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    std::array<State, kWorkers> workers_;
    int bracketDepth_ = 0;
    std::array<std::atomic<bool>, kWorkers> holdWanted_{};
};

} // namespace korvane::access
