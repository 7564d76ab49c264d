#pragma once
#include "sim/LabTime.h"

#include <cstdint>
#include <vector>

namespace korvane::sim {

// The PC speaker: timer channel 2 (ports 42h and 43h) and the gate bits of port 61h.
// Every tone is recorded with its divisor and how long it sounded.
class PcSpeaker {
public:
    struct Tone {
        uint16_t divisor;
        uint64_t lengthNs;
    };
    explicit PcSpeaker(LabTime& time) : time_(time) {}

    void writeControl(uint8_t v) {
        if (v == 0xB6) lowNext_ = true;
    }
    void writeCounter(uint8_t v) {
        if (lowNext_) {
            divisor_ = uint16_t((divisor_ & 0xFF00) | v);
        } else {
            divisor_ = uint16_t((divisor_ & 0x00FF) | v << 8);
        }
        lowNext_ = !lowNext_;
    }
    uint8_t readGate() const { return gate_; }
    void writeGate(uint8_t v) {
        bool wasOn = (gate_ & 3) == 3, on = (v & 3) == 3;
        if (on && !wasOn) startNs_ = time_.nowNs();
        if (!on && wasOn) tones_.push_back({divisor_, time_.nowNs() - startNs_});
        gate_ = v;
    }
    const std::vector<Tone>& tones() const { return tones_; }

private:
    LabTime& time_;
    bool lowNext_ = true;
    uint16_t divisor_ = 0;
    uint8_t gate_ = 0x30; // what the port holds on a typical board
    uint64_t startNs_ = 0;
    std::vector<Tone> tones_;
};

} // namespace korvane::sim
