#include "app/cli/CliInterrupts.h"

#include "app/cli/CliCommands.h"

#include <atomic>

namespace korvane::cli {

namespace {
std::atomic<int> interrupts{0};
extern "C" void onInterrupt(int) { interrupts.fetch_add(1); }
} // namespace

int interruptsReceived() { return interrupts.load(); }

InterruptsAsBreak::InterruptsAsBreak() {
    struct sigaction sa{};
    sa.sa_handler = onInterrupt;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART; // a transfer in flight is not cut short by the signal
    sigaction(SIGINT, &sa, &oldInt_);
    sigaction(SIGTERM, &sa, &oldTerm_);
}

InterruptsAsBreak::~InterruptsAsBreak() {
    sigaction(SIGINT, &oldInt_, nullptr);
    sigaction(SIGTERM, &oldTerm_, nullptr);
}

} // namespace korvane::cli
