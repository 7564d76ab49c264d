#include "maintenance/DriveControl.h"

#include <cstdio>
#include <cstring>

namespace korvane::maintenance {

using access::AccessMode;

namespace {
constexpr uint8_t kStandbyImmediate = 0xE0, kRecalibrate = 0x10, kSetFeatures = 0xEF;
constexpr uint8_t kLookAheadOff = 0x55, kLookAheadOn = 0xAA;

std::string hex4(uint16_t v) {
    char t[8];
    std::snprintf(t, sizeof t, "%04X", v);
    return t;
}
} // namespace

DriveControl::DriveControl(DriveControlContext context) : c_(std::move(context)) {
    c_.commandColumn.StopBtn.onClick = [this] {
        auto bracket = c_.commands.bracket();
        stopSpindle();
    };
    c_.commandColumn.RecBtn.onClick = [this] {
        auto bracket = c_.commands.bracket();
        recalibrate();
    };
    c_.cache.RzBitBtn41.onClick = [this] { cacheCommand(Cache::WriteOn); };
    c_.cache.RzBitBtn40.onClick = [this] { cacheCommand(Cache::WriteOff); };
    c_.cache.RdCacheBtn.onClick = [this] { cacheCommand(Cache::ReadOn); };
    c_.cache.CacheOFFbtn.onClick = [this] { cacheCommand(Cache::ReadOff); };
    c_.rpm.RzBitBtn43.onClick = [this] { measureRpm(); };
    c_.partitions.RzBitBtn30.onClick = [this] { setBootSignature(true); };
    c_.partitions.RzBitBtn12.onClick = [this] { setBootSignature(false); };
}

void DriveControl::processEvents() {
    if (c_.ui.isUiThread()) c_.ui.processEvents();
}

// The ATA route of API mode: the IDE pass-through, then SAT; in PIO mode the task file.
bool DriveControl::ataNonData(uint8_t command, uint8_t features) {
    if (c_.session.accessMode == AccessMode::Pio) return c_.pio.sendNonDataCommand(features, 0, 0, 0, 0, 0xA0, command);
    std::array<uint8_t, 8> registers{};
    if (c_.api.apiIdePassThrough(0, features, 0, 0, 0, 0, 0xA0, command, registers)) return true;
    return c_.api.apiAtaCommand(c_.session.apiDeviceNumber, 0, access::ApiAccess::Direction::None, features, 0, 0, 0,
                                0, 0xA0, command);
}

// ------------------------------------------------------------------------------------------
// Spindle stop and recalibration
// ------------------------------------------------------------------------------------------

bool DriveControl::scsiStop(const std::string& failText) {
    auto h = c_.api.openDevice(c_.session.apiDeviceNumber, c_.session.apiDriveLetter);
    if (!h) {
        c_.log("Unable to open physical drive #" + std::to_string(c_.session.apiDeviceNumber), 0, 4);
        return false;
    }
    if (c_.api.apiStartStopUnit(h.get())) {
        c_.log("Stopping SCSI drive... HD Spindle is stopped", 1, 1);
        return true;
    }
    c_.log(failText, 1, 4);
    return false;
}

bool DriveControl::stopSpindle() {
    c_.commands.clearBreak();
    const bool pio = c_.session.accessMode == AccessMode::Pio;
    if (pio && !c_.pio.waitDriveReady()) return false;
    c_.log("Stopping drive...", 0, 1);
    processEvents();
    c_.timing.clock().sleepMs(100);
    if (pio) {
        if (!c_.pio.sendNonDataCommand(0, 0, 0, 0, 0, 0xA0, kStandbyImmediate)) {
            c_.log("Stopping ATA drive... Error", 1, 4);
            return false;
        }
        c_.timing.clock().sleepMs(200);
        c_.log("Stopping ATA drive... HD Spindle is stopped", 1, 1);
        return true;
    }
    if (c_.passport.ScsiPassport) return scsiStop("Stopping SCSI drive... Error");
    std::array<uint8_t, 8> registers{};
    if (c_.api.apiIdePassThrough(0, 0, 0, 0, 0, 0, 0xA0, kStandbyImmediate, registers)) {
        c_.log("Stopping ATA drive... HD Spindle is stopped", 1, 1);
        return true;
    }
    return scsiStop("Stopping drive... Error");
}

bool DriveControl::recalibrate() {
    c_.commands.clearBreak();
    const bool pio = c_.session.accessMode == AccessMode::Pio;
    if (pio && !c_.pio.waitDriveReady()) return false;
    c_.log("Recallibration...", 0, 1);
    processEvents();
    bool ok;
    if (pio) {
        ok = c_.pio.sendNonDataCommand(0, 0, 0, 0, 0, 0xA0, kRecalibrate);
    } else {
        processEvents();
        c_.timing.clock().sleepMs(30);
        std::array<uint8_t, 8> registers{};
        ok = !c_.passport.ScsiPassport && c_.api.apiIdePassThrough(0, 0, 0, 0, 0, 0, 0xA0, kRecalibrate, registers);
        // Without the ATA command a read of sector 0 moves the heads home.
        if (!ok) ok = c_.commands.readOneSector(0);
    }
    if (ok)
        c_.log("Recallibration... OK", 1, 1);
    else
        c_.log("Recallibration... Error!", 1, 4);
    return ok;
}

// ------------------------------------------------------------------------------------------
// Cache commands
// ------------------------------------------------------------------------------------------

bool DriveControl::cacheCommand(Cache which) {
    struct Row {
        uint8_t features;
        const char* prefix;
    };
    static const Row rows[] = {{0x02, "Write cache ON command..."},
                               {0x82, "Write cache OFF command..."},
                               {kLookAheadOn, "Look ahead ON command..."},
                               {kLookAheadOff, "Look ahead OFF command..."}};
    const Row& row = rows[int(which)];
    c_.commands.clearBreak();
    auto bracket = c_.commands.bracket();
    c_.log(row.prefix, 0, 1);
    const bool ok = ataNonData(kSetFeatures, row.features);
    c_.log(std::string(row.prefix) + (ok ? " OK" : " Error"), 1, ok ? 1 : 4);
    // The passport shows the cache state: read it again after a PIO change.
    if (c_.session.accessMode == AccessMode::Pio) c_.passportReader.readPassport(false, true);
    return ok;
}

// ------------------------------------------------------------------------------------------
// Spindle speed
// ------------------------------------------------------------------------------------------

bool DriveControl::switchLookAhead(bool on, const std::string& prefix, bool terminating) {
    c_.log(prefix, 0, 1);
    processEvents();
    bool ok = ataNonData(kSetFeatures, on ? kLookAheadOn : kLookAheadOff);
    if (ok)
        c_.log(prefix + " OK", 1, 1);
    else
        c_.log(prefix + (terminating ? " Error, process terminated" : " Error"), 1, 4);
    return ok;
}

// Single-sector reads of consecutive sectors over 3.739 s: with the look-ahead off each costs one
// revolution. Returns the reads plus one, or 0 after a break or a read error.
int DriveControl::countReadsInWindow() {
    const bool tsc = c_.timing.state().commonClockIsTsc;
    const uint64_t window = tsc ? uint64_t(37390) * c_.timing.state().ticksPer100us : 3739;
    const uint64_t step = window / 50;
    uint64_t start = c_.timing.commonNow(), end = start + window, mark = start;
    int n = 1, progress = 0;
    uint64_t sector = 1;
    for (uint64_t now = start; now <= end;) {
        processEvents();
        now = c_.timing.commonNow();
        if (c_.session.breakRequested) return 0;
        if (!c_.commands.readOneSector(sector)) {
            c_.log("Detecting RPM... read error! Process aborted", 1, 4);
            c_.rpm.RpmLED.setCaption("Error");
            c_.rpm.RpmLED.setFontColour(form::colours::Red);
            return 0;
        }
        ++sector;
        ++n;
        if (now > mark) {
            mark += step;
            c_.rpm.RpmMeter.setPosition(++progress);
        }
    }
    return n;
}

int DriveControl::measureRpm() {
    c_.commands.clearBreak();
    auto bracket = c_.commands.bracket();
    c_.rpm.RpmMeter.setPosition(0);
    c_.rpm.RpmLED.setCaption("Wait");
    c_.rpm.RpmLED.setFontColour(form::colours::Yellow);
    if (c_.scanOptions.AdjustCpuChk.checked()) c_.timing.measureCpuClockLogged();
    if (c_.session.accessMode == AccessMode::Pio) {
        if (!c_.pio.waitDriveReady()) return 0;
        if (c_.passportReader.buildPassport(false, {}) <= 0) {
            c_.log("Drive is corrupted! Process aborted", 0, 4);
            return 0;
        }
    }
    if (!switchLookAhead(false, "Disable cache...", true)) {
        c_.rpm.RpmLED.setCaption("0");
        return 0;
    }
    recalibrate();
    c_.log("Detecting RPM...", 0, 1);
    platform::SavedPriority saved = c_.timing.clock().raisePriority();
    c_.timing.clock().sleepMs(10);
    int n = countReadsInWindow();
    const int rpm = n * 16;
    c_.rpmLabel.setCaption("");
    const bool shown = n > 0 && rpm <= 20000;
    if (shown) {
        c_.rpm.RpmLED.setCaption(std::to_string(rpm));
        c_.rpm.RpmLED.setFontColour(form::colours::Lime);
        c_.rpmLabel.setCaption(std::to_string(rpm) + " RPM");
        c_.log("Detecting RPM... " + std::to_string(rpm) + " RPM", 1, 3);
    }
    c_.rpm.RpmMeter.setPosition(0);
    c_.timing.clock().restorePriority(saved);
    switchLookAhead(true, "Enable cache...", false);
    return shown ? rpm : 0;
}

// ------------------------------------------------------------------------------------------
// Boot signature
// ------------------------------------------------------------------------------------------

bool DriveControl::setBootSignature(bool on) {
    if (c_.nonDestructiveOnly && c_.nonDestructiveOnly()) {
        c_.log("Only non-destructive functions are allowed (Setup): the MBR is not written", 0, 4);
        return false;
    }
    const bool api = c_.session.accessMode == AccessMode::Api;
    const bool systemDisk = api && ((c_.session.apiDeviceNumber == 0) ||
                                    (c_.session.apiDeviceNumber == 255 && c_.session.apiDriveLetter == 'C') ||
                                    (c_.selectedDiskInUse && c_.selectedDiskInUse()));
    if (!on && systemDisk &&
        c_.dialogs.messageBox("!!! WARNING! DEACTIVATED SYSTEM DISK ???", "Warning", form::MessageType::Warning,
                              form::MessageButtons::YesNo) != form::Answer::Yes)
        return false;
    c_.commands.clearBreak();
    auto bracket = c_.commands.bracket();
    c_.log(on ? "Switch MBR ON command" : "Switch MBR OFF command", 0, 1);
    if (c_.passportReader.buildPassport(false, {}) <= 0) {
        c_.log("Drive is corrupted! Process aborted", 0, 4);
        return false;
    }
    if (!c_.commands.readOneSector(0)) {
        c_.log("Error reading MBR", 0, 4);
        return false;
    }
    uint8_t* mbr = c_.session.buffers.sectorBytes();
    const uint16_t found = uint16_t(mbr[510] | mbr[511] << 8);
    const uint16_t target = on ? kSignatureOn : kSignatureOff;
    const std::string text = "Signature " + hex4(found) + "h found... ";
    if (found != target) {
        mbr[510] = uint8_t(target);
        mbr[511] = uint8_t(target >> 8);
        if (!c_.commands.writeOneSector(0)) {
            c_.log(text + "Error writing MBR", 0, 4);
            return false;
        }
    }
    c_.log(text + "Complete", 0, 1);
    c_.partitions.MbrLed.setColour(on ? form::colours::Lime : form::colours::Red);
    return true;
}

} // namespace korvane::maintenance
