#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace korvane::platform {

// x86 port input and output. String transfers move a whole sector in one call.
class PortIo {
public:
    virtual ~PortIo() = default;

    // Obtains access to every port; false with `why` filled when the system refuses.
    virtual bool grantAllPorts(std::string& why) = 0;
    // Whether this machine has port instructions at all (x86, a kernel that allows them); the
    // step that would install a port driver elsewhere.
    virtual bool portInstructionsAvailable() const = 0;

    virtual uint8_t inb(uint16_t port) = 0;
    virtual uint16_t inw(uint16_t port) = 0;
    virtual uint32_t ind(uint16_t port) = 0;
    virtual void outb(uint16_t port, uint8_t value) = 0;
    virtual void outw(uint16_t port, uint16_t value) = 0;
    virtual void outd(uint16_t port, uint32_t value) = 0;
    virtual void insw(uint16_t port, uint16_t* buffer, size_t count) = 0;
    virtual void outsw(uint16_t port, const uint16_t* buffer, size_t count) = 0;
    virtual void insd(uint16_t port, uint32_t* buffer, size_t count) = 0;
    virtual void outsd(uint16_t port, const uint32_t* buffer, size_t count) = 0;
};

} // namespace korvane::platform
