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

// The drive and block size a block file was scanned with, in its first line, so two files of
// different drives or block sizes are never compared.
struct BlockFileDrive {
    std::string model, serial;
    uint64_t sectors = 0;
    uint32_t blockSize = 0;
    bool operator==(const BlockFileDrive&) const = default;
};

// The block times of a scan as CSV, written as the scan goes: each batch of blocks reaches the
// file before the next is scanned, so a crash keeps what was scanned.
class BlockCsvWriter {
public:
    ~BlockCsvWriter() { close(); }
    // The file the next scan writes; it stays chosen until that scan ends.
    void arm(std::string path) { path_ = std::move(path); }
    const std::string& path() const { return path_; }
    bool armed() const { return !path_.empty(); }
    // Creates the chosen file with its drive line and header; false when it cannot be created.
    bool open(const BlockFileDrive& drive);
    bool isOpen() const { return file_ != nullptr; }
    void add(const BlockRow& row);
    // False once a write has failed (a full disk, a vanished stick): the file is closed then.
    bool flush();
    // Closes the file; the next scan writes none unless one is chosen again.
    void close();

private:
    std::FILE* file_ = nullptr;
    std::string path_;
};

// A block file as read back: its drive (empty when the file has no drive line) and its rows.
struct BlockFile {
    BlockFileDrive drive;
    std::vector<BlockRow> rows;
};
// Reads a block file; nullopt, with the reason (a bad line by its number), when it is not one.
std::optional<BlockFile> readBlockCsv(const std::string& path, std::string& error);
// Why two block files cannot be compared (different drives or block sizes); "" when they can.
std::string incomparable(const BlockFile& a, const BlockFile& b);

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
