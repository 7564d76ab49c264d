#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace korvane::sim {

// One write the drive received, for tests that prove nothing outside a range changed.
struct WriteRecord {
    uint64_t lba;
    uint32_t count;
};

// The media of a lab drive: sparse, in chunks of 256 sectors kept in memory, or in a sparse image
// file so the contents outlive the run. Unwritten sectors read as zeros.
class SectorStore {
public:
    SectorStore(uint64_t sectors, uint32_t sectorSize = 512);
    // Backs the store with an image file (created sparse when missing); false when it cannot be opened.
    bool attachImage(const std::string& path);
    ~SectorStore();
    SectorStore(const SectorStore&) = delete;
    SectorStore& operator=(const SectorStore&) = delete;

    uint64_t sectors() const { return sectors_; }
    uint32_t sectorSize() const { return sectorSize_; }

    void read(uint64_t lba, uint32_t count, uint8_t* out) const;
    void write(uint64_t lba, uint32_t count, const uint8_t* in);
    // Fills sectors without recording a write (building a lab drive's initial contents).
    void preload(uint64_t lba, const uint8_t* in, uint32_t count);
    // Drops every sector (an erase), recorded as one write.
    void eraseAll();

    const std::vector<WriteRecord>& writes() const { return writes_; }
    void clearWriteLog() { writes_.clear(); }
    // True when some recorded write touched [lba, lba + count).
    bool writtenWithin(uint64_t lba, uint64_t count) const;
    bool writtenOutside(uint64_t lba, uint64_t count) const;

private:
    static constexpr uint32_t kChunkSectors = 256;
    void store(uint64_t lba, uint32_t count, const uint8_t* in);
    uint8_t* chunkFor(uint64_t chunk, bool create) const;

    uint64_t sectors_;
    uint32_t sectorSize_;
    mutable std::unordered_map<uint64_t, std::unique_ptr<uint8_t[]>> chunks_;
    int imageFd_ = -1;
    std::vector<WriteRecord> writes_;
};

} // namespace korvane::sim
