#pragma once
#include "access/WorkerGate.h"

namespace korvane::access {

// Holds the running workers between two of their drive commands for as long as it lives, so a
// command the user starts never interleaves with a worker's own; released however the scope ends.
class CommandBracket {
public:
    explicit CommandBracket(WorkerGate& gate) : gate_(gate) { gate_.pauseWorkers(); }
    ~CommandBracket() { gate_.resumeWorkers(); }
    CommandBracket(const CommandBracket&) = delete;
    CommandBracket& operator=(const CommandBracket&) = delete;

private:
    WorkerGate& gate_;
};

} // namespace korvane::access
