#pragma once
#include "sim/DriveProfile.h"

#include <array>
#include <cstdint>
#include <string>

namespace korvane::sim {

// The ATA security feature set: user and master passwords, High and Maximum levels, the unlock
// attempt counter, freeze, and the erase prepare / erase unit pair.
class SecurityModel {
public:
    using Password = std::array<uint8_t, 32>;
    static Password fromText(const std::string& text);

    explicit SecurityModel(const DriveProfile& profile);

    bool supported() const { return supported_; }
    bool enabled() const { return enabled_; }
    bool locked() const { return locked_; }
    bool frozen() const { return frozen_; }
    bool countExpired() const { return attemptsLeft_ == 0; }
    bool levelMax() const { return levelMax_; }
    int attemptsLeft() const { return attemptsLeft_; }
    // What survives a power cycle, for a lab kept between runs.
    struct Kept {
        bool enabled = false, levelMax = false;
        Password user{}, master{};
    };
    Kept kept() const { return {enabled_, levelMax_, user_, master_}; }
    void restore(const Kept& k) {
        enabled_ = k.enabled && supported_;
        levelMax_ = k.levelMax;
        user_ = k.user;
        master_ = k.master;
    }
    // IDENTIFY word 128.
    uint16_t identifyWord() const;

    // Each returns false when the drive aborts the command. `block` is the 512-byte data sector.
    bool setPassword(const uint8_t* block);
    bool unlock(const uint8_t* block);
    bool erasePrepare();
    // Erase unit: true when accepted (the caller then erases the media).
    bool eraseUnit(const uint8_t* block);
    bool freezeLock();
    bool disablePassword(const uint8_t* block);

    // Any other command ends a pending erase prepare.
    void otherCommand() { erasePrepared_ = false; }
    void powerCycle();

private:
    static bool isMaster(const uint8_t* block) { return block[0] & 1; }
    static Password passwordOf(const uint8_t* block);
    bool matches(const uint8_t* block) const;

    bool supported_;
    bool enabled_ = false, locked_ = false, frozen_ = false, levelMax_ = false;
    bool erasePrepared_ = false;
    int attemptsLeft_ = 5;
    Password user_{}, master_{};
};

} // namespace korvane::sim
