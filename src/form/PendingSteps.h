#pragma once
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace korvane::form {

// One synchronous UI step handed from a worker to the UI thread. The worker's function (and
// whatever it references in the worker's frame) is touched only while the worker still waits:
// a step the worker abandoned at shutdown never runs, and a step already running keeps its
// worker waiting until it ends.
class PendingStep {
public:
    explicit PendingStep(const std::function<void()>& fn) : fn_(&fn) {}

    // UI side: runs the step unless its worker has given up on it.
    void run() {
        {
            std::lock_guard lock(mutex_);
            if (state_ != State::Queued) return;
            state_ = State::Running;
        }
        (*fn_)();
        std::lock_guard lock(mutex_);
        state_ = State::Done;
        fn_ = nullptr;
        cv_.notify_all();
    }

    // Worker side: true when the step ran, false when it was abandoned because `stopped` became true
    // before it started.
    template <class StopFlag> bool wait(const StopFlag& stopped) {
        std::unique_lock lock(mutex_);
        cv_.wait(lock, [&] { return state_ == State::Done || (state_ == State::Queued && stopped()); });
        if (state_ == State::Done) return true;
        state_ = State::Abandoned;
        fn_ = nullptr;
        return false;
    }

    // Wakes the waiting worker so it can see the stop flag (set before calling this).
    void wake() {
        std::lock_guard lock(mutex_);
        cv_.notify_all();
    }

private:
    enum class State { Queued, Running, Done, Abandoned };
    std::mutex mutex_;
    std::condition_variable cv_;
    State state_ = State::Queued;
    const std::function<void()>* fn_;
};

// The steps whose workers are waiting, so shutdown can wake every one of them.
class PendingStepList {
public:
    std::shared_ptr<PendingStep> add(const std::function<void()>& fn) {
        auto step = std::make_shared<PendingStep>(fn);
        std::lock_guard lock(mutex_);
        std::erase_if(steps_, [](auto& w) { return w.expired(); });
        steps_.push_back(step);
        return step;
    }
    void wakeAll() {
        std::vector<std::shared_ptr<PendingStep>> live;
        {
            std::lock_guard lock(mutex_);
            for (auto& w : steps_)
                if (auto s = w.lock()) live.push_back(std::move(s));
        }
        for (auto& s : live) s->wake();
    }

private:
    std::mutex mutex_;
    std::vector<std::weak_ptr<PendingStep>> steps_;
};

} // namespace korvane::form
