#include "shell/PassportReactions.h"

#include <algorithm>

namespace korvane::shell {

void subscribeSectorView(info::PassportSubscribers& s, form::SectorGroup& sector, const access::DriveSession& session) {
    s.subscribe([&sector, &session](const info::DrivePassport&) {
        uint64_t maxLba = session.maxLba;
        if (maxLba > 0) sector.HexeditInMax = int64_t(maxLba) - 1;
        sector.HexeditIn.setEnabled(maxLba > 0);
        sector.HexEOppenBtn.setEnabled(maxLba > 0);
        sector.Label6.setCaption("Press 'Open'");
        sector.HexESaveBtn.setEnabled(true);
    });
}

void subscribePartitions(info::PassportSubscribers& s, form::PartitionGroup& partitions) {
    s.subscribe([&partitions](const info::DrivePassport&) {
        partitions.PartBox.setEnabled(true);
        partitions.PartBtn.setCaption("View part data");
        partitions.PartBtn.setEnabled(true);
    });
}

void subscribeHpa(info::PassportSubscribers& s, form::HpaGroup& hpa) {
    // Every passport prepares the native size the track bar works over.
    s.subscribe([&hpa](const info::DrivePassport&) { hpa.HpaTrack.setEnabled(true); });
}

void subscribeSeek(info::PassportSubscribers& s, form::SeekGroup& seek, const access::DriveSession& session) {
    s.subscribe([&seek, &session](const info::DrivePassport& p) {
        if (p.ScsiPassport) {
            // No AAM without ATA commands.
            seek.AAMTrack.setEnabled(false);
            seek.AAMOffBtn.setEnabled(false);
            seek.AAMMinBtn.setEnabled(false);
            seek.AAMLed.setCaption("AAM");
        }
        if (session.accessMode == access::AccessMode::Api && p.ScsiPassport) {
            seek.TermoCtrlBox.setEnabled(false);
            seek.SeekTmprtLed.setCaption("n/a");
        } else {
            seek.TermoCtrlBox.setEnabled(true);
        }
    });
}

void subscribeSmart(info::PassportSubscribers& s, form::SmartPage& smart) {
    s.subscribe([&smart](const info::DrivePassport& p) {
        // The IBM extended SMART switch belongs to the families that have it.
        uint8_t fc = p.FamilyCode;
        smart.monitor.IBMSmartChk.setEnabled(fc == 2 || fc == 7 || fc == 13);
    });
}

void subscribeScan(info::PassportSubscribers& s, form::TestsPage& tests, const access::DriveSession& session,
                   access::DeviceSelection& selection) {
    s.subscribe([&tests, &session, &selection](const info::DrivePassport& p) {
        if (p.ScsiPassport && p.ScsiMediumKnown) {
            // A floppy is scanned a sector at a time and its slow sectors are not worth a line;
            // a CD in 64-sector blocks; anything else in 256.
            const uint32_t spt = p.sectorsPerTrack;
            tests.ScBlockSizeBox.setText(spt == 18 ? "1" : spt == 32 ? "64" : "256");
            if (spt == 18) tests.ErLogBx600.setChecked(false);
        }
        if (session.lba48) selection.fillBlockSizeChoices(true);
        // The automatic block size from what the drive is.
        if (!tests.AutoSizeSC.checked() || p.ScsiPassport) return;
        int item = 4;
        if (p.FamilyCode == 15)
            item = 8;
        else if (p.PhysicalSectorSize == 4096)
            item = p.Removable ? 2 : 7;
        // A narrow list has no such item: its largest is the nearest.
        auto& box = tests.ScBlockSizeBox;
        int last = int(box.items().size()) - 1;
        box.setItemIndex(std::min(item, last));
    });
}

} // namespace korvane::shell
