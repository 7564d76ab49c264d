#pragma once
#include "access/DriveCommands.h"
#include "access/DriveSession.h"
#include "access/LogFn.h"
#include "access/PioProtocol.h"
#include "form/Dialogs.h"
#include "form/MainForm.h"
#include "info/DrivePassport.h"
#include "info/PassportReader.h"
#include "info/PassportSubscribers.h"

#include <functional>
#include <optional>

namespace korvane::maintenance {

// What the host protected area works with.
struct HostProtectedAreaContext {
    form::HpaGroup& group;
    form::Edit& scanEndLba;
    form::Edit& seekEndLba;
    access::DriveSession& session;
    access::PioProtocol& pio;
    access::DriveCommands& commands;
    info::PassportReader& passportReader;
    info::HpaState& hpa;
    form::Dialogs& dialogs;
    access::LogFn log;
    // "Only non-destructive functions": a permanent size change is refused while it is on.
    std::function<bool()> nonDestructiveOnly;
};

// READ NATIVE MAX ADDRESS and SET MAX ADDRESS (28 and 48 bit), temporary or permanent, the
// track bar over the native size, and the group's part of every passport.
class HostProtectedArea {
public:
    explicit HostProtectedArea(HostProtectedAreaContext context);
    void subscribeTo(info::PassportSubscribers& subscribers);

    // "RHPA": the native size, or nullopt when the drive did not answer.
    std::optional<int64_t> readNativeSize();
    // "HPA": sets the size in L1; true when the drive took it.
    bool setMaxSize();
    void trackChanged();

private:
    bool readNativeMax(uint64_t& lba);
    bool setMaxFailure();
    void showSize(int64_t sectors);
    void passportArrived();

    HostProtectedAreaContext c_;
};

} // namespace korvane::maintenance
