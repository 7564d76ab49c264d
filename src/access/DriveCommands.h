#pragma once
#include "access/ApiSectorPath.h"
#include "access/CommandBracket.h"
#include "access/DriveSession.h"
#include "access/PioProtocol.h"
#include "access/WorkerGate.h"
#include "form/MainForm.h"

#include <functional>

namespace korvane::access {

// The operations every feature calls, whatever the access mode: sector commands, single-sector
// reads and writes, and the command bracket around every user-started command.
class DriveCommands {
public:
    DriveCommands(DriveSession& session, PioProtocol& pio, WorkerGate& gate, form::MainForm& form,
                  platform::Clock& clock);

    // The API side arrives with the API access layer; without it API commands fail.
    void setApiPath(ApiSectorPath* path) { api_ = path; }

    // The 48-bit code the PIO layer sends in place of `command` when 48-bit commands are on
    // (0: the command has no 48-bit form).
    static uint8_t code48(uint8_t command);

    bool issueSectorCommand(platform::DiskHandle* handle, uint16_t count, uint8_t command, uint64_t lba);
    bool readOneSector(uint64_t lba);
    bool readOneSector2(uint64_t lba);
    bool writeOneSector(uint64_t lba);
    void fillRemapPattern();
    void clearSectorBuffer(size_t lastWord);

    // The command bracket.
    void clearBreak();
    // "Break All": whatever runs stops at its next check; the indicator turns lime.
    void requestBreak();
    std::function<void()> onBreak;
    // Every user-started command runs inside one: `auto bracket = commands.bracket();`.
    [[nodiscard]] CommandBracket bracket() { return CommandBracket(gate_); }
    // Run by clearBreak too: the scan's pause and stop latches (the scan control sets it).
    std::function<void()> onClearBreak;

private:
    bool pioReadOne(uint64_t lba, bool second);

    DriveSession& session_;
    PioProtocol& pio_;
    WorkerGate& gate_;
    form::MainForm& form_;
    platform::Clock& clock_;
    ApiSectorPath* api_ = nullptr;
};

} // namespace korvane::access
