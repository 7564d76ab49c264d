#pragma once
#include <array>
#include <cstdint>

namespace korvane::platform {

// What every layer needs to know of an ATA command: its name for the log, its 48-bit twin, the
// way its data moves, and whether it carries a sector address. One table serves the PIO layer's
// 48-bit substitution, the API routes' capability checks and the simulated drive.
struct AtaCommandInfo {
    enum class Data : uint8_t { None, In, Out };
    const char* name = nullptr; // null: a code this system does not know
    uint8_t twin48 = 0;         // the 48-bit form of a 28-bit command (0: none)
    bool is48 = false;          // itself a 48-bit command (its address and count have previous bytes)
    bool addressed = false;     // the task file carries a sector address
    Data data = Data::None;
    bool known() const { return name != nullptr; }
};

namespace detail {
constexpr std::array<AtaCommandInfo, 256> buildAtaCommandTable() {
    using D = AtaCommandInfo::Data;
    std::array<AtaCommandInfo, 256> t{};
    auto set = [&](uint8_t code, const char* name, uint8_t twin, bool is48, bool addressed, D data) {
        t[code] = AtaCommandInfo{name, twin, is48, addressed, data};
    };
    for (int c = 0x10; c <= 0x1F; ++c) set(uint8_t(c), "RECALIBRATE", 0, false, false, D::None);
    set(0x20, "READ SECTORS", 0x24, false, true, D::In);
    set(0x21, "READ SECTORS (no retry)", 0x24, false, true, D::In);
    set(0x22, "READ LONG", 0, false, true, D::In);
    set(0x23, "READ LONG (no retry)", 0, false, true, D::In);
    set(0x24, "READ SECTORS EXT", 0, true, true, D::In);
    set(0x27, "READ NATIVE MAX ADDRESS EXT", 0, true, false, D::None);
    set(0x30, "WRITE SECTORS", 0x34, false, true, D::Out);
    set(0x31, "WRITE SECTORS (no retry)", 0x34, false, true, D::Out);
    set(0x32, "WRITE LONG", 0, false, true, D::Out);
    set(0x33, "WRITE LONG (no retry)", 0, false, true, D::Out);
    set(0x34, "WRITE SECTORS EXT", 0, true, true, D::Out);
    set(0x37, "SET MAX ADDRESS EXT", 0, true, true, D::None);
    set(0x40, "READ VERIFY SECTORS", 0x42, false, true, D::None);
    set(0x41, "READ VERIFY SECTORS (no retry)", 0x42, false, true, D::None);
    set(0x42, "READ VERIFY SECTORS EXT", 0, true, true, D::None);
    // SEEK has no 48-bit form: a one-sector verify at the address does its work.
    set(0x70, "SEEK", 0x42, false, true, D::None);
    set(0x90, "EXECUTE DEVICE DIAGNOSTIC", 0, false, false, D::None);
    set(0x91, "INITIALIZE DEVICE PARAMETERS", 0, false, false, D::None);
    set(0xB0, "SMART", 0, false, false, D::In);
    set(0xC6, "SET MULTIPLE MODE", 0, false, false, D::None);
    set(0xE0, "STANDBY IMMEDIATE", 0, false, false, D::None);
    set(0xE1, "IDLE IMMEDIATE", 0, false, false, D::None);
    set(0xE2, "STANDBY", 0, false, false, D::None);
    set(0xE3, "IDLE", 0, false, false, D::None);
    set(0xE4, "READ BUFFER", 0, false, false, D::In);
    set(0xE5, "CHECK POWER MODE", 0, false, false, D::None);
    set(0xE6, "SLEEP", 0, false, false, D::None);
    set(0xE7, "FLUSH CACHE", 0xEA, false, false, D::None);
    set(0xE8, "WRITE BUFFER", 0, false, false, D::Out);
    set(0xEA, "FLUSH CACHE EXT", 0, true, false, D::None);
    set(0xEC, "IDENTIFY DEVICE", 0, false, false, D::In);
    set(0xEF, "SET FEATURES", 0, false, false, D::None);
    set(0xF1, "SECURITY SET PASSWORD", 0, false, false, D::Out);
    set(0xF2, "SECURITY UNLOCK", 0, false, false, D::Out);
    set(0xF3, "SECURITY ERASE PREPARE", 0, false, false, D::None);
    set(0xF4, "SECURITY ERASE UNIT", 0, false, false, D::Out);
    set(0xF5, "SECURITY FREEZE LOCK", 0, false, false, D::None);
    set(0xF6, "SECURITY DISABLE PASSWORD", 0, false, false, D::Out);
    set(0xF8, "READ NATIVE MAX ADDRESS", 0x27, false, false, D::None);
    set(0xF9, "SET MAX ADDRESS", 0x37, false, true, D::None);
    return t;
}
inline constexpr std::array<AtaCommandInfo, 256> kAtaCommands = buildAtaCommandTable();
} // namespace detail

constexpr const AtaCommandInfo& ataCommand(uint8_t code) { return detail::kAtaCommands[code]; }

} // namespace korvane::platform
