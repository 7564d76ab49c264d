#pragma once
#include <chrono>
#include <cstdint>
#include <thread>

namespace korvane::sim {

// The lab's time. A drive that is busy lets time pass when the host polls it: virtual time jumps,
// real time just goes on by itself.
class LabTime {
public:
    virtual ~LabTime() = default;
    virtual uint64_t nowNs() = 0;
    // Lets time pass up to `ns` (virtual time moves there; real time needs nothing).
    virtual void passUntil(uint64_t ns) = 0;
    // A transfer through the disk device takes `ns`: the caller is held for it (virtual time
    // moves on; real time sleeps).
    virtual void serve(uint64_t ns) { passUntil(nowNs() + ns); }
};

class RealLabTime final : public LabTime {
public:
    uint64_t nowNs() override {
        return uint64_t(std::chrono::duration_cast<std::chrono::nanoseconds>(
                            std::chrono::steady_clock::now().time_since_epoch())
                            .count());
    }
    void passUntil(uint64_t) override {}
    void serve(uint64_t ns) override { std::this_thread::sleep_for(std::chrono::nanoseconds(ns)); }
};

} // namespace korvane::sim
