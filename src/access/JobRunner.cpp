#include "access/JobRunner.h"

namespace korvane::access {

JobRunner::JobRunner(form::UiThread& ui, WorkerGate& gate, DriveSession& session, DriveCommands& commands,
                     PioProtocol& pio, LogFn log)
    : ui_(ui), gate_(gate), session_(session), commands_(commands), pio_(pio), log_(std::move(log)) {}

JobRunner::~JobRunner() {
    closeAll(std::chrono::milliseconds(2000));
    for (auto& slot : slots_)
        if (slot.thread.joinable()) slot.thread.join();
}

void JobRunner::reap(Slot& slot) {
    if (slot.thread.joinable()) slot.thread.join();
    slot.context.reset();
    slot.job.reset();
}

bool JobRunner::start(std::unique_ptr<DriveJob> job, std::function<void()> onEnd) {
    const size_t index = size_t(job->kind());
    Slot& slot = slots_[index];
    {
        std::lock_guard lock(mutex_);
        if (closing_ || !slot.finished) return false;
        slot.finished = false;
    }
    reap(slot); // the previous job of this kind has ended; its thread only needs joining
    slot.job = std::move(job);
    slot.context = std::make_unique<WorkerContext>(slot.job->kind(), gate_, session_, commands_, pio_, log_);
    gate_.started(slot.job->kind());
    slot.thread = std::thread([this, &slot, onEnd = std::move(onEnd)] {
        slot.job->run(*slot.context);
        gate_.finished(slot.job->kind());
        bool closing;
        {
            std::lock_guard lock(mutex_);
            slot.finished = true;
            closing = closing_;
            cv_.notify_all();
        }
        if (onEnd && !closing) ui_.post(onEnd);
    });
    return true;
}

bool JobRunner::running(WorkerGate::Worker kind) const {
    std::lock_guard lock(mutex_);
    return !slots_[size_t(kind)].finished;
}

void JobRunner::requestStop(WorkerGate::Worker kind) {
    std::lock_guard lock(mutex_);
    Slot& slot = slots_[size_t(kind)];
    if (!slot.finished && slot.context) slot.context->requestStop();
    gate_.setUserPause(kind, false);
}

bool JobRunner::closeAll(std::chrono::milliseconds bound) {
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
        for (auto& slot : slots_)
            if (!slot.finished && slot.context) slot.context->requestStop();
    }
    session_.closing = true;
    gate_.releaseAll();
    auto deadline = std::chrono::steady_clock::now() + bound;
    auto allFinished = [&] {
        for (auto& slot : slots_)
            if (!slot.finished) return false;
        return true;
    };
    const bool onUi = ui_.isUiThread();
    std::unique_lock lock(mutex_);
    while (!allFinished()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        // A worker may be waiting for a UI step: the UI thread keeps serving them.
        cv_.wait_for(lock, std::chrono::milliseconds(2));
        if (onUi) {
            lock.unlock();
            ui_.processEvents();
            lock.lock();
        }
    }
    lock.unlock();
    for (auto& slot : slots_) reap(slot);
    return true;
}

} // namespace korvane::access
