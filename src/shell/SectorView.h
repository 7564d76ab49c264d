#pragma once
#include "access/DriveCommands.h"
#include "access/LogFn.h"
#include "form/Dialogs.h"
#include "form/MainForm.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace korvane::shell {

struct SectorViewContext {
    form::SectorGroup& group;
    form::PartitionGroup& partitions;
    access::DriveSession& session;
    access::DriveCommands& commands;
    form::Dialogs& dialogs;
    access::LogFn log;
    // "Only non-destructive functions": the view then writes nothing.
    std::function<bool()> nonDestructiveOnly;
    // True when the system runs from the selected disk (its write is warned about).
    std::function<bool()> systemDisk;
};

// The sector view of the Advanced page: reads the sector the field names, shows it for
// editing byte by byte, and writes it back once the user confirms.
class SectorView {
public:
    explicit SectorView(SectorViewContext context);

    // The field's sector (clamped to the last sector); nullopt, with the reason logged, when it
    // does not read as one.
    std::optional<uint64_t> fieldSector();
    void readSector();
    void openClick();
    // True when the sector was written and read back.
    bool saveClick();

private:
    void showResult(uint64_t sector, bool ok);

    SectorViewContext c_;
    bool writingBack_ = false;
};

} // namespace korvane::shell
