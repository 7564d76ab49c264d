#include "sim/MediaTiming.h"

#include <algorithm>
#include <cmath>

namespace korvane::sim {

MediaTiming::MediaTiming(const DriveProfile& profile, uint64_t sectors)
    : p_(profile), sectors_(std::max<uint64_t>(sectors, 1)),
      revolutionNs_(profile.rpm > 0 ? uint64_t(60e9 / profile.rpm) : 8333333) {}

double MediaTiming::sectorsPerTrackAt(uint64_t lba) const {
    double f = double(std::min(lba, sectors_)) / double(sectors_);
    double mbps = p_.outerMBps + (p_.innerMBps - p_.outerMBps) * f;
    // Sectors passing the head in one revolution at that zone's rate.
    return std::max(1.0, mbps * 1e6 / 512.0 * double(revolutionNs_) / 1e9);
}

uint64_t MediaTiming::transferNs(uint64_t lba, uint32_t count) const {
    if (p_.ssd) return uint64_t(double(count) * 512.0 / (p_.ssdMBps * 1e6) * 1e9);
    return uint64_t(double(count) / sectorsPerTrackAt(lba) * double(revolutionNs_));
}

uint64_t MediaTiming::seekNs(uint64_t fromLba, uint64_t toLba) const {
    uint64_t d = fromLba > toLba ? fromLba - toLba : toLba - fromLba;
    double track = sectorsPerTrackAt(toLba) * 4; // four heads share a cylinder
    if (double(d) < track) return 0;
    double f = double(d) / double(sectors_);
    double ms = p_.trackToTrackMs + (p_.fullStrokeMs - p_.trackToTrackMs) * std::sqrt(f);
    return uint64_t(ms * 1e6);
}

uint64_t MediaTiming::access(uint64_t lba, uint32_t count, uint64_t nowNs, bool lookAhead) {
    uint64_t t = uint64_t(p_.commandOverheadUs) * 1000;
    if (p_.ssd) {
        t += transferNs(lba, count);
    } else if (lookAhead && lba == streamNext_) {
        t += transferNs(lba, count);
    } else {
        t += seekNs(headLba_, lba);
        // Rotational latency: wait until the first sector's angle comes under the head.
        double spt = sectorsPerTrackAt(lba);
        double target = std::fmod(double(lba), spt) / spt;
        double angle = double((nowNs + t) % revolutionNs_) / double(revolutionNs_);
        double wait = target - angle;
        if (wait < 0) wait += 1.0;
        t += uint64_t(wait * double(revolutionNs_));
        t += transferNs(lba, count);
    }
    headLba_ = lba + count;
    streamNext_ = lba + count;
    return t;
}

uint64_t MediaTiming::seek(uint64_t lba, uint64_t) {
    uint64_t t = uint64_t(p_.commandOverheadUs) * 1000 + (p_.ssd ? 0 : seekNs(headLba_, lba));
    headLba_ = lba;
    streamNext_ = UINT64_MAX;
    return t;
}

uint64_t MediaTiming::recalibrate() {
    uint64_t t = p_.ssd ? 100000 : seekNs(headLba_, 0) + 2000000;
    headLba_ = 0;
    streamNext_ = UINT64_MAX;
    return t;
}

} // namespace korvane::sim
