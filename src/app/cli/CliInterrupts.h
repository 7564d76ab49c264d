#pragma once

#include <csignal>

namespace korvane::cli {

// Ctrl-C and SIGTERM press Break while a long command runs (a scan, a seek test), as often as
// they come: the step in flight ends and the results are printed, never an exit in the middle of
// a write.
class InterruptsAsBreak {
public:
    InterruptsAsBreak();
    ~InterruptsAsBreak();
    InterruptsAsBreak(const InterruptsAsBreak&) = delete;
    InterruptsAsBreak& operator=(const InterruptsAsBreak&) = delete;

private:
    struct sigaction oldInt_{}, oldTerm_{};
};

} // namespace korvane::cli
