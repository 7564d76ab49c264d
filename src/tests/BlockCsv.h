#pragma once
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace korvane::tests {

// One row of a scan's block file: lba,sectors,time_ms,class,error_code,map_code.
struct BlockRow {
    uint64_t lba = 0;
    uint32_t sectors = 0;
    double timeMs = 0;
    int timeClass = 0; // 1-6; 0 for a bad block
    uint32_t errorCode = 0;
    char mapCode = 0;
};

// The block times of a scan as CSV, written as the scan goes: each batch of blocks reaches the
// file before the next is scanned, so a crash keeps what was scanned.
class BlockCsvWriter {
public:
    ~BlockCsvWriter() { close(); }
    // False (nothing open) when the file cannot be created.
    bool open(const std::string& path);
    bool isOpen() const { return file_ != nullptr; }
    void add(const BlockRow& row);
    void flush();
    void close();

private:
    std::FILE* file_ = nullptr;
};

// Reads a block file; nullopt, with the reason, when it is not one.
std::optional<std::vector<BlockRow>> readBlockCsv(const std::string& path, std::string& error);

// Two scans of one drive compared block by block (by first LBA).
struct ScanComparison {
    struct Change {
        uint64_t lba;
        BlockRow before, after;
    };
    std::vector<Change> slower;     // a good block in a slower class
    std::vector<Change> becameBad;  // good before, bad now
    size_t compared = 0;
    bool worse() const { return !slower.empty() || !becameBad.empty(); }
};
ScanComparison compareScans(const std::vector<BlockRow>& before, const std::vector<BlockRow>& after);

} // namespace korvane::tests
