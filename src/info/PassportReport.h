#pragma once
#include "form/Clipboard.h"
#include "form/MainForm.h"
#include "info/DrivePassport.h"
#include "platform/IdentifyBlock.h"

#include <cstdint>
#include <string>

namespace korvane::info {

// The readable report of a passport in the list `Psp`, the size formats, the drive family,
// the list's colours and copy commands.
class PassportReport {
public:
    PassportReport(form::MainForm& form, DrivePassport& passport);

    static std::string formatSize(uint32_t bytesPerSector, uint64_t sectors);
    static std::string formatSizeShort(int64_t sectors, uint32_t bytesPerSector, uint32_t sectorsPerMiB);
    static uint8_t familyCode(const std::string& model, uint16_t rotationRate);
    // The CHS row's comment for cylinders x heads x sectors.
    static std::string chsComment(uint64_t product, uint32_t bytesPerSector, uint32_t sectorsPerMiB);
    // The comment and display of an AAM or APM value.
    static std::string levelComment(uint8_t value);

    // Columns rebuilt for a new passport; the value column is named after the route.
    void reset(const std::string& valueCaption);
    void addRow(const std::string& label, const std::string& value, const std::string& comment = {});

    // The rows of an ATA block, in order; `log` receives the locked-drive warning.
    void addAtaRows(const platform::IdentifyBlock& id, uint64_t maxLba, uint32_t bytesPerSector,
                    uint32_t sectorsPerMiB, const std::function<void(const std::string&, int, int)>& log);
    void addScsiRows(uint64_t maxLba, uint32_t bytesPerSector, uint32_t sectorsPerMiB, const std::string& features);

    // Cell colours and the menu.
    form::Colour cellColour(size_t row, size_t column) const;
    std::string copyAllText() const;
    void copyAll(form::Clipboard& clipboard) const;
    void copyValue(form::Clipboard& clipboard) const;
    void onMenuPopup();
    void toggleWidth();
    void toggleBigSmall();
    // Rows others add inside an ATA report: after "Disk size:", and after the place of "Erase:"
    // (before "Security:"). Run only while set.
    std::function<void()> afterDiskSize, beforeSecurity;
    // The PCI scan's handling of a double click on its result in the same list.
    std::function<void()> onPciDoubleClick;

private:
    void addSecurityRow(const platform::IdentifyBlock& id, const std::function<void(const std::string&, int, int)>& log);
    void addInterfaceRow(const platform::IdentifyBlock& id);

    form::MainForm& form_;
    DrivePassport& p_;
};

} // namespace korvane::info
