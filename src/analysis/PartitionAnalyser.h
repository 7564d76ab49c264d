#pragma once
#include "access/DriveCommands.h"
#include "access/LogFn.h"
#include "access/PioProtocol.h"
#include "form/Clipboard.h"
#include "form/MainForm.h"
#include "info/DrivePassport.h"
#include "info/PassportReader.h"

#include <functional>
#include <optional>
#include <string>

namespace korvane::analysis {

struct PartitionAnalyserContext {
    form::PartitionGroup& group;
    form::SectorGroup& sector;
    access::DriveSession& session;
    access::PioProtocol& pio;
    access::DriveCommands& commands;
    info::PassportReader& passportReader;
    const info::DrivePassport& passport;
    form::Clipboard& clipboard;
    access::LogFn log;
    std::function<std::string()> logDirectory;
    std::function<bool()> writeEnabled;
};

// Reads the master boot record, follows the extended partition tables and a GUID partition
// table behind a protective entry, and lists every partition with its type, range, size and
// volume label.
class PartitionAnalyser {
public:
    explicit PartitionAnalyser(PartitionAnalyserContext context);

    void analyse();
    void rowsSelected();
    std::string copyText() const;
    void clear();
    std::string mbrCopyPath() const;

    // A walk that comes back to a table it read, or goes on past this many tables, stops.
    static constexpr size_t kMaxTables = 128;

private:
    bool readTable(uint64_t lba, std::optional<uint64_t>& extended);
    void entry(const uint8_t* e, uint64_t tableLba, std::optional<uint64_t>& extended);
    std::string volumeLabel(uint64_t start);
    void saveMbr();
    void addRow(const std::string& boot, const std::string& system, uint64_t start, uint64_t end, uint64_t sectors,
                const std::string& name, bool checkRange = true);
    void warnIfOutside(uint64_t start, uint64_t end, uint64_t sectors);
    void readGpt();
    bool gptAt(uint64_t headerLba);

    PartitionAnalyserContext c_;
    int number_ = 1;
    size_t entries_ = 0, extendedTables_ = 0;
    uint64_t firstExtended_ = 0;
    int64_t lastEnd_ = -1;
    bool protective_ = false;
};

} // namespace korvane::analysis
