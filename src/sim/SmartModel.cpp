#include "sim/SmartModel.h"

#include <algorithm>

namespace korvane::sim {

SmartModel::SmartModel(const DriveProfile& profile)
    : p_(profile), attrs_(profile.attributes), enabled_(profile.smartEnabled), temperature_(profile.temperature),
      tempMin_(profile.temperatureMin), tempMax_(profile.temperatureMax) {
    updateTemperatureRaw();
}

SmartAttributeSpec* SmartModel::find(uint8_t id) {
    for (auto& a : attrs_)
        if (a.id == id) return &a;
    return nullptr;
}

const SmartAttributeSpec* SmartModel::attribute(uint8_t id) const {
    for (auto& a : attrs_)
        if (a.id == id) return &a;
    return nullptr;
}

uint64_t SmartModel::raw(uint8_t id) const {
    auto* a = attribute(id);
    return a ? a->raw : 0;
}

void SmartModel::bump(uint8_t id, int64_t delta) {
    SmartAttributeSpec* a = find(id);
    if (!a) return;
    int64_t counter = int64_t(a->raw & 0xFFFFFFFF) + delta;
    a->raw = (a->raw & ~uint64_t(0xFFFFFFFF)) | uint64_t(std::max<int64_t>(counter, 0));
    if (id == 5 && delta > 0) {
        // The normalised value falls as spares are used up.
        int spares = int(std::max<uint32_t>(p_.spareSectors, 1));
        int used = int(a->raw & 0xFFFFFFFF);
        a->value = uint8_t(std::max(1, 100 - used * 100 / spares));
        a->worst = std::min(a->worst, a->value);
    }
}

void SmartModel::sectorFoundUnreadable() {
    bump(197, +1);
    bump(198, +1);
}

void SmartModel::sectorReallocated(bool wasPending) {
    bump(5, +1);
    bump(196, +1);
    if (wasPending) {
        bump(197, -1);
        bump(198, -1);
    }
}

void SmartModel::sectorRewrittenInPlace(bool wasPending) {
    if (wasPending) {
        bump(197, -1);
        bump(198, -1);
    }
}

void SmartModel::powerCycle() {
    bump(12, +1);
    bump(4, +1);
    testRunning_ = false;
}

void SmartModel::setTemperature(int celsius) {
    temperature_ = celsius;
    tempMin_ = std::min(tempMin_, celsius);
    tempMax_ = std::max(tempMax_, celsius);
    updateTemperatureRaw();
}

void SmartModel::updateTemperatureRaw() {
    // Current in byte 0, lowest and highest seen in bytes 2 and 4.
    uint64_t raw = uint64_t(uint8_t(temperature_)) | uint64_t(uint8_t(tempMin_)) << 16 |
                   uint64_t(uint8_t(tempMax_)) << 32;
    if (auto* a = find(194)) {
        a->raw = raw;
        a->value = a->worst = uint8_t(std::clamp(100 - temperature_ + 25, 1, 253));
    }
    if (auto* a = find(190)) a->raw = raw;
}

bool SmartModel::thresholdExceeded() const {
    for (auto& a : attrs_)
        if ((a.flags & 1) && a.threshold != 0 && a.value <= a.threshold) return true;
    return false;
}

uint64_t SmartModel::captiveDurationNs(uint8_t sub) const {
    switch (sub) {
    case 0x81: return uint64_t(p_.shortTestMinutes) * 60'000'000'000ull;
    case 0x82: return uint64_t(p_.extendedTestMinutes) * 60'000'000'000ull;
    case 0x84: return uint64_t(p_.shortTestMinutes) * 60'000'000'000ull;
    default: return 0;
    }
}

bool SmartModel::execute(uint8_t sub, uint64_t nowNs) {
    updateTests(nowNs);
    uint64_t duration = 0;
    bool selfTest = true;
    switch (sub) {
    case 0x00:
        duration = uint64_t(p_.offlineSeconds) * 1'000'000'000ull;
        selfTest = false;
        break;
    case 0x01:
    case 0x04: duration = uint64_t(p_.shortTestMinutes) * 60'000'000'000ull; break;
    case 0x02: duration = uint64_t(p_.extendedTestMinutes) * 60'000'000'000ull; break;
    case 0x7F:
        if (testRunning_ && testIsSelfTest_) selfTestStatus_ = 0x10; // aborted by the host
        if (testRunning_ && !testIsSelfTest_) offlineStatus_ = 0x05;
        testRunning_ = false;
        return true;
    case 0x81:
    case 0x82:
    case 0x84:
        // Captive: the drive stays busy for the whole test and reports it completed.
        selfTestStatus_ = 0x00;
        testRunning_ = false;
        return true;
    default: return false;
    }
    testRunning_ = true;
    testIsSelfTest_ = selfTest;
    testStartNs_ = nowNs;
    testEndNs_ = nowNs + std::max<uint64_t>(duration, 1);
    if (selfTest)
        selfTestStatus_ = 0xF9;
    else
        offlineStatus_ = 0x03;
    return true;
}

void SmartModel::interrupt(uint64_t nowNs) {
    updateTests(nowNs);
    if (testRunning_ && testIsSelfTest_) selfTestStatus_ = 0x20; // interrupted by a reset
    if (testRunning_ && !testIsSelfTest_) offlineStatus_ = 0x04;
    testRunning_ = false;
}

void SmartModel::updateTests(uint64_t nowNs) {
    if (!testRunning_) return;
    if (nowNs >= testEndNs_) {
        testRunning_ = false;
        if (testIsSelfTest_)
            selfTestStatus_ = 0x00;
        else
            offlineStatus_ = 0x02;
        return;
    }
    if (testIsSelfTest_) {
        // Upper nibble 15: running; lower nibble: tenths still to do (9 at the start, 1 near the end).
        uint64_t total = testEndNs_ - testStartNs_;
        uint64_t left = testEndNs_ - nowNs;
        uint8_t tenths = uint8_t(std::clamp<uint64_t>((left * 10 + total - 1) / total, 1, 9));
        selfTestStatus_ = uint8_t(0xF0 | tenths);
    }
}

std::array<uint8_t, 512> SmartModel::dataBlock(uint64_t nowNs) {
    updateTests(nowNs);
    std::array<uint8_t, 512> b{};
    b[0] = 0x10; // data structure revision
    for (size_t k = 0; k < attrs_.size() && k < 30; ++k) {
        const auto& a = attrs_[k];
        uint8_t* e = &b[2 + 12 * k];
        e[0] = a.id;
        e[1] = uint8_t(a.flags);
        e[2] = uint8_t(a.flags >> 8);
        e[3] = a.value;
        e[4] = a.worst;
        for (int i = 0; i < 6; ++i) e[5 + i] = uint8_t(a.raw >> (8 * i));
    }
    b[362] = uint8_t(offlineStatus_ | (autosave_ ? 0x80 : 0x00));
    b[363] = selfTestStatus_;
    b[364] = uint8_t(p_.offlineSeconds);
    b[365] = uint8_t(p_.offlineSeconds >> 8);
    b[367] = 0x5B;  // off-line collection capabilities: immediate, abort, self-tests, selective
    b[368] = 0x03;  // SMART capabilities: saves data before power saving, autosave supported
    b[370] = 0x01;  // error logging supported
    b[372] = p_.shortTestMinutes;
    b[373] = p_.extendedTestMinutes;
    uint8_t sum = 0;
    for (size_t i = 0; i < 511; ++i) sum = uint8_t(sum + b[i]);
    b[511] = uint8_t(-sum);
    return b;
}

std::array<uint8_t, 512> SmartModel::thresholdBlock() const {
    std::array<uint8_t, 512> b{};
    b[0] = 0x10;
    for (size_t k = 0; k < attrs_.size() && k < 30; ++k) {
        b[2 + 12 * k] = attrs_[k].id;
        b[3 + 12 * k] = attrs_[k].threshold;
    }
    uint8_t sum = 0;
    for (size_t i = 0; i < 511; ++i) sum = uint8_t(sum + b[i]);
    b[511] = uint8_t(-sum);
    return b;
}

} // namespace korvane::sim
