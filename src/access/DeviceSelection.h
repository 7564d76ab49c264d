#pragma once
#include "access/DriveSession.h"
#include "access/LogFn.h"
#include "form/MainForm.h"

#include <functional>

namespace korvane::access {

// Turns the drive selection controls into session fields: the 48-bit option and the scan
// block-size choices it widens.
class DeviceSelection {
public:
    DeviceSelection(form::MainForm& form, DriveSession& session, LogFn log);

    // The "48 bit" box was clicked (or checked by the passport).
    void lba48Changed();
    // The scan block sizes: the wide list for 48-bit and API transfers, else the narrow one.
    void fillBlockSizeChoices(bool wide);

    // The warning beep, from the PIO layer.
    std::function<void(uint16_t, uint32_t)> beep;
    // Run when the scan's block size follows a changed choice.
    std::function<void()> onBlockSizeChanged;

private:
    form::MainForm& form_;
    DriveSession& session_;
    LogFn log_;
};

} // namespace korvane::access
