#pragma once
#include "access/DriveCommands.h"
#include "access/DriveSession.h"
#include "access/LogFn.h"
#include "access/PioProtocol.h"
#include "access/WorkerGate.h"

#include <atomic>
#include <functional>
#include <string>

namespace korvane::access {

// What a worker thread may touch: the drive primitives (which read the session, never a control),
// synchronous UI steps, the thread-safe event log, and the break, pause and close flags.
class WorkerContext {
public:
    WorkerContext(WorkerGate::Worker id, WorkerGate& gate, DriveSession& session, DriveCommands& commands,
                  PioProtocol& pio, LogFn log)
        : id_(id), gate_(gate), session_(session), commands_(commands), pio_(pio), log_(std::move(log)) {}

    WorkerGate::Worker id() const { return id_; }
    DriveCommands& drive() { return commands_; }
    PioProtocol& pio() { return pio_; }
    const DriveSession& session() const { return session_; }

    // Runs fn on the UI thread and waits for it; the end of a step is a hold point.
    void step(const std::function<void()>& fn) { gate_.uiStep(id_, fn); }
    // Where the worker may be held: between two drive commands.
    void holdPoint() { gate_.holdPoint(id_); }
    // Cheap: whether the next hold point would hold (a pause, or a command the user started).
    bool holdWanted() const { return gate_.holdWanted(id_); }
    void log(const std::string& text, int replaceLast = 0, int level = 0) const { log_(text, replaceLast, level); }

    // "Break All", this job's own stop, or the window closing.
    bool stopRequested() const { return session_.breakRequested || session_.closing || stop_; }
    bool closing() const { return session_.closing; }
    void requestStop() { stop_ = true; }

private:
    WorkerGate::Worker id_;
    WorkerGate& gate_;
    DriveSession& session_;
    DriveCommands& commands_;
    PioProtocol& pio_;
    LogFn log_;
    std::atomic<bool> stop_{false};
};

// A piece of background work on the drive: the surface scan, the seek test, a self-test's
// polling, a security erase's wait.
class DriveJob {
public:
    virtual ~DriveJob() = default;
    virtual WorkerGate::Worker kind() const = 0;
    // Runs on the job's own thread; returns when the work is done or a stop was requested.
    virtual void run(WorkerContext& context) = 0;
};

} // namespace korvane::access
