#pragma once
#include "sim/IdeChannel.h"
#include "sim/LabDisk.h"
#include "sim/LabTime.h"
#include "sim/PcSpeaker.h"
#include "sim/PciBus.h"

#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace korvane::sim {

// The simulated machine: drives, the IDE channels they sit on, the PCI bus, the PC speaker and
// the disk devices the operating system would show. Its port space answers every port the
// tool uses; ports nothing claims read as all ones.
class Lab {
public:
    explicit Lab(LabTime& time) : time_(time), speaker_(time) {}

    LabTime& time() { return time_; }
    std::string profileName;
    std::string description;

    std::shared_ptr<AtaDevice> addDrive(DriveProfile profile);
    IdeChannel& addChannel(std::string name, uint16_t base, uint16_t alt);
    LabDisk& addDisk(LabDisk disk);

    const std::vector<std::shared_ptr<AtaDevice>>& drives() const { return drives_; }
    std::vector<std::pair<std::string, std::unique_ptr<IdeChannel>>>& channels() { return channels_; }
    IdeChannel* channelAt(uint16_t base);
    std::deque<LabDisk>& disks() { return disks_; }
    LabDisk* diskWithLetter(char letter);
    PciBus& pci() { return pci_; }
    PcSpeaker& speaker() { return speaker_; }

    // Port space.
    uint8_t inb(uint16_t port);
    void outb(uint16_t port, uint8_t value);
    uint16_t inw(uint16_t port);
    void outw(uint16_t port, uint16_t value);
    uint32_t ind(uint16_t port);
    void outd(uint16_t port, uint32_t value);
    void insw(uint16_t port, uint16_t* buffer, size_t count);
    void outsw(uint16_t port, const uint16_t* buffer, size_t count);

    // Whether the machine grants port access (a test can refuse it).
    bool grantsPorts = true;
    // Whether the machine has port instructions at all (a test can take them away).
    bool hasPortInstructions = true;

private:
    IdeChannel* channelFor(uint16_t port);
    void busTime(uint64_t ns);

    LabTime& time_;
    std::vector<std::shared_ptr<AtaDevice>> drives_;
    std::vector<std::pair<std::string, std::unique_ptr<IdeChannel>>> channels_;
    std::deque<LabDisk> disks_;
    PciBus pci_;
    PcSpeaker speaker_;
};

} // namespace korvane::sim
