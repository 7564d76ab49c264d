#pragma once
#include "access/WorkerContext.h"
#include "form/UiThread.h"

#include <array>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace korvane::access {

// Owns the worker threads, one a kind. A job starts after its UI-thread preparation (start is
// called on the UI thread), its end runs back on the UI thread, and at close every job is told to
// stop and joined within a bound while the UI thread's events keep flowing.
class JobRunner {
public:
    JobRunner(form::UiThread& ui, WorkerGate& gate, DriveSession& session, DriveCommands& commands,
              PioProtocol& pio, LogFn log);
    ~JobRunner();
    JobRunner(const JobRunner&) = delete;
    JobRunner& operator=(const JobRunner&) = delete;

    // False (nothing started) when a job of the same kind still runs. onEnd runs on the UI thread
    // once the job's thread has finished, unless the runner is closing.
    bool start(std::unique_ptr<DriveJob> job, std::function<void()> onEnd = {});
    bool running(WorkerGate::Worker kind) const;
    // Asks the job of this kind to stop at its next check.
    void requestStop(WorkerGate::Worker kind);
    // Tells every job to stop (holds released, PIO waits cut short) and joins them; true when
    // all ended within `bound`. A job still running after the bound is joined later, by the
    // destructor: waiting on it is safer than leaving it with references into the program.
    bool closeAll(std::chrono::milliseconds bound);

private:
    struct Slot {
        std::thread thread;
        std::unique_ptr<DriveJob> job;
        std::unique_ptr<WorkerContext> context;
        bool finished = true;
    };
    void reap(Slot& slot);

    form::UiThread& ui_;
    WorkerGate& gate_;
    DriveSession& session_;
    DriveCommands& commands_;
    PioProtocol& pio_;
    LogFn log_;
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    std::array<Slot, WorkerGate::kWorkers> slots_;
    bool closing_ = false;
};

} // namespace korvane::access
