#include "info/PassportReport.h"

#include "access/SizeFormat.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace korvane::info {

using form::colours::Blue;
using form::colours::Green;
using form::colours::Navy;
using form::colours::Purple;
using form::colours::Red;
using form::colours::Teal;

PassportReport::PassportReport(form::MainForm& form, DrivePassport& passport) : form_(form), p_(passport) {
    auto& psp = form_.standard.passport.Psp;
    psp.cellColour = [this](size_t r, size_t c) { return cellColour(r, c); };
    auto& menu = form_.PasspMenu;
    menu.onPopup = [this] { onMenuPopup(); };
    menu.item(4).onClick = [this] { toggleWidth(); };
    menu.item(5).onClick = [this] { toggleBigSmall(); };
    // A double click on a passport toggles the panel width; on a PCI result it belongs to the PCI scan.
    psp.onDblClick = [this] {
        auto& list = form_.standard.passport.Psp;
        bool pci = list.columns().size() > 1 && list.columns()[1].caption == "Vendor";
        if (pci && onPciDoubleClick)
            onPciDoubleClick();
        else if (!pci)
            toggleWidth();
    };
    form_.standard.passport.Passpanel.setWidth(370);
}

std::string PassportReport::formatSize(uint32_t bytesPerSector, uint64_t sectors) {
    return access::formatSize(bytesPerSector, sectors);
}

std::string PassportReport::formatSizeShort(int64_t sectors, uint32_t bytesPerSector, uint32_t sectorsPerMiB) {
    return access::formatSizeShort(sectors, bytesPerSector, sectorsPerMiB);
}

uint8_t PassportReport::familyCode(const std::string& model, uint16_t rotationRate) {
    if (rotationRate == 1) return 15;
    std::string m = model;
    for (char& c : m) c = char(std::toupper((unsigned char)c));
    static const std::pair<const char*, uint8_t> rules[] = {
        {"TSU MPG", 14}, {"FUJ", 1},  {"DTLA", 13}, {"IBM", 2},   {"HTS", 2},   {"HDS", 2},
        {"HTE", 2},      {"IC35", 2}, {"IC25", 2},  {"MAX", 3},   {"SEA", 4},   {"ST", 4},
        {"WD", 5},       {"TOSH", 6}, {"CHI_DK", 15}, {"HIT", 7}, {"SAMS", 8},  {"CONN", 9},
        {"LANT", 12},    {"LP AS", 11}, {"QUAN", 10}};
    for (auto& [text, code] : rules)
        if (m.find(text) != std::string::npos) return code;
    return 0;
}

std::string PassportReport::chsComment(uint64_t c, uint32_t bytesPerSector, uint32_t sectorsPerMiB) {
    if (c < 20480) return std::to_string(c * bytesPerSector / 1000) + " kb";
    return std::to_string(c / (sectorsPerMiB ? sectorsPerMiB : 2048)) + " Mb";
}

std::string PassportReport::levelComment(uint8_t v) {
    if (v == 0x80) return "Minimum";
    if (v == 0xFE) return "Maximum";
    return v > 0x80 ? "Enabled" : "Disabled";
}

void PassportReport::reset(const std::string& valueCaption) {
    auto& psp = form_.standard.passport.Psp;
    int valueWidth = form_.standard.passport.Passpanel.width() >= 426 ? 240 : 188;
    psp.setColumns({{"", 0}, {"Subj:", 71}, {valueCaption, valueWidth}, {"Comment:", 84}});
    psp.clear();
}

void PassportReport::addRow(const std::string& label, const std::string& value, const std::string& comment) {
    form_.standard.passport.Psp.addRow({"", label, value, comment});
}

void PassportReport::addAtaRows(const platform::IdentifyBlock& id, uint64_t maxLba, uint32_t bytesPerSector,
                                uint32_t sectorsPerMiB, const std::function<void(const std::string&, int, int)>& log) {
    addRow("Model:", p_.Model, id.word(217) == 1 ? " SSD" : "");
    addRow("Firmware:", p_.Firmware);
    addRow("Serial:", p_.Serial);
    std::string support;
    if (p_.LbaSupported) {
        addRow("Disk size:", std::to_string(maxLba) + " LBAs", formatSize(bytesPerSector, maxLba));
        if (afterDiskSize) afterDiskSize();
        support = "LBA";
    } else {
        addRow("Disk size:", "LBA not supported");
        if (afterDiskSize) afterDiskSize();
        support = "CHS";
    }
    uint64_t c = uint64_t(id.word(1)) * id.word(3) * id.word(6);
    addRow("CHS:", std::to_string(id.word(1)) + "/" + std::to_string(id.word(3)) + "/" + std::to_string(id.word(6)),
           chsComment(c, bytesPerSector, sectorsPerMiB));

    std::string smart = "Unknown or unsupported";
    if (p_.SmartSupported) {
        smart = p_.SmartEnabled ? "Enabled" : "Disabled";
        if (id.bit(84, 0)) smart += ", Errlog";
        if (id.bit(84, 1)) smart += ", Selftest";
    }
    addRow("SMART:", smart);

    std::string cache = id.word(21) ? std::to_string(id.word(21) >> 1) + "k; " : "Unk.size; ";
    bool lookAhead = id.bit(85, 6), writeCache = id.bit(85, 5);
    cache += lookAhead ? "L/A=ON; " : "L/A=OFF; ";
    cache += writeCache ? "Wr=ON; " : "Wr=OFF; ";
    addRow("CACHE:", cache, lookAhead && writeCache ? "ok" : "!");

    if (p_.HpaSupported) support += ", HPA";
    if (p_.AamSupported) support += ", AAM";
    if (p_.ApmSupported) support += ", APM";
    if (id.bit(83, 0)) support += ", DLM";
    if (p_.DcoSupported) support += ", DCO";
    std::string dmaComment;
    if (p_.DmaSupported) {
        support += ", DMA";
        if (p_.UdmaMode >= 0)
            dmaComment = "UDMA-" + std::to_string(p_.UdmaMode);
        else if (p_.MwdmaMode >= 0)
            dmaComment = "MWDMA-" + std::to_string(p_.MwdmaMode);
        else
            dmaComment = "SW DMA";
    } else {
        support += ", PIO";
    }
    addRow("Support:", support, dmaComment);

    auto& seek = form_.standard.seek;
    if (p_.AamSupported) {
        addRow("AAM val:", std::to_string(p_.AamValue), levelComment(p_.AamValue));
        seek.AAMTrack.setEnabled(true);
        seek.AAMOffBtn.setEnabled(true);
        seek.AAMMinBtn.setEnabled(true);
        uint8_t v = p_.AamValue;
        seek.AAMLed.setCaption(v == 0x80 ? "MIN" : v == 0xFE ? "MAX" : v < 0x80 ? "OFF" : std::to_string(v));
    } else {
        seek.AAMTrack.setEnabled(false);
        seek.AAMOffBtn.setEnabled(false);
        seek.AAMMinBtn.setEnabled(false);
        seek.AAMLed.setCaption("AAM");
    }
    if (p_.ApmSupported) addRow("APM val:", std::to_string(p_.ApmValue), levelComment(p_.ApmValue));
    if (p_.SecuritySupported && p_.EraseMinutes > 0) {
        std::string erase = "~ ";
        if (p_.EraseMinutes / 60 > 0) erase += std::to_string(p_.EraseMinutes / 60) + " hours ";
        if (p_.EraseMinutes % 60 > 0) erase += std::to_string(p_.EraseMinutes % 60) + " minutes";
        addRow("Erase:", erase);
    }
    if (beforeSecurity) beforeSecurity();
    addSecurityRow(id, log);
    addInterfaceRow(id);
    addRow("Sector:", "Logic " + std::to_string(bytesPerSector) + " bytes",
           "Phys " + std::to_string(p_.PhysicalSectorSize));
}

void PassportReport::addSecurityRow(const platform::IdentifyBlock&,
                                    const std::function<void(const std::string&, int, int)>& log) {
    if (!p_.SecuritySupported) {
        addRow("Security:", "Not supported");
        return;
    }
    if (!p_.SecurityEnabled) {
        addRow("Security:", p_.SecurityFrozen ? "OFF, Frozen" : "OFF", p_.SecurityFrozen ? "Frozen!" : "");
        return;
    }
    std::string v = "ON";
    v += p_.SecurityLevelMax ? ", Max" : ", High";
    v += p_.SecurityLocked ? ", Locked" : ", Unlocked";
    if (p_.SecurityFrozen) v += ", Frozen";
    addRow("Security:", v, p_.SecurityCountExpired ? "*Expired" : "");
    if (p_.SecurityLocked) log("This drive locked by ATA password!", 0, 4);
}

void PassportReport::addInterfaceRow(const platform::IdentifyBlock& id) {
    std::string text;
    auto add = [&](const std::string& part) { text += (text.empty() ? "" : ", ") + part; };
    if (p_.SataDevice) {
        text = id.bit(76, 2) ? "SATA2" : "SATA1";
        if (id.bit(169, 0)) text += ", TRIM";
        if (id.bit(76, 8)) text += ", NCQ";
        if (id.bit(76, 10)) text += ", PEC";
    }
    if (id.bit(206, 0)) add("SCT");
    if (id.word(119) != 0) {
        if (id.bit(119, 4)) add("SFDLM");
        if (id.bit(119, 2)) add("WrUnk");
        if (id.bit(119, 1)) add("W-R-V");
    }
    if (!text.empty()) addRow("ATA-8:", text, " ");
}

void PassportReport::addScsiRows(uint64_t maxLba, uint32_t bytesPerSector, uint32_t sectorsPerMiB,
                                 const std::string& features) {
    addRow("Model:", p_.Model);
    if (!p_.Firmware.empty()) addRow("Firmware:", p_.Firmware);
    if (!p_.Serial.empty()) addRow("Serial:", p_.Serial);
    addRow("Disk size:", std::to_string(maxLba) + " LBAs", formatSize(bytesPerSector, maxLba));
    uint64_t c = p_.cylinders * p_.tracksPerCylinder * p_.sectorsPerTrack;
    addRow("CHS:",
           std::to_string(p_.cylinders) + "/" + std::to_string(p_.tracksPerCylinder) + "/" +
               std::to_string(p_.sectorsPerTrack),
           chsComment(c, bytesPerSector, sectorsPerMiB));
    addRow("Features:", features);
    if (bytesPerSector > 0)
        addRow("Sector:", std::to_string(bytesPerSector) + " Bytes", p_.badGeometry ? "Revice it!" : "");
}

form::Colour PassportReport::cellColour(size_t row, size_t column) const {
    if (form_.setup.presets.DisClinPassChk.checked()) return Navy;
    if (row == 2) return Navy;
    if (row == 3) return Blue;
    const auto& psp = form_.standard.passport.Psp;
    if (column == 1) return Navy;
    if (column == 2) {
        const std::string& label = psp.cell(row, 1);
        const std::string& value = psp.cell(row, 2);
        std::string key = label.size() >= 4 ? label.substr(2, 2) : std::string();
        char c = value.empty() ? '\0' : value[0];
        if (key == "de") return Navy;
        if (key == "rm" || key == "AR") return Green;
        if (key == "Re") return Red;
        if (key == "pp" || key == "ct") return Blue;
        if (key == "M ") return Purple;
        if (key == "in") return c == 'A' ? Green : Red;
        if (key == "as") return c == '~' ? Purple : Red;
        if (key == "at" || key == "t-") return c == 'P' ? Green : Red;
        if (key == "cu") return value.size() > 1 && value[1] == 'F' ? Green : Red;
        return form::kDefaultColour;
    }
    if (column == 3) {
        const std::string& comment = psp.cell(row, 3);
        if (comment == "ok") return Green;
        if (comment == "!" || comment == "Revice it!" || comment == "Frozen!") return Red;
        return Teal;
    }
    return form::colours::Black;
}

namespace {
std::string padRight(const std::string& s, size_t n) { return s.size() >= n ? s : s + std::string(n - s.size(), ' '); }
std::string padLeft(const std::string& s, size_t n) { return s.size() >= n ? s : std::string(n - s.size(), ' ') + s; }
} // namespace

std::string PassportReport::copyAllText() const {
    const auto& psp = form_.standard.passport.Psp;
    std::string text;
    bool pci = psp.columns().size() > 4;
    for (size_t r = 0; r < psp.rowCount(); ++r) {
        if (!pci)
        {
            // A value as wide as its column or wider keeps one blank before the comment.
            std::string value = padRight(psp.cell(r, 2), 27);
            if (value.size() >= 27 && !psp.cell(r, 3).empty() && value.back() != ' ') value += ' ';
            text += padLeft(psp.cell(r, 1), 10) + " " + value + padRight(psp.cell(r, 3), 9);
        }
        else {
            // A name as wide as its column or wider keeps one blank before the next column.
            const std::string& name = psp.cell(r, 2);
            text += padRight(psp.cell(r, 1), 8) + " " + (name.size() >= 14 ? name + " " : padRight(name, 14)) +
                    padRight(psp.cell(r, 3), 8) + " " + padRight(psp.cell(r, 4), 6) + " " + padRight(psp.cell(r, 5), 6);
        }
        text += "\n";
    }
    return text;
}

void PassportReport::copyAll(form::Clipboard& clipboard) const { clipboard.setText(copyAllText()); }

void PassportReport::copyValue(form::Clipboard& clipboard) const {
    const auto& psp = form_.standard.passport.Psp;
    int row = psp.itemIndex();
    std::string v = row < 0 ? std::string() : psp.cell(size_t(row), 2);
    size_t b = v.find_first_not_of(' ');
    v = b == std::string::npos ? std::string() : v.substr(b, v.find_last_not_of(' ') - b + 1);
    clipboard.setText(v);
}

void PassportReport::onMenuPopup() {
    form_.PasspMenu.item(4).setCaption(form_.standard.passport.Passpanel.width() > 370 ? "Show ALL" : "Maximize");
}

void PassportReport::toggleWidth() {
    auto& panel = form_.standard.passport.Passpanel;
    panel.setWidth(panel.width() > 370 ? 370 : 426);
}

void PassportReport::toggleBigSmall() {
    auto& psp = form_.standard.passport.Psp;
    psp.setCheckBoxes(!psp.checkBoxes());
}

} // namespace korvane::info
