#pragma once
#include "access/DriveSession.h"
#include "access/LogFn.h"
#include "form/Button.h"
#include "platform/Clock.h"
#include "platform/PortIo.h"

namespace korvane::maintenance {

// The power adaptor of a PC-3000 board: one register at the channel's base + 16h, 01h on, 00h
// off. The button's font colour is the state the system believes it in: yellow on, red off.
class PowerAdaptor {
public:
    PowerAdaptor(form::Button& powerButton, access::DriveSession& session, platform::PortIo& ports,
                 platform::Clock& clock, access::LogFn log);

    // "&Power": switches the supply over; false when refused or the read-back differs.
    bool toggle();
    bool believedOn() const;

private:
    form::Button& button_;
    access::DriveSession& session_;
    platform::PortIo& ports_;
    platform::Clock& clock_;
    access::LogFn log_;
};

} // namespace korvane::maintenance
