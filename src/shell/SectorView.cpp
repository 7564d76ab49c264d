#include "shell/SectorView.h"

#include "access/SizeParse.h"

#include <algorithm>
#include <cstring>

namespace korvane::shell {

SectorView::SectorView(SectorViewContext context) : c_(std::move(context)) {
    auto& g = c_.group;
    g.HexeditIn.onChange = [this] {
        if (!writingBack_) readSector();
    };
    g.HexEOppenBtn.onClick = [this] { openClick(); };
    g.HexESaveBtn.onClick = [this] { saveClick(); };
    g.HexE.onDblClick = [this] {
        auto& box = c_.partitions.PartBox;
        box.setHeight(box.height() == 0 ? 113 : 0);
    };
}

std::optional<uint64_t> SectorView::fieldSector() {
    auto& field = c_.group.HexeditIn;
    const uint64_t maxLba = c_.session.maxLba;
    auto parsed = access::parseSizeValue(field.text(), maxLba, c_.session.sectorsPerMiB);
    // The size parser reads a text without a digit as 0: here that would be the MBR, which a
    // typing slip must not reach.
    const bool digit = std::any_of(field.text().begin(), field.text().end(), [](char ch) { return ch >= '0' && ch <= '9'; });
    if (!parsed || *parsed < 0 || !digit) {
        c_.log(access::sizeConversionError(field.text()), 0, 4);
        return std::nullopt;
    }
    uint64_t n = uint64_t(*parsed);
    const uint64_t last = maxLba > 0 ? maxLba - 1 : 0;
    if (n > last) {
        n = last;
        writingBack_ = true;
        field.setText(std::to_string(n));
        writingBack_ = false;
    }
    return n;
}

void SectorView::showResult(uint64_t sector, bool ok) {
    auto& label = c_.group.Label6;
    label.setFontColour(ok ? form::colours::Blue : form::colours::Red);
    label.setCaption("Sec " + std::to_string(sector) + (ok ? "" : " Err"));
    c_.group.HexE.load(c_.session.buffers.sectorBytes(), 512);
}

void SectorView::readSector() {
    auto bracket = c_.commands.bracket();
    auto sector = fieldSector();
    if (!sector) return;
    c_.group.Label6.setCaption("Wait...");
    const bool ok = c_.commands.readOneSector(*sector);
    if (!ok) {
        c_.commands.clearSectorBuffer(259);
        // The red label alone is gone with the next read; the log keeps which sector failed.
        c_.log("Sector " + std::to_string(*sector) + ": the drive could not read it", 0, 4);
    }
    showResult(*sector, ok);
}

void SectorView::openClick() {
    c_.group.HexeditIn.setText("00");
    c_.group.HexESaveBtn.setEnabled(true);
}

bool SectorView::saveClick() {
    auto bracket = c_.commands.bracket();
    auto sector = fieldSector();
    if (!sector) return false;
    const std::string n = std::to_string(*sector);
    if (c_.nonDestructiveOnly && c_.nonDestructiveOnly()) {
        c_.log("Only non-destructive functions are allowed (Setup): sector " + n + " is not written", 0, 4);
        return false;
    }
    const bool system = c_.systemDisk && c_.systemDisk();
    const std::string question = system ? "!!! WARNING! SYSTEM DISK !!! Write sector " + n + " anyway?"
                                        : "Write sector " + n + " to the drive?";
    if (c_.dialogs.messageBox(question, "Write sector", form::MessageType::Warning, form::MessageButtons::YesNo) !=
        form::Answer::Yes) {
        c_.log("Sector " + n + " not written", 0, 1);
        return false;
    }
    c_.group.Label6.setCaption("Sec " + n);
    const auto& bytes = c_.group.HexE.data();
    std::memcpy(c_.session.buffers.sectorBytes(), bytes.data(), std::min<size_t>(bytes.size(), 512));
    const bool written = c_.commands.writeOneSector(*sector);
    // A refused write would otherwise pass for a done one when the read-back works.
    if (!written) c_.log("Sector " + n + ": the drive refused the write", 0, 4);
    // The read-back decides the label: the view shows what the drive now holds.
    const bool ok = c_.commands.readOneSector(*sector);
    if (!ok) c_.log("Sector " + n + ": the drive could not read it back", 0, 4);
    showResult(*sector, ok);
    return written && ok;
}

} // namespace korvane::shell
