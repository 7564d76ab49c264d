#include "sim/SectorStore.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace korvane::sim {

SectorStore::SectorStore(uint64_t sectors, uint32_t sectorSize) : sectors_(sectors), sectorSize_(sectorSize) {}

SectorStore::~SectorStore() {
    if (imageFd_ >= 0) close(imageFd_);
}

bool SectorStore::attachImage(const std::string& path) {
    const bool existed = access(path.c_str(), F_OK) == 0;
    int fd = open(path.c_str(), O_RDWR | O_CREAT, 0644);
    if (fd < 0) return false;
    if (ftruncate(fd, off_t(sectors_ * sectorSize_)) != 0) {
        close(fd);
        return false;
    }
    // A new image starts with what the store already holds (a lab drive's built contents).
    if (!existed)
        for (auto& [chunk, data] : chunks_) {
            const size_t bytes = size_t(kChunkSectors) * sectorSize_;
            const off_t at = off_t(chunk * kChunkSectors * sectorSize_);
            const size_t n = std::min<uint64_t>(bytes, (sectors_ - chunk * kChunkSectors) * sectorSize_);
            if (pwrite(fd, data.get(), n, at) != ssize_t(n)) {
                close(fd);
                return false;
            }
        }
    if (imageFd_ >= 0) close(imageFd_);
    imageFd_ = fd;
    chunks_.clear();
    return true;
}

uint8_t* SectorStore::chunkFor(uint64_t chunk, bool create) const {
    auto it = chunks_.find(chunk);
    if (it != chunks_.end()) return it->second.get();
    if (!create) return nullptr;
    auto mem = std::make_unique<uint8_t[]>(size_t(kChunkSectors) * sectorSize_);
    std::memset(mem.get(), 0, size_t(kChunkSectors) * sectorSize_);
    uint8_t* p = mem.get();
    chunks_.emplace(chunk, std::move(mem));
    return p;
}

void SectorStore::read(uint64_t lba, uint32_t count, uint8_t* out) const {
    if (imageFd_ >= 0) {
        size_t len = size_t(count) * sectorSize_;
        ssize_t got = pread(imageFd_, out, len, off_t(lba * sectorSize_));
        if (got < ssize_t(len)) std::memset(out + std::max<ssize_t>(got, 0), 0, len - std::max<ssize_t>(got, 0));
        return;
    }
    for (uint32_t i = 0; i < count; ++i) {
        uint64_t s = lba + i;
        const uint8_t* chunk = chunkFor(s / kChunkSectors, false);
        uint8_t* dst = out + size_t(i) * sectorSize_;
        if (chunk)
            std::memcpy(dst, chunk + size_t(s % kChunkSectors) * sectorSize_, sectorSize_);
        else
            std::memset(dst, 0, sectorSize_);
    }
}

void SectorStore::store(uint64_t lba, uint32_t count, const uint8_t* in) {
    if (imageFd_ >= 0) {
        ssize_t put = pwrite(imageFd_, in, size_t(count) * sectorSize_, off_t(lba * sectorSize_));
        (void)put;
        return;
    }
    for (uint32_t i = 0; i < count; ++i) {
        uint64_t s = lba + i;
        uint8_t* chunk = chunkFor(s / kChunkSectors, true);
        std::memcpy(chunk + size_t(s % kChunkSectors) * sectorSize_, in + size_t(i) * sectorSize_, sectorSize_);
    }
}

void SectorStore::write(uint64_t lba, uint32_t count, const uint8_t* in) {
    store(lba, count, in);
    if (!writes_.empty() && writes_.back().lba + writes_.back().count == lba && writes_.back().count < 0x80000000u)
        writes_.back().count += count;
    else
        writes_.push_back({lba, count});
}

void SectorStore::preload(uint64_t lba, const uint8_t* in, uint32_t count) { store(lba, count, in); }

void SectorStore::eraseAll() {
    chunks_.clear();
    if (imageFd_ >= 0) {
        if (ftruncate(imageFd_, 0) == 0 && ftruncate(imageFd_, off_t(sectors_ * sectorSize_)) == 0) {
        }
    }
    writes_.push_back({0, uint32_t(std::min<uint64_t>(sectors_, 0xFFFFFFFFu))});
}

bool SectorStore::writtenWithin(uint64_t lba, uint64_t count) const {
    return std::any_of(writes_.begin(), writes_.end(),
                       [&](const WriteRecord& w) { return w.lba < lba + count && lba < w.lba + w.count; });
}

bool SectorStore::writtenOutside(uint64_t lba, uint64_t count) const {
    return std::any_of(writes_.begin(), writes_.end(),
                       [&](const WriteRecord& w) { return w.lba < lba || w.lba + w.count > lba + count; });
}

} // namespace korvane::sim
