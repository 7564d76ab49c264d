#pragma once
#include "access/ApiAccess.h"
#include "access/DriveSession.h"
#include "access/LogFn.h"
#include "access/PioProtocol.h"
#include "access/SelectionState.h"
#include "form/MainForm.h"

#include <functional>

namespace korvane::access {

// Turns the drive selection controls into session fields: API or PIO, the API device list and
// number, the PIO channel with its ports, master or slave, alternate status and 48 bit, and the
// scan block-size choices that follow from them.
class DeviceSelection {
public:
    DeviceSelection(form::MainForm& form, DriveSession& session, SelectionState& state, ApiAccess& api,
                    PioProtocol& pio, LogFn log);

    // Each character 0-9, A-F, a-f adds its digit (any other counts as 0) to value x 16.
    static unsigned parseHex(const std::string& text);
    static std::string hex(unsigned value, int digits = 2);
    // A channel's base must leave room for its eight registers (and the power adaptor's
    // register at base + 16h is read only where it fits): base + 7 may not pass FFFFh.
    static bool portBaseAcceptable(unsigned base) { return base <= 0xFFF8; }

    void switchAccessMode();
    void buildApiDeviceList();
    void apiListSelect(size_t row);
    void apiNumberChanged();
    void apiListColumnClick();
    void apiListDoubleClick();
    form::Colour apiListRowColour(size_t row, size_t column) const;

    void channelChanged();
    void basePortEdited();
    void altPortEdited();
    void slaveChanged();
    void altStatusChanged();
    void lba48Changed();
    void fillBlockSizeChoices(bool wide);
    void updatePortIndicator();
    void setSelectionControlsEnabled(bool enabled);

    // The warning beep, from the PIO layer.
    std::function<void(uint16_t, uint32_t)> beep;
    // Run when the scan's block size follows a changed choice.
    std::function<void()> onBlockSizeChanged;
    // The command bracket's clearBreak, run before the device list is built.
    std::function<void()> clearBreak;
    // Run when the mode switch resets the drive facts (the passport's own fields).
    std::function<void()> onDriveForgotten;

private:
    void blockedPrimary();
    void setPorts(uint16_t base, uint16_t alt);
    void pressPassport();

    form::MainForm& form_;
    DriveSession& session_;
    SelectionState& state_;
    ApiAccess& api_;
    PioProtocol& pio_;
    LogFn log_;
    bool quiet_ = false; // set while code fills controls whose handlers must stay quiet
};

} // namespace korvane::access
