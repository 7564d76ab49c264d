#pragma once
#include "sim/DriveProfile.h"

#include <cstdint>

namespace korvane::sim {

// Service times of media commands: seek by distance, rotational position from the clock, and a
// zoned media rate (outer zones faster). A command that continues where the last one ended is
// served from the read-ahead stream when look-ahead is on; with it off it waits for the sector to
// come round again, as a real disk does. SSDs are flat and fast.
class MediaTiming {
public:
    MediaTiming(const DriveProfile& profile, uint64_t sectors);

    // Time in ns to serve `count` sectors at `lba`, starting at `nowNs`; also moves the head.
    uint64_t access(uint64_t lba, uint32_t count, uint64_t nowNs, bool lookAhead);
    // A seek without transfer.
    uint64_t seek(uint64_t lba, uint64_t nowNs);
    // Head back to cylinder 0.
    uint64_t recalibrate();

    double sectorsPerTrackAt(uint64_t lba) const;
    uint64_t revolutionNs() const { return revolutionNs_; }

private:
    uint64_t seekNs(uint64_t fromLba, uint64_t toLba) const;
    uint64_t transferNs(uint64_t lba, uint32_t count) const;

    const DriveProfile& p_;
    uint64_t sectors_;
    uint64_t revolutionNs_;
    uint64_t headLba_ = 0;
    uint64_t streamNext_ = UINT64_MAX; // sector the read-ahead stream will deliver next
};

} // namespace korvane::sim
