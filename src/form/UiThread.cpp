#include "form/UiThread.h"

namespace korvane::form {

void waitRunningEvents(UiThread& ui, platform::Clock& clock, uint32_t ms) {
    const uint32_t since = clock.tickCountMs();
    while (clock.tickCountMs() - since < ms) { // the tick count wraps
        ui.processEvents();
        clock.sleepMs(10);
    }
}

} // namespace korvane::form
