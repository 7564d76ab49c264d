#pragma once
#include "form/Clipboard.h"
#include "form/HeadlessUiThread.h"
#include "form/ScriptedDialogs.h"
#include "platform/sim/ScriptedSystemFacts.h"
#include "platform/sim/SimDiskDevices.h"
#include "platform/sim/SimPortIo.h"
#include "sim/LabProfiles.h"
#include "platform/sim/VirtualClock.h"
#include "shell/App.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace korvane::testsupport {

// Runs a shell command; its standard output without the final line break, or "" when it failed.
std::string runShell(const std::string& command);

// A fresh temporary directory, removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::string& path() const { return path_; } // with a trailing '/'
    std::string file(const std::string& name) const { return path_ + name; }
    void write(const std::string& name, const std::string& content) const;
    std::string read(const std::string& name) const;
    bool exists(const std::string& name) const { return std::filesystem::exists(path_ + name); }

private:
    std::string path_;
};

// The machine's PCI configuration files: none, unless a test points them at its own.
struct ForwardedPciFiles final : platform::PciConfigFiles {
    platform::NoPciConfigFiles none;
    platform::PciConfigFiles* target = &none;
    bool available() override { return target->available(); }
    uint32_t read(uint8_t b, uint8_t d, uint8_t f, uint8_t r) override { return target->read(b, d, f, r); }
    std::string vendorName(uint16_t v) override { return target->vendorName(v); }
    std::string deviceName(uint16_t v, uint16_t d) override { return target->deviceName(v, d); }
};

// An App over a virtual clock, scripted facts and dialogs, a memory clipboard and the headless
// UI thread, with its program directory in a temporary folder.
struct TestApp {
    explicit TestApp(const std::string& labProfile = "default");
    ~TestApp();

    // The panel's message texts, oldest first.
    std::vector<std::string> messages() const;
    std::string lastMessage() const;

    TempDir dir;
    platform::VirtualClock clock;
    platform::ScriptedSystemFacts facts;
    form::HeadlessUiThread ui{clock};
    form::ScriptedDialogs dialogs;
    form::MemoryClipboard clipboard;
    std::unique_ptr<sim::Lab> lab;
    std::unique_ptr<platform::SimPortIo> ports;
    std::unique_ptr<platform::SimDiskDevices> disks;
    platform::RecordedPowerControl power;
    ForwardedPciFiles pciFiles;
    std::unique_ptr<shell::App> app;

    // PIO on a lab channel, as device selection would set it (ports, status port, device bit).
    void usePio(uint16_t base, uint16_t alt, bool slave = false);
    // Settings read, rights and port access granted, the time-outs computed, then usePio: the
    // state a started window is in when a drive command is pressed.
    void startPio(uint16_t base, uint16_t alt, bool slave = false);
    sim::AtaDevice& drive(uint16_t base, bool slave = false) { return *lab->channelAt(base)->device(slave ? 1 : 0); }
};

} // namespace korvane::testsupport
