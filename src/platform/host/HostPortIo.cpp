#include "platform/host/HostPortIo.h"

#include <cerrno>
#include <cstring>
#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#define KORVANE_HAVE_PORTS 1
#endif

namespace korvane::platform {

bool HostPortIo::portInstructionsAvailable() const {
#ifdef KORVANE_HAVE_PORTS
    return true;
#else
    return false;
#endif
}

bool HostPortIo::grantAllPorts(std::string& why) {
#ifdef KORVANE_HAVE_PORTS
    if (granted_) return true;
    if (iopl(3) == 0) {
        granted_ = true;
        return true;
    }
    why = std::strerror(errno);
    return false;
#else
    why = "port instructions exist only on x86";
    return false;
#endif
}

// Without granted access a port instruction would crash the process: nothing is done then.
#ifdef KORVANE_HAVE_PORTS
uint8_t HostPortIo::inb(uint16_t port) { return granted_ ? ::inb(port) : 0xFF; }
uint16_t HostPortIo::inw(uint16_t port) { return granted_ ? ::inw(port) : 0xFFFF; }
uint32_t HostPortIo::ind(uint16_t port) { return granted_ ? ::inl(port) : 0xFFFFFFFFu; }
void HostPortIo::outb(uint16_t port, uint8_t v) {
    if (granted_) ::outb(v, port);
}
void HostPortIo::outw(uint16_t port, uint16_t v) {
    if (granted_) ::outw(v, port);
}
void HostPortIo::outd(uint16_t port, uint32_t v) {
    if (granted_) ::outl(v, port);
}
void HostPortIo::insw(uint16_t port, uint16_t* b, size_t n) {
    if (granted_) ::insw(port, b, (unsigned long)n);
}
void HostPortIo::outsw(uint16_t port, const uint16_t* b, size_t n) {
    if (granted_) ::outsw(port, b, (unsigned long)n);
}
void HostPortIo::insd(uint16_t port, uint32_t* b, size_t n) {
    if (granted_) ::insl(port, b, (unsigned long)n);
}
void HostPortIo::outsd(uint16_t port, const uint32_t* b, size_t n) {
    if (granted_) ::outsl(port, b, (unsigned long)n);
}
#else
uint8_t HostPortIo::inb(uint16_t) { return 0xFF; }
uint16_t HostPortIo::inw(uint16_t) { return 0xFFFF; }
uint32_t HostPortIo::ind(uint16_t) { return 0xFFFFFFFFu; }
void HostPortIo::outb(uint16_t, uint8_t) {}
void HostPortIo::outw(uint16_t, uint16_t) {}
void HostPortIo::outd(uint16_t, uint32_t) {}
void HostPortIo::insw(uint16_t, uint16_t*, size_t) {}
void HostPortIo::outsw(uint16_t, const uint16_t*, size_t) {}
void HostPortIo::insd(uint16_t, uint32_t*, size_t) {}
void HostPortIo::outsd(uint16_t, const uint32_t*, size_t) {}
#endif

} // namespace korvane::platform
