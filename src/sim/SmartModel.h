#pragma once
#include "sim/DriveProfile.h"

#include <array>
#include <optional>
#include <string>
#include <cstdint>
#include <vector>

namespace korvane::sim {

// SMART of a lab drive: attributes that move with what happens to the media, thresholds, the
// off-line data collection and the self-tests that progress with time.
class SmartModel {
public:
    explicit SmartModel(const DriveProfile& profile);

    bool enabled() const { return enabled_; }
    void setEnabled(bool e) { enabled_ = e; }
    bool autosave() const { return autosave_; }
    void setAutosave(bool a) { autosave_ = a; }

    // The 512-byte data and threshold blocks, each with its checksum in byte 511.
    std::array<uint8_t, 512> dataBlock(uint64_t nowNs);
    std::array<uint8_t, 512> thresholdBlock() const;
    // A pre-failure attribute at or below its (non-zero) threshold.
    bool thresholdExceeded() const;

    // Off-line immediate subcommands (the LBA low register); false for an unknown one.
    // `firstUnreadable` is the lowest unreadable sector of the drive, if any: a self-test whose
    // span holds it fails there with its read element.
    bool execute(uint8_t subcommand, uint64_t nowNs, std::optional<uint64_t> firstUnreadable = std::nullopt);
    // The state of the last test (running or ended), for a lab kept between runs, and its
    // restoration with `elapsedNs` gone by since; false when the text does not read.
    std::string keptTest(uint64_t nowNs) const;
    bool restoreTest(const std::string& text, uint64_t nowNs, uint64_t elapsedNs);
    // The sector a failed self-test stopped at.
    std::optional<uint64_t> failedAt() const { return failedAt_; }
    // How long a captive test keeps the drive busy.
    uint64_t captiveDurationNs(uint8_t subcommand) const;
    // A reset interrupts a running self-test.
    void interrupt(uint64_t nowNs);

    // Media events.
    void sectorFoundUnreadable();
    void sectorReallocated(bool wasPending);
    void sectorRewrittenInPlace(bool wasPending);
    void powerCycle();
    void setTemperature(int celsius);

    const SmartAttributeSpec* attribute(uint8_t id) const;
    // Every attribute as it stands (a lab kept between runs saves and restores them).
    std::vector<SmartAttributeSpec>& attributes() { return attrs_; }
    const std::vector<SmartAttributeSpec>& attributes() const { return attrs_; }
    uint64_t raw(uint8_t id) const;

private:
    SmartAttributeSpec* find(uint8_t id);
    void bump(uint8_t id, int64_t delta);
    void updateTests(uint64_t nowNs);
    void updateTemperatureRaw();
    void loadRealBlock();
    void fillCapabilities(std::array<uint8_t, 512>& b) const;
    // The fraction of the disk a self-test reads: the short tests a tenth, the others all of it.
    static double span(uint8_t subcommand);

    const DriveProfile& p_;
    std::vector<SmartAttributeSpec> attrs_;
    bool enabled_;
    bool autosave_ = true;
    int temperature_, tempMin_, tempMax_;
    // Off-line data collection status (byte 362) and self-test execution status (byte 363).
    uint8_t offlineStatus_ = 0x00;
    uint8_t selfTestStatus_ = 0x00;
    uint64_t testStartNs_ = 0, testEndNs_ = 0;
    bool testIsSelfTest_ = false;
    bool testRunning_ = false;
    // A self-test that meets an unreadable sector ends at this time.
    std::optional<uint64_t> failNs_, failedAt_, failLba_;
    // Where each attribute sits in a real drive's block.
    std::vector<size_t> slots_;
    bool real_ = false;
};

} // namespace korvane::sim
