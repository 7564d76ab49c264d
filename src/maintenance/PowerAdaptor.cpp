#include "maintenance/PowerAdaptor.h"

namespace korvane::maintenance {

PowerAdaptor::PowerAdaptor(form::Button& powerButton, access::DriveSession& session, platform::PortIo& ports,
                           platform::Clock& clock, access::LogFn log)
    : button_(powerButton), session_(session), ports_(ports), clock_(clock), log_(std::move(log)) {
    button_.onClick = [this] { toggle(); };
}

bool PowerAdaptor::believedOn() const { return button_.fontColour() == form::colours::Yellow; }

bool PowerAdaptor::toggle() {
    if (session_.accessMode != access::AccessMode::Pio) {
        log_("Power Adaptor not operational on API mode", 0, 4);
        return false;
    }
    if (session_.pioBasePort > 0xFFFF - 0x16) { // the register would wrap into another device's ports
        log_("Power Adaptor PC3000 not found", 0, 4);
        return false;
    }
    const bool switchOff = believedOn();
    const uint8_t wanted = switchOff ? 0x00 : 0x01;
    button_.setFontColour(switchOff ? form::colours::Red : form::colours::Yellow);
    log_(switchOff ? "Adaptor Power OFF" : "Adaptor Power ON", 0, 1);
    const uint16_t port = uint16_t(session_.pioBasePort + 0x16);
    ports_.outb(port, wanted);
    clock_.sleepMs(1);
    if (ports_.inb(port) != wanted) {
        // The colour still shows what was asked for.
        log_("Power Adaptor PC3000 not found", 1, 4);
        return false;
    }
    return true;
}

} // namespace korvane::maintenance
