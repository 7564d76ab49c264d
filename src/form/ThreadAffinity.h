#pragma once
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace korvane::form {

// The thread a control belongs to: the one that built it, which is the UI thread. With thread
// checks on (debug and test builds), a change from any other thread stops the program at once,
// since it would race with the widget that draws the control.
class ThreadAffinity {
public:
    void check([[maybe_unused]] const char* kind, [[maybe_unused]] const std::string& name) const {
#if KORVANE_THREAD_CHECKS
        if (std::this_thread::get_id() != owner_) {
            std::fprintf(stderr, "%s %s changed off the UI thread\n", kind, name.c_str());
            std::abort();
        }
#endif
    }

private:
    std::thread::id owner_ = std::this_thread::get_id();
};

} // namespace korvane::form
