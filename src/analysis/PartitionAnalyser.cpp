#include "analysis/PartitionAnalyser.h"

#include "access/SizeFormat.h"
#include "analysis/PartitionTypes.h"
#include "platform/Crc32.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <set>
#include <vector>

namespace korvane::analysis {

namespace {

uint32_t u32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint64_t u64(const uint8_t* p) { return uint64_t(u32(p)) | uint64_t(u32(p + 4)) << 32; }

std::string padRight(const std::string& s, size_t n) { return s.size() >= n ? s : s + std::string(n - s.size(), ' '); }
std::string padLeft(const std::string& s, size_t n) { return s.size() >= n ? s : std::string(n - s.size(), ' ') + s; }

// Bytes [from, from + n) as text, every byte below 20h or above 7Ah a space.
std::string labelField(const uint8_t* s, size_t from, size_t n) {
    std::string t;
    for (size_t i = from; i < from + n; ++i) t.push_back(s[i] < 0x20 || s[i] > 0x7A ? ' ' : char(s[i]));
    return t;
}

const char* const kDashes = "---------------------------------------------------------------";

} // namespace

PartitionAnalyser::PartitionAnalyser(PartitionAnalyserContext context) : c_(std::move(context)) {
    c_.group.PartBtn.onClick = [this] { analyse(); };
    c_.group.PartList.onSelectItem = [this](size_t) { rowsSelected(); };
    c_.group.PartMenu.item(0).onClick = [this] { c_.clipboard.setText(copyText()); };
    c_.group.PartMenu.item(1).onClick = [this] { clear(); };
}

std::string PartitionAnalyser::mbrCopyPath() const {
    const std::string serial = info::PassportReader::cleanName(c_.passport.Serial);
    return c_.logDirectory() + (serial.empty() ? std::string("lastmbr") : serial) + ".mbr";
}

void PartitionAnalyser::clear() { c_.group.PartList.clear(); }

void PartitionAnalyser::analyse() {
    auto& g = c_.group;
    c_.commands.clearBreak();
    auto bracket = c_.commands.bracket();
    c_.log("Partinion analizer v1.1", 0, 0);
    g.PartList.clear();
    if (g.PartAnalPassChk.checked() && c_.passportReader.buildPassport(false, {}) < 0) g.PartAnalPassChk.setChecked(false);
    number_ = 1;
    entries_ = extendedTables_ = 0;
    firstExtended_ = 0;
    lastEnd_ = -1;
    protective_ = false;
    if (c_.session.accessMode == access::AccessMode::Pio && !c_.pio.waitDriveReady()) return;
    std::set<uint64_t> visited;
    for (uint64_t table = 0;;) {
        if (c_.session.breakRequested) return;
        if (!visited.insert(table).second) {
            c_.log("The partition tables lead back to LBA " + std::to_string(table) + ": the walk stops there", 0, 4);
            break;
        }
        if (visited.size() > kMaxTables) {
            c_.log("More than " + std::to_string(kMaxTables) + " partition tables: the walk stops", 0, 4);
            break;
        }
        std::optional<uint64_t> extended;
        if (!readTable(table, extended)) {
            c_.log("Error reading boot sector", 0, 4);
            g.MbrLed.setColour(form::colours::Grey);
            return;
        }
        if (!extended) break;
        if (extendedTables_ == 1) {
            firstExtended_ = *extended;
            table = *extended;
        } else {
            table = *extended + firstExtended_;
        }
    }
    if (protective_) readGpt();
    if (entries_ == 0) {
        c_.log("Boot sector not found", 0, 4);
        return;
    }
    if (g.PartAnalPassChk.checked()) {
        const int64_t start = lastEnd_ + 1, end = int64_t(c_.session.maxLba.load()) - 1;
        // Partitions that reach the last sector leave no free space to show.
        if (end >= start)
            g.PartList.addRow({"", std::to_string(number_), "Not", "free space", std::to_string(start), std::to_string(end),
                               access::formatSize(c_.session.bytesPerSector, uint64_t(end - start + 1)), " -"});
    }
}

bool PartitionAnalyser::readTable(uint64_t t, std::optional<uint64_t>& extended) {
    if (!c_.commands.readOneSector(t)) {
        const bool beyond = c_.group.PartAnalPassChk.checked() && t > c_.session.maxLba;
        c_.log("Error reading sector " + std::to_string(t) + (beyond ? ": out of range!" : ""), 0, 4);
        return false;
    }
    const uint8_t* s = c_.session.buffers.sectorBytes();
    if (t == 0) {
        const uint16_t signature = uint16_t(s[510] | s[511] << 8);
        c_.group.MbrLed.setColour(signature == 0xAA55   ? form::colours::Lime
                                  : signature == 0x88CC ? form::colours::Red
                                                        : form::colours::Grey);
        saveMbr();
    }
    // The table is copied: reading a volume label reuses the transfer buffers.
    uint8_t table[64];
    std::memcpy(table, s + 446, sizeof table);
    for (int k = 0; k < 4 && !extended; ++k) {
        if (t == 0 && table[16 * k + 4] == 0xEE) protective_ = true;
        entry(table + 16 * k, t, extended);
    }
    return true;
}

void PartitionAnalyser::entry(const uint8_t* e, uint64_t tableLba, std::optional<uint64_t>& extended) {
    const std::string type = partitionTypeName(e[4]);
    if (type == "not used") return;
    const uint32_t start = u32(e + 8), count = u32(e + 12);
    if (type == "extn") {
        extended = start;
        ++extendedTables_;
        c_.log("Found abstract MBR, LBA " + std::to_string(start), 0, 1);
        return;
    }
    ++entries_;
    if (e[0] != 0x80 && e[0] != 0x00) {
        c_.group.PartList.addRow({"", std::to_string(number_), "Unk", "Unknown", "0", "0", "0", " -"});
        return;
    }
    const uint64_t first = uint64_t(start) + tableLba;
    const uint64_t sum = first + count;
    const uint64_t end = sum != 0 ? sum - 1 : 0;
    const std::string name = c_.group.PartGetNameChk.checked() ? volumeLabel(first) : " -";
    // A protective entry covers the disk as far as 32 bits reach, whatever its size: no warning.
    addRow(e[0] == 0x80 ? "Yes" : "Not", type, first, end, count, name, e[4] != 0xEE);
}

void PartitionAnalyser::addRow(const std::string& boot, const std::string& system, uint64_t start, uint64_t end,
                               uint64_t sectors, const std::string& name, bool checkRange) {
    c_.group.PartList.addRow({"", std::to_string(number_), boot, system, std::to_string(start), std::to_string(end),
                              access::formatSize(c_.session.bytesPerSector, sectors), name});
    if (checkRange) warnIfOutside(start, end, sectors);
    lastEnd_ = int64_t(end);
    ++number_;
}

void PartitionAnalyser::warnIfOutside(uint64_t start, uint64_t end, uint64_t sectors) {
    const std::string which = "Partition " + std::to_string(number_);
    if (sectors == 0) c_.log(which + " has no sectors", 0, 4);
    else if (c_.group.PartAnalPassChk.checked() && end >= c_.session.maxLba && c_.session.maxLba > 0)
        c_.log(which + " (LBA " + std::to_string(start) + "-" + std::to_string(end) + ") reaches past the end of the disk",
               0, 4);
}

std::string PartitionAnalyser::volumeLabel(uint64_t start) {
    if (!c_.commands.readOneSector2(start)) return "error";
    const uint8_t* s = c_.session.buffers.sectorBuffer2;
    std::string label = labelField(s, 70, 12).substr(1, 10);
    if (label[0] == ' ') {
        label = labelField(s, 42, 24).substr(1, 10);
        if (label[0] == ' ') return " -";
    }
    return label.substr(0, label.find_last_not_of(' ') + 1);
}

void PartitionAnalyser::saveMbr() {
    if (!c_.writeEnabled()) return;
    std::ofstream out(mbrCopyPath(), std::ios::binary | std::ios::trunc);
    if (out) out.write(reinterpret_cast<const char*>(c_.session.buffers.sectorBytes()), 512);
    if (!out) c_.log("Error! Cannot write " + mbrCopyPath(), 0, 4);
}

void PartitionAnalyser::readGpt() {
    if (gptAt(1)) return;
    const uint64_t last = c_.session.maxLba > 0 ? c_.session.maxLba - 1 : 0;
    if (last <= 1) return;
    c_.log("GPT: trying the backup header at LBA " + std::to_string(last), 0, 1);
    gptAt(last);
}

// One GPT header and its entry array; false, with the reason logged, when either does not check.
bool PartitionAnalyser::gptAt(uint64_t lba) {
    const std::string where = "GPT header at LBA " + std::to_string(lba);
    if (!c_.commands.readOneSector2(lba)) return c_.log(where + " cannot be read", 0, 4), false;
    uint8_t h[512];
    std::memcpy(h, c_.session.buffers.sectorBuffer2, sizeof h);
    if (std::memcmp(h, "EFI PART", 8) != 0) return c_.log(where + ": no GPT signature", 0, 4), false;
    const uint32_t headerSize = u32(h + 12);
    if (headerSize < 92 || headerSize > 512) return c_.log(where + ": header size " + std::to_string(headerSize), 0, 4), false;
    uint8_t check[512];
    std::memcpy(check, h, headerSize);
    std::memset(check + 16, 0, 4);
    if (platform::crc32(check, headerSize) != u32(h + 16)) return c_.log(where + ": bad header CRC", 0, 4), false;
    const uint64_t entriesLba = u64(h + 72);
    const uint32_t count = u32(h + 80), size = u32(h + 84);
    if (size != 128) return c_.log(where + ": entries of " + std::to_string(size) + " bytes, not 128", 0, 4), false;
    if (count == 0 || count > 1024) return c_.log(where + ": " + std::to_string(count) + " entries", 0, 4), false;
    const uint64_t sectors = (uint64_t(count) * size + 511) / 512;
    const uint64_t maxLba = c_.session.maxLba;
    if (maxLba > 0 && (entriesLba < 1 || entriesLba + sectors > maxLba))
        return c_.log(where + ": its entries lie past the end of the disk", 0, 4), false;
    std::vector<uint8_t> array;
    array.reserve(size_t(sectors) * 512);
    for (uint64_t i = 0; i < sectors; ++i) {
        if (c_.session.breakRequested) return false;
        if (!c_.commands.readOneSector2(entriesLba + i))
            return c_.log(where + ": entry sector " + std::to_string(entriesLba + i) + " cannot be read", 0, 4), false;
        array.insert(array.end(), c_.session.buffers.sectorBuffer2, c_.session.buffers.sectorBuffer2 + 512);
    }
    if (platform::crc32(array.data(), size_t(count) * size) != u32(h + 88)) return c_.log(where + ": bad entry array CRC", 0, 4), false;
    size_t listed = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* e = &array[size_t(i) * size];
        if (std::all_of(e, e + 16, [](uint8_t b) { return b == 0; })) continue;
        const uint64_t first = u64(e + 32), last = u64(e + 40);
        std::string name;
        for (int k = 0; k < 36; ++k) {
            const uint16_t ch = uint16_t(e[56 + 2 * k] | e[57 + 2 * k] << 8);
            if (ch == 0) break;
            name.push_back(ch >= 0x20 && ch < 0x7F ? char(ch) : '?');
        }
        const bool legacyBoot = e[48] & 0x04;
        addRow(legacyBoot ? "Yes" : "Not", gptTypeName(e), first, last, last >= first ? last - first + 1 : 0,
               name.empty() ? " -" : name);
        ++entries_;
        ++listed;
    }
    c_.log("GUID partition table at LBA " + std::to_string(lba) + ": " + std::to_string(listed) + " partitions", 0, 1);
    return true;
}

void PartitionAnalyser::rowsSelected() {
    auto& list = c_.group.PartList;
    for (size_t r : list.selection()) {
        const std::string& start = list.cell(r, 4);
        if (start.empty() || list.cell(r, 5).empty()) continue;
        if (c_.sector.AdvSyncHexPV.checked()) c_.sector.HexeditIn.setText(start, form::Origin::User);
    }
}

std::string PartitionAnalyser::copyText() const {
    std::string text = std::string(kDashes) + "\nN  Boot System         Start LBA   End LBA   Size      Name\n" + kDashes + "\n";
    const auto& list = c_.group.PartList;
    for (size_t r = 0; r < list.rowCount(); ++r)
        text += padRight(list.cell(r, 1), 2) + " " + padRight(list.cell(r, 2), 5) + padRight(list.cell(r, 3), 10) +
                padLeft(list.cell(r, 4), 12) + padLeft(list.cell(r, 5), 12) + padLeft(list.cell(r, 6), 10) +
                padLeft(list.cell(r, 7), 10) + "\n";
    return text;
}

} // namespace korvane::analysis
