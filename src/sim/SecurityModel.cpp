#include "sim/SecurityModel.h"

#include <cstring>

namespace korvane::sim {

SecurityModel::Password SecurityModel::fromText(const std::string& text) {
    Password p{};
    std::memcpy(p.data(), text.data(), std::min<size_t>(text.size(), 32));
    return p;
}

SecurityModel::SecurityModel(const DriveProfile& profile) : supported_(profile.security) {
    master_ = fromText(profile.masterPassword);
    if (supported_ && !profile.userPassword.empty()) {
        user_ = fromText(profile.userPassword);
        enabled_ = true;
        locked_ = true;
        levelMax_ = profile.securityLevelMax;
    }
}

uint16_t SecurityModel::identifyWord() const {
    if (!supported_) return 0;
    uint16_t w = 0x0001 | 0x0020; // supported, enhanced erase supported
    if (enabled_) w |= 0x0002;
    if (locked_) w |= 0x0004;
    if (frozen_) w |= 0x0008;
    if (countExpired()) w |= 0x0010;
    if (enabled_ && levelMax_) w |= 0x0100;
    return w;
}

SecurityModel::Password SecurityModel::passwordOf(const uint8_t* block) {
    Password p{};
    std::memcpy(p.data(), block + 2, 32);
    return p;
}

bool SecurityModel::matches(const uint8_t* block) const {
    Password given = passwordOf(block);
    if (isMaster(block)) return given == master_;
    return given == user_;
}

bool SecurityModel::setPassword(const uint8_t* block) {
    erasePrepared_ = false;
    if (!supported_ || frozen_ || locked_) return false;
    if (isMaster(block)) {
        master_ = passwordOf(block);
        return true;
    }
    user_ = passwordOf(block);
    enabled_ = true;
    levelMax_ = (block[1] & 1) != 0; // word 0 bit 8
    return true;
}

bool SecurityModel::unlock(const uint8_t* block) {
    erasePrepared_ = false;
    if (!supported_ || frozen_ || countExpired()) return false;
    // At Maximum level only the user password unlocks.
    if (isMaster(block) && levelMax_ && enabled_) {
        --attemptsLeft_;
        return false;
    }
    if (!matches(block)) {
        --attemptsLeft_;
        return false;
    }
    locked_ = false;
    return true;
}

bool SecurityModel::erasePrepare() {
    if (!supported_ || frozen_) return false;
    erasePrepared_ = true;
    return true;
}

bool SecurityModel::eraseUnit(const uint8_t* block) {
    bool prepared = erasePrepared_;
    erasePrepared_ = false;
    if (!supported_ || frozen_ || !prepared || countExpired()) return false;
    if (!matches(block)) return false;
    // A successful erase leaves the drive unlocked with its user password removed.
    enabled_ = locked_ = levelMax_ = false;
    user_ = Password{};
    return true;
}

bool SecurityModel::freezeLock() {
    erasePrepared_ = false;
    if (!supported_ || locked_) return false;
    frozen_ = true;
    return true;
}

bool SecurityModel::disablePassword(const uint8_t* block) {
    erasePrepared_ = false;
    if (!supported_ || frozen_ || locked_ || !enabled_) return false;
    if (isMaster(block) && levelMax_) return false;
    if (!matches(block)) return false;
    enabled_ = false;
    levelMax_ = false;
    user_ = Password{};
    return true;
}

void SecurityModel::powerCycle() {
    frozen_ = false;
    erasePrepared_ = false;
    attemptsLeft_ = 5;
    if (enabled_) locked_ = true;
}

} // namespace korvane::sim
