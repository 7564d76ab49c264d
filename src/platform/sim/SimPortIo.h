#pragma once
#include "platform/PortIo.h"
#include "sim/Lab.h"

namespace korvane::platform {

// Port input and output over the simulated lab's port space.
class SimPortIo final : public PortIo {
public:
    explicit SimPortIo(sim::Lab& lab) : lab_(lab) {}

    bool grantAllPorts(std::string& why) override {
        if (lab_.grantsPorts) return true;
        why = "Operation not permitted";
        return false;
    }
    bool portInstructionsAvailable() const override { return lab_.hasPortInstructions; }
    uint8_t inb(uint16_t port) override { return lab_.inb(port); }
    uint16_t inw(uint16_t port) override { return lab_.inw(port); }
    uint32_t ind(uint16_t port) override { return lab_.ind(port); }
    void outb(uint16_t port, uint8_t v) override { lab_.outb(port, v); }
    void outw(uint16_t port, uint16_t v) override { lab_.outw(port, v); }
    void outd(uint16_t port, uint32_t v) override { lab_.outd(port, v); }
    void insw(uint16_t port, uint16_t* b, size_t n) override { lab_.insw(port, b, n); }
    void outsw(uint16_t port, const uint16_t* b, size_t n) override { lab_.outsw(port, b, n); }
    void insd(uint16_t port, uint32_t* b, size_t n) override {
        for (size_t i = 0; i < n; ++i) b[i] = lab_.ind(port);
    }
    void outsd(uint16_t port, const uint32_t* b, size_t n) override {
        for (size_t i = 0; i < n; ++i) lab_.outd(port, b[i]);
    }

private:
    sim::Lab& lab_;
};

} // namespace korvane::platform
