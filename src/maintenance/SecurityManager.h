#pragma once
#include "access/ApiAccess.h"
#include "access/DriveCommands.h"
#include "access/DriveSession.h"
#include "access/LogFn.h"
#include "access/PioProtocol.h"
#include "form/Dialogs.h"
#include "form/MainForm.h"
#include "form/UiThread.h"
#include "info/DrivePassport.h"
#include "info/PassportReader.h"
#include "info/PassportSubscribers.h"
#include "platform/Clock.h"

#include <functional>
#include <string>

namespace korvane::maintenance {

// What the security manager works with.
struct SecurityManagerContext {
    form::SecurityGroup& group;
    const form::CheckBox& nonDestructive; // "Only non-destructive functions"
    const form::CheckBox& russian;        // "'I am speak Russian'"
    access::DriveSession& session;
    access::PioProtocol& pio;
    access::DriveCommands& commands;
    access::ApiAccess& api;
    info::PassportReader& passportReader;
    const info::DrivePassport& passport;
    platform::Clock& clock;
    form::UiThread& ui;
    form::Dialogs& dialogs;
    access::LogFn log;
    bool& guard; // shared by Lock and Unlock; the window's 10-second timer sets it again
};

// The ATA security feature set: Lock (set a password), Unlock (unlock and remove it) and the
// security erase, in PIO mode through the task file and in USB mode through SAT.
class SecurityManager {
public:
    explicit SecurityManager(SecurityManagerContext context);
    void subscribeTo(info::PassportSubscribers& subscribers);

    void lock();
    void unlock();
    void erase();
    // The 512-byte block of SET PASSWORD, UNLOCK, DISABLE PASSWORD and ERASE UNIT in sectorBuffer.
    bool buildBlock(bool forErase = false);
    void choosePasswordFile();
    // The group's state for the current mode and passport.
    void updateGroupState();

    static constexpr const char* kEraseMasterPassword = "brix";
    // The erase in its enhanced mode (control word bit 1 of ERASE UNIT); the window has no switch
    // for it, the command line's --enhanced sets it.
    bool enhancedErase = false;

private:
    enum : uint8_t { SetPassword = 0xF1, Unlock = 0xF2, ErasePrepare = 0xF3, EraseUnit = 0xF4, Disable = 0xF6 };
    enum class Sent { Ok, CommandFailed, NoDataPhase, BlockFailed, WriteFailed };
    Sent sendPio(uint8_t command);
    bool sendUsb(uint8_t command);
    bool refreshPassport();
    void pause(uint32_t ms);
    // Lets pending window messages run, then pauses.
    void settle(uint32_t ms);
    void lockFailure();
    void unlockFailure(bool wasEnabled);
    void eraseProcedure();
    bool lockUsb();
    bool confirm(const std::string& text);

    SecurityManagerContext c_;
    bool beep_ = false;
    std::string passwordFileDir_; // the folder of the file chosen with "F"
};

} // namespace korvane::maintenance
