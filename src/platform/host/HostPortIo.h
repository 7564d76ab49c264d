#pragma once
#include "platform/PortIo.h"

namespace korvane::platform {

// x86 port instructions from user mode, after iopl(3) has granted every port to the process.
// Needs root (CAP_SYS_RAWIO) and a kernel that allows I/O privilege changes.
class HostPortIo final : public PortIo {
public:
    bool grantAllPorts(std::string& why) override;
    bool portInstructionsAvailable() const override;
    bool granted() const { return granted_; }

    uint8_t inb(uint16_t port) override;
    uint16_t inw(uint16_t port) override;
    uint32_t ind(uint16_t port) override;
    void outb(uint16_t port, uint8_t value) override;
    void outw(uint16_t port, uint16_t value) override;
    void outd(uint16_t port, uint32_t value) override;
    void insw(uint16_t port, uint16_t* buffer, size_t count) override;
    void outsw(uint16_t port, const uint16_t* buffer, size_t count) override;
    void insd(uint16_t port, uint32_t* buffer, size_t count) override;
    void outsd(uint16_t port, const uint32_t* buffer, size_t count) override;

private:
    bool granted_ = false;
};

} // namespace korvane::platform
