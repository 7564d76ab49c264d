#pragma once
#include "platform/PowerControl.h"

namespace korvane::platform {

// This computer's power: the shutdown goes to systemd ("systemctl poweroff"), which asks logind
// and stops every service in order, as the desktop's own "Shut down" does.
class HostPowerControl final : public PowerControl {
public:
    bool shutDown() override;
};

} // namespace korvane::platform
