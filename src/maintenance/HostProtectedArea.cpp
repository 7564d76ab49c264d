#include "maintenance/HostProtectedArea.h"

#include "access/ErrorText.h"
#include "access/SizeParse.h"

namespace korvane::maintenance {

namespace {
constexpr uint8_t kReadNativeMax = 0xF8, kSetMax = 0xF9, kIdnf = 0x10;
constexpr int kTrackSteps = 400;
constexpr int64_t kMax28 = 0x0FFFFFFF;
} // namespace

HostProtectedArea::HostProtectedArea(HostProtectedAreaContext context) : c_(std::move(context)) {
    c_.group.NHPABtn.onClick = [this] { readNativeSize(); };
    c_.group.HpaBtn.onClick = [this] { setMaxSize(); };
    c_.group.HpaTrack.onChange = [this] { trackChanged(); };
}

void HostProtectedArea::subscribeTo(info::PassportSubscribers& subscribers) {
    subscribers.subscribe([this](const info::DrivePassport&) { passportArrived(); });
}

void HostProtectedArea::showSize(int64_t sectors) {
    const uint32_t perMiB = c_.session.sectorsPerMiB ? c_.session.sectorsPerMiB : 2048;
    c_.group.L1.setText(c_.group.HpaMbBox.checked() ? std::to_string(sectors / int64_t(perMiB)) + " Mb"
                                                    : std::to_string(sectors));
}

// READ NATIVE MAX ADDRESS (27h in 48-bit mode): the drive's last native address.
bool HostProtectedArea::readNativeMax(uint64_t& lba) {
    c_.commands.issueSectorCommand(nullptr, 0, kReadNativeMax, 0);
    if (c_.pio.waitNotBusy() == -1 || c_.pio.readErrorIfAny() != 0) return false;
    lba = c_.pio.readTaskFileLba();
    return true;
}

std::optional<int64_t> HostProtectedArea::readNativeSize() {
    auto bracket = c_.commands.bracket();
    if (!c_.pio.waitDriveReady()) return std::nullopt;
    c_.log("Get native size...", 1, 1);
    c_.commands.clearBreak();
    uint64_t lba = 0;
    if (!readNativeMax(lba)) {
        c_.log("Get native size... command aborted", 1, 4);
        return std::nullopt;
    }
    auto& hpa = c_.hpa;
    hpa.NativeSize = int64_t(lba + 1);
    const uint32_t perMiB = c_.session.sectorsPerMiB ? c_.session.sectorsPerMiB : 2048;
    c_.log("Get native size...OK, " + std::to_string(hpa.NativeSize) + " LBAs (" +
               std::to_string(hpa.NativeSize / int64_t(perMiB)) + " Mb)",
           1, 1);
    hpa.HpaTargetSize = hpa.NativeSize;
    c_.group.HpaTrack.setPosition(kTrackSteps);
    showSize(hpa.HpaTargetSize);
    return hpa.NativeSize;
}

bool HostProtectedArea::setMaxFailure() {
    uint8_t e = c_.pio.readErrorIfAny();
    c_.log("HPA Error! " + (e == 0 ? std::string(" Timeout") : access::errorText(e)) +
               ". Press 'EXT Passport' key and try again, or else try restart HDD",
           0, 4);
    return false;
}

bool HostProtectedArea::setMaxSize() {
    auto bracket = c_.commands.bracket();
    if (!c_.pio.waitDriveReady()) return false;
    const bool temporary = c_.group.HPATpChk.checked();
    auto parsed = access::parseSizeValue(c_.group.L1.text(), c_.session.maxLba, c_.session.sectorsPerMiB);
    if (!parsed) {
        c_.dialogs.messageBox(access::sizeConversionError(c_.group.L1.text()), "Error", form::MessageType::Error,
                              form::MessageButtons::Ok);
        return false;
    }
    if (!temporary && c_.nonDestructiveOnly && c_.nonDestructiveOnly()) {
        c_.log("Only non-destructive functions are allowed (Setup): a permanent size is not set", 0, 4);
        return false;
    }
    int64_t size = *parsed;
    c_.group.L1.setText(std::to_string(size));
    const uint32_t perMiB = c_.session.sectorsPerMiB ? c_.session.sectorsPerMiB : 2048;
    c_.log("Set HPA Command, Max LBA=" + std::to_string(size) + " (" + std::to_string(size / int64_t(perMiB)) +
               " Mb), " + (temporary ? "temporarily" : "permanent"),
           1, 1);
    if (!c_.session.lba48 && size > kMax28) size = kMax28;
    if (size <= 0) {
        // No drive has a last address below 0: nothing is sent.
        c_.log("HPA error! Wrong LBA parameters or need power-restart!", 0, 4);
        return false;
    }
    // SET MAX must follow READ NATIVE MAX immediately.
    uint64_t native = 0;
    if (!readNativeMax(native)) return setMaxFailure();
    if (c_.pio.waitNotBusy() == -1 || c_.pio.readErrorIfAny() != 0 || c_.pio.waitNotBusy() == -1)
        return setMaxFailure();
    c_.commands.issueSectorCommand(nullptr, temporary ? 0 : 1, kSetMax, uint64_t(size - 1));
    if (c_.pio.waitNotBusy() == -1) return setMaxFailure();
    uint8_t e = c_.pio.readErrorIfAny();
    if (e == kIdnf) {
        c_.log("HPA error! Wrong LBA parameters or need power-restart!", 0, 4);
        return false;
    }
    if (e != 0) return setMaxFailure();
    if (c_.pio.waitNotBusy() != -1) {
        bool wasExtended = c_.passportReader.extendedPassport;
        c_.passportReader.extendedPassport = c_.group.HpaExtpassChk.checked();
        c_.passportReader.readPassport(false, true);
        c_.passportReader.extendedPassport = wasExtended;
    }
    c_.scanEndLba.setText(std::to_string(size - 1));
    c_.seekEndLba.setText(std::to_string(size - 1));
    return true;
}

void HostProtectedArea::trackChanged() {
    auto& hpa = c_.hpa;
    const int p = c_.group.HpaTrack.position();
    hpa.HpaTargetSize = p == kTrackSteps ? hpa.NativeSize : int64_t(p) * hpa.HpaStep;
    showSize(hpa.HpaTargetSize);
}

void HostProtectedArea::passportArrived() {
    auto& hpa = c_.hpa;
    const int64_t maxLba = int64_t(c_.session.maxLba);
    if (hpa.NativeSize > maxLba) {
        hpa.HpaTargetSize = maxLba;
        if (hpa.HpaStep > 0)
            c_.group.HpaTrack.setPosition(int(kTrackSteps - (hpa.NativeSize - maxLba) / hpa.HpaStep));
        showSize(maxLba);
    } else {
        hpa.HpaTargetSize = hpa.NativeSize;
        c_.group.HpaTrack.setPosition(kTrackSteps);
    }
}

} // namespace korvane::maintenance
