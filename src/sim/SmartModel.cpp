#include "sim/SmartModel.h"

#include <algorithm>
#include <sstream>

namespace korvane::sim {

SmartModel::SmartModel(const DriveProfile& profile)
    : p_(profile), attrs_(profile.attributes), enabled_(profile.smartEnabled), temperature_(profile.temperature),
      tempMin_(profile.temperatureMin), tempMax_(profile.temperatureMax) {
    if (profile.realSmartData.size() == 512 && profile.realSmartThresholds.size() == 512) {
        loadRealBlock();
        return;
    }
    for (size_t k = 0; k < attrs_.size(); ++k) slots_.push_back(k);
    updateTemperatureRaw();
}

void SmartModel::loadRealBlock() {
    real_ = true;
    attrs_.clear();
    const std::vector<uint8_t>& d = p_.realSmartData;
    const std::vector<uint8_t>& t = p_.realSmartThresholds;
    for (size_t k = 0; k < 30; ++k) {
        const uint8_t* e = &d[2 + 12 * k];
        if (e[0] == 0) continue;
        uint64_t raw = 0;
        for (int i = 5; i >= 0; --i) raw = raw << 8 | e[5 + i];
        attrs_.push_back({e[0], uint16_t(e[1] | e[2] << 8), e[3], e[4], t[3 + 12 * k], raw});
        slots_.push_back(k);
    }
    offlineStatus_ = d[362] & 0x7F;
    autosave_ = d[362] & 0x80;
    selfTestStatus_ = d[363];
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
    // A real drive's block keeps its own temperature words.
    if (real_) return;
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
    case 0x83:
    case 0x84: return uint64_t(p_.shortTestMinutes) * 60'000'000'000ull;
    default: return 0;
    }
}

double SmartModel::span(uint8_t sub) {
    return sub == 0x02 || sub == 0x82 ? 1.0 : 0.1;
}

bool SmartModel::execute(uint8_t sub, uint64_t nowNs, std::optional<uint64_t> firstUnreadable) {
    updateTests(nowNs);
    failNs_.reset();
    failLba_.reset();
    const double part = span(sub);
    const double at = firstUnreadable ? double(*firstUnreadable) / double(std::max<uint64_t>(p_.nativeSectors, 1)) : 2.0;
    const bool fails = sub != 0x00 && sub != 0x7F && at < part;
    uint64_t duration = 0;
    bool selfTest = true;
    switch (sub) {
    case 0x00:
        duration = uint64_t(p_.offlineSeconds) * 1'000'000'000ull;
        selfTest = false;
        break;
    case 0x01:
    case 0x03: // conveyance
    case 0x04: duration = uint64_t(p_.shortTestMinutes) * 60'000'000'000ull; break;
    case 0x02: duration = uint64_t(p_.extendedTestMinutes) * 60'000'000'000ull; break;
    case 0x7F:
        if (testRunning_ && testIsSelfTest_) selfTestStatus_ = 0x10; // aborted by the host
        if (testRunning_ && !testIsSelfTest_) offlineStatus_ = 0x05;
        testRunning_ = false;
        return true;
    case 0x81:
    case 0x82:
    case 0x83:
    case 0x84:
        // Captive: the drive stays busy for the whole test and reports how it ended.
        selfTestStatus_ = fails ? 0x70 : 0x00;
        if (fails) failedAt_ = firstUnreadable;
        testRunning_ = false;
        return true;
    default: return false;
    }
    testRunning_ = true;
    testIsSelfTest_ = selfTest;
    testStartNs_ = nowNs;
    testEndNs_ = nowNs + std::max<uint64_t>(duration, 1);
    if (selfTest && fails) {
        // The test reads its span in order: it meets the sector that part of the way through.
        failNs_ = nowNs + uint64_t(double(testEndNs_ - nowNs) * at / part);
        failLba_ = firstUnreadable;
    }
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
    if (failNs_ && nowNs >= *failNs_) {
        // Read element failed, with the tenths that were still to do.
        const uint64_t total = testEndNs_ - testStartNs_, left = testEndNs_ - *failNs_;
        selfTestStatus_ = uint8_t(0x70 | std::clamp<uint64_t>((left * 10 + total - 1) / total, 0, 9));
        failedAt_ = failLba_;
        failNs_.reset();
        testRunning_ = false;
        return;
    }
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
    if (real_) std::copy(p_.realSmartData.begin(), p_.realSmartData.end(), b.begin());
    else b[0] = 0x10; // data structure revision
    for (size_t k = 0; k < attrs_.size() && k < 30; ++k) {
        const auto& a = attrs_[k];
        uint8_t* e = &b[2 + 12 * (k < slots_.size() ? slots_[k] : k)];
        e[0] = a.id;
        e[1] = uint8_t(a.flags);
        e[2] = uint8_t(a.flags >> 8);
        e[3] = a.value;
        e[4] = a.worst;
        for (int i = 0; i < 6; ++i) e[5 + i] = uint8_t(a.raw >> (8 * i));
    }
    b[362] = uint8_t(offlineStatus_ | (autosave_ ? 0x80 : 0x00));
    b[363] = selfTestStatus_;
    if (!real_) fillCapabilities(b);
    uint8_t sum = 0;
    for (size_t i = 0; i < 511; ++i) sum = uint8_t(sum + b[i]);
    b[511] = uint8_t(-sum);
    return b;
}

void SmartModel::fillCapabilities(std::array<uint8_t, 512>& b) const {
    b[364] = uint8_t(p_.offlineSeconds);
    b[365] = uint8_t(p_.offlineSeconds >> 8);
    b[367] = 0x5B;  // off-line collection capabilities: immediate, abort, self-tests, selective
    b[368] = 0x03;  // SMART capabilities: saves data before power saving, autosave supported
    b[370] = 0x01;  // error logging supported
    b[372] = p_.shortTestMinutes;
    b[373] = p_.extendedTestMinutes;
}

std::array<uint8_t, 512> SmartModel::thresholdBlock() const {
    std::array<uint8_t, 512> b{};
    if (real_) {
        std::copy(p_.realSmartThresholds.begin(), p_.realSmartThresholds.end(), b.begin());
        return b;
    }
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

std::string SmartModel::keptTest(uint64_t nowNs) const {
    auto signedOr = [](const std::optional<uint64_t>& v, int64_t offset) {
        return v ? std::to_string(int64_t(*v) - offset) : std::string("-1");
    };
    const int64_t now = int64_t(nowNs);
    std::ostringstream out;
    out << int(offlineStatus_) << "," << int(selfTestStatus_) << "," << (testRunning_ ? 1 : 0) << ","
        << (testIsSelfTest_ ? 1 : 0) << "," << (testRunning_ ? int64_t(testEndNs_) - now : 0) << ","
        << (testEndNs_ - testStartNs_) << "," << signedOr(failNs_, now) << "," << signedOr(failLba_, 0) << ","
        << signedOr(failedAt_, 0);
    return out.str();
}

bool SmartModel::restoreTest(const std::string& text, uint64_t nowNs, uint64_t elapsedNs) {
    std::istringstream in(text);
    int64_t f[9];
    char comma = ',';
    for (int i = 0; i < 9; ++i)
        if (!(in >> f[i]) || (i < 8 && !(in >> comma)) || comma != ',') return false;
    if (f[0] < 0 || f[0] > 255 || f[1] < 0 || f[1] > 255 || f[4] < 0 || f[5] < 0) return false;
    offlineStatus_ = uint8_t(f[0]);
    selfTestStatus_ = uint8_t(f[1]);
    testRunning_ = f[2] != 0;
    testIsSelfTest_ = f[3] != 0;
    // The time between the runs has gone by for the test: it may have ended meanwhile.
    const int64_t now = int64_t(nowNs), elapsed = int64_t(elapsedNs);
    testEndNs_ = uint64_t(std::max(now + f[4] - elapsed, now));
    testStartNs_ = testEndNs_ >= uint64_t(f[5]) ? testEndNs_ - uint64_t(f[5]) : 0;
    if (f[6] >= 0) failNs_ = uint64_t(std::max(now + f[6] - elapsed, now));
    else failNs_.reset();
    if (f[7] >= 0) failLba_ = uint64_t(f[7]);
    else failLba_.reset();
    if (f[8] >= 0) failedAt_ = uint64_t(f[8]);
    else failedAt_.reset();
    return true;
}

} // namespace korvane::sim
