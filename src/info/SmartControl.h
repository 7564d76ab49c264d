#pragma once
#include "access/ApiAccess.h"
#include "access/DriveCommands.h"
#include "access/LogFn.h"
#include "access/PioProtocol.h"
#include "form/MainForm.h"
#include "info/DrivePassport.h"
#include "info/PassportReader.h"
#include "info/SmartReader.h"

namespace korvane::info {

struct SmartControlContext {
    form::SmartPage& page;
    access::DriveSession& session;
    access::PioProtocol& pio;
    access::DriveCommands& commands;
    access::ApiAccess& api;
    PassportReader& passportReader;
    const DrivePassport& passport;
    SmartReader& reader;
    platform::Clock& clock;
    access::LogFn log;
};

// The SMART switches (operations, attribute autosave) and the drive's own tests: off-line data
// collection, the self-tests, and their abort.
class SmartControl {
public:
    explicit SmartControl(SmartControlContext context);

    void smartSwitch(bool on);
    void autosaveSwitch(bool on);
    void testChoiceChanged();
    void begin();
    void abort();

    // The subcommand "Begin" sends for the current choice.
    uint8_t chosenSubcommand() const;

private:
    // A SMART command without data by the routes of this group; true when the drive took it.
    bool send(uint8_t features, uint8_t count, uint8_t lbaLow);

    SmartControlContext c_;
};

} // namespace korvane::info
