#include "access/DeviceSelection.h"

namespace korvane::access {

DeviceSelection::DeviceSelection(form::MainForm& form, DriveSession& session, LogFn log)
    : form_(form), session_(session), log_(std::move(log)) {
    form_.log.biglbaChk.onClick = [this] { lba48Changed(); };
}

void DeviceSelection::lba48Changed() {
    bool checked = form_.log.biglbaChk.checked();
    if (!checked && session_.accessMode == AccessMode::Pio) {
        session_.lba48 = false;
        if (session_.maxLba < 0x10000000u) {
            log_("48bit access disabled", 0, 1);
        } else {
            log_("[Warning!] Max LBA adres=" + std::to_string(session_.maxLba.load()) + ", but 48bit access disabled!?",
                 0, 4);
            if (beep) beep(500, 200);
        }
        fillBlockSizeChoices(false);
    } else {
        session_.lba48 = true;
        log_("48bit access enabled", 0, 1);
        fillBlockSizeChoices(true);
    }
    auto& box = form_.tests.ScBlockSizeBox;
    if (box.itemIndex() > 4 || box.itemIndex() < 0) {
        box.setItemIndex(4);
        if (onBlockSizeChanged) onBlockSizeChanged();
    }
}

void DeviceSelection::fillBlockSizeChoices(bool wide) {
    auto& box = form_.tests.ScBlockSizeBox;
    std::string current = box.text();
    std::vector<std::string> items = {"1", "32", "64", "128", "256"};
    if (wide) {
        items.push_back("512");
        if (session_.bytesPerSector <= 512)
            for (const char* s : {"1024", "2048", "16384", "65535"}) items.push_back(s);
    }
    box.setItems(items);
    if (!wide) {
        box.setItemIndex(4);
        return;
    }
    // Keep the size shown when the new list has it.
    box.setText(current);
    if (box.itemIndex() < 0) box.setItemIndex(4);
}

} // namespace korvane::access
