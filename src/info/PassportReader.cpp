#include "info/PassportReader.h"

#include "info/IdentifyDecode.h"

#include "platform/SmallFile.h"

#include "access/ErrorText.h"

#include <cstring>
#include <fstream>

namespace korvane::info {

using access::AccessMode;
using platform::IdentifyBlock;

namespace {
constexpr form::Colour kIndicatorGrey = 0x9F9F9F;
}

PassportReader::PassportReader(PassportContext context, DrivePassport& passport, HpaState& hpa,
                               PassportReport& report, const PassportSubscribers& subscribers)
    : c_(std::move(context)), p_(passport), hpa_(hpa), report_(report), subscribers_(subscribers) {
    auto& f = c_.form;
    f.standard.passport.PASSBtn.onClick = [this] { passportButtonClick(); };
    f.commands.PasspBtn.onClick = [this] { passportButtonClick(); };
    f.standard.passport.RzBitBtn4.onClick = [this] { openBinClick(); };
    f.PasspMenu.item(0).onClick = [this] { report_.copyAll(c_.clipboard); };
    f.PasspMenu.item(1).onClick = [this] { report_.copyValue(c_.clipboard); };
    f.PasspMenu.item(2).onClick = [this] { c_.form.commands.PasspBtn.click(); };
    f.setup.scanOptions.lbasyncChk.onClick = [this] { refreshLba = c_.form.setup.scanOptions.lbasyncChk.checked(); };
}

std::string PassportReader::cleanName(const std::string& text) {
    static const char* forbidden = "\"*/:<>?\\^`|";
    std::string out;
    for (unsigned char ch : text)
        if (ch >= 0x20 && !std::strchr(forbidden, ch)) out.push_back(char(ch));
    return out;
}

std::string PassportReader::identityString(const IdentifyBlock& id, size_t firstWord, size_t words) {
    return identifyString(id, firstWord, words);
}

std::string PassportReader::binFilePath() const {
    return c_.logDirectory() + "Passp_" + cleanName(p_.Model + "_" + p_.Serial) + ".bin";
}

// ------------------------------------------------------------------------------------------
// readPassport and the buttons
// ------------------------------------------------------------------------------------------

bool PassportReader::readPassport(bool logIdentity, bool apply) {
    auto& f = c_.form;
    f.header.PortInd.setEnabled(true);
    int64_t n = buildPassport(false, {});
    if (n > 0) f.tests.MaxLbaButton.setEnabled(true);
    if (n == -1) {
        c_.log("Get drive passport: Drive error!", 0, 4);
        return false;
    }
    if (n == -2) {
        c_.log("Get drive passport: Port error!", 0, 4);
        return false;
    }
    if (!apply) return true;
    bool sameDrive = !refreshLba && p_.Model == p_.LastModel && p_.Serial == p_.LastSerial && n == p_.LastLastLba;
    if (!sameDrive) {
        p_.PassportTaken = true;
        f.tests.RpmLab.setCaption("");
        f.tests.EndLbaEdit.setText(std::to_string(n));
        f.standard.seek.SeekEndLbaEdit.setText(std::to_string(n));
        if (logIdentity) {
            uint64_t maxLba = c_.session.maxLba;
            if (p_.ScsiPassport)
                c_.log("Model: " + p_.Model + "; " + "Capacity: " + std::to_string(maxLba) + " LBAs", 0, 1);
            else
                c_.log("Model: " + p_.Model + "; Capacity: " + std::to_string(maxLba) + " LBAs; " + "SN: " + p_.Serial +
                           "; FW: " + p_.Firmware,
                       0, 1);
            if (c_.session.accessMode == AccessMode::Pio && maxLba == 0)
                c_.log("WARNING! THIS DRIVE DOES NOT SUPPORT LBA !!!", 0, 4);
        }
    }
    if (f.standard.passport.PassChk.checked() && !p_.ScsiPassport && p_.Model != p_.LastModel && c_.writeEnabled())
        saveBin();
    p_.LastModel = p_.Model;
    p_.LastLastLba = n;
    p_.LastSerial = p_.Serial;
    return true;
}

bool PassportReader::saveBin() const {
    std::ofstream out(binFilePath(), std::ios::binary | std::ios::trunc);
    if (!out) {
        c_.log("Error! Cannot write " + binFilePath(), 0, 4);
        return false;
    }
    out.write(reinterpret_cast<const char*>(c_.session.buffers.sectorBuffer), 512);
    return bool(out);
}

void PassportReader::passportButtonClick() {
    auto& f = c_.form;
    auto bracket = c_.commands.bracket();
    f.standard.passport.PASSBtn.setEnabled(false);
    f.commands.PasspBtn.setEnabled(false);
    bool refresh = refreshLba;
    refreshLba = true;
    readPassport(true, true);
    refreshLba = refresh;
    f.standard.passport.PASSBtn.setEnabled(true);
    f.commands.PasspBtn.setEnabled(true);
}

void PassportReader::openBinClick() {
    auto file = c_.dialogs.openFile("Open BIN file of passport", "BIN files (*.bin)|*.bin|All files (*.*)|*.*",
                                    c_.logDirectory());
    if (!file) return;
    int64_t n = buildPassport(true, *file);
    c_.form.tests.EndLbaEdit.setText(std::to_string(n));
    c_.form.standard.seek.SeekEndLbaEdit.setText(std::to_string(n));
}

// ------------------------------------------------------------------------------------------
// buildPassport
// ------------------------------------------------------------------------------------------

void PassportReader::commonStart() {
    auto& f = c_.form;
    auto& s = c_.session;
    c_.clock.sleepMs(20);
    p_.SecurityEnabled = p_.SecurityFrozen = p_.SecurityCountExpired = false;
    p_.ScsiPassport = p_.Removable = p_.badGeometry = false;
    s.bytesPerSector = 512;
    features_ = "Non ATA";
    result_ = -1;
    auto& pp = f.standard.passport;
    pp.RemovableLed.setColour(kIndicatorGrey);
    pp.VirtualLed.setColour(kIndicatorGrey);
    for (form::Label* l : {&pp.RemovableLabel, &pp.VirtualLabel, &pp.Label3, &pp.SSDLabel}) l->setEnabled(false);
    report_.reset("             Drive passport:");
    c_.commands.clearSectorBuffer(259);
}

int64_t PassportReader::buildPassport(bool fromFile, const std::string& fileName) {
    commonStart();
    if (fromFile) {
        auto content = platform::readRegularFile(fileName, 512);
        if (!content) {
            c_.log("Error! Cannot open file " + fileName, 0, 4);
            return -1;
        }
        if (content->size() < 512) {
            c_.log("Error! Incorrect length of file", 0, 4);
            return -1;
        }
        uint8_t bytes[512];
        std::memcpy(bytes, content->data(), 512);
        std::memcpy(c_.session.buffers.sectorBuffer, bytes, 512);
        result_ = 0;
        decodeAta(IdentifyBlock::fromBytes(bytes), false);
        finish();
        return result_;
    }
    bool ok = c_.session.accessMode == AccessMode::Pio ? acquirePio() : acquireApi();
    if (!ok) {
        errorExit();
        return result_;
    }
    IdentifyBlock id = IdentifyBlock::fromBytes(c_.session.buffers.sectorBytes());
    if (!p_.ScsiPassport) {
        if (id.word(1) == id.word(3) || id.word(3) > 4096 || id.word(6) > 256) {
            c_.log("[Warning] Invalid drive geometry!", 0, 4);
            p_.badGeometry = true;
        }
        result_ = 0;
        decodeAta(id, true);
    } else {
        if (p_.cylinders * p_.tracksPerCylinder * p_.sectorsPerTrack == 0) {
            c_.log("[Warning] Invalid drive geometry!", 0, 4);
            p_.badGeometry = true;
        }
        result_ = 0;
        decodeScsi();
    }
    finish();
    return result_;
}

bool PassportReader::acquirePio() {
    auto& pio = c_.pio;
    if (c_.form.standard.passport.PspplusRstChk.checked()) pio.driveReset();
    if (!pio.waitDriveReady()) return false;
    if (c_.ui.isUiThread()) c_.ui.processEvents();
    if (!pio.registerEchoTest()) {
        result_ = -2;
        return false;
    }
    if (pio.sendNonDataCommand(0, 1, 1, 0, 0, 0xA0, 0xEC)) {
        c_.log("Get passport... OK", 1, 1);
    } else {
        c_.log("Get passport..." + access::errorText(pio.readErrorIfAny()), 1, 4);
        return false;
    }
    c_.clock.sleepMs(1);
    if (!pio.waitDataRequest()) return false;
    // A block the drive did not finish is no passport: the rest of it would be bus noise.
    if (!pio.pioReadSector() || !pio.answersAfterTransfer()) {
        c_.log("Get passport... the drive stopped answering during the transfer", 0, 4);
        return false;
    }
    return true;
}

void PassportReader::setRouteCaption(const std::string& caption, form::Colour background) {
    auto& psp = c_.form.standard.passport.Psp;
    auto columns = psp.columns();
    columns[2].caption = caption;
    psp.setColumns(columns);
    psp.setColour(background);
}

bool PassportReader::acquireApi() {
    auto& s = c_.session;
    auto& api = c_.api;
    auto& pp = c_.form.standard.passport;
    if (c_.ui.isUiThread()) c_.ui.processEvents();
    bool onlyScsi = c_.form.setup.presets.OnlyScsiPassChk.checked();
    api.setNonAtaDrive(false);
    if (!onlyScsi && api.apiSmartCommand(s.apiDeviceNumber, 512, 0, 1, 1, 0, 0, 0xA0, 0xEC)) {
        std::memcpy(s.buffers.sectorBuffer, api.smartData(), 512);
        p_.ScsiPassport = false;
        s.bytesPerSector = 512;
        setRouteCaption("       Drive ATA passport:", 0xF0FFF0);
        p_.UsbMode = false;
    } else if (!onlyScsi && api.apiAtaCommand(s.apiDeviceNumber, 1, access::ApiAccess::Direction::In, 0, 1, 1, 0, 0,
                                              0xA0, 0xEC)) {
        std::memcpy(s.buffers.sectorBuffer, api.apiDataBuffer().data(), 512);
        p_.ScsiPassport = false;
        s.bytesPerSector = 512;
        setRouteCaption("      Passport from USB:", 0xE0E9FE);
        pp.VirtualLed.setColour(0x3104E1);
        pp.VirtualLabel.setCaption("USB drive");
        pp.VirtualLabel.setEnabled(true);
        p_.UsbMode = true;
    } else if (!scsiRoute()) {
        return false;
    }
    c_.log("Get passport... OK", 0, 1);
    return true;
}

bool PassportReader::scsiRoute() {
    auto& s = c_.session;
    auto& api = c_.api;
    auto& pp = c_.form.standard.passport;
    p_.UsbMode = false;
    auto h = api.openSelected();
    if (!h) return false;
    setRouteCaption("    SCSI  Drive passport:", 0xFEFFE1);
    p_.ScsiMediumKnown = false;
    p_.LbaSupported = true;
    access::ApiDriveSize g = api.apiGetGeometry(h.get());
    s.bytesPerSector = g.bytesPerSector;
    bool skipMedium = g.totalSectors == 0;
    if (skipMedium) {
        s.bytesPerSector = 512;
        g.cylinders = 0;
        g.totalSectors = 1;
        g.mediaType = 0;
    }
    p_.cylinders = g.cylinders;
    p_.tracksPerCylinder = g.tracksPerCylinder;
    p_.sectorsPerTrack = g.sectorsPerTrack;
    p_.mediaType = g.mediaType;
    totalSectors_ = g.totalSectors;
    if (!skipMedium) {
        uint32_t m = g.mediaType;
        if (m == 12) {
            features_ += ", HDD";
        } else if (m == 20 || m == 21) {
            features_ += ", MO";
        } else if ((m >= 1 && m <= 11) || (m >= 13 && m <= 19) || (m >= 22 && m <= 25)) {
            features_ += ", Removable";
            p_.Removable = true;
            pp.RemovableLed.setColour(form::colours::Lime);
            pp.RemovableLabel.setEnabled(true);
        }
        s.sectorsPerMiB = s.bytesPerSector ? 1048576 / s.bytesPerSector : 2048;
        // The scan's block size for such a medium follows from the published passport.
        p_.ScsiMediumKnown = true;
        if (g.sectorsPerTrack == 18) {
            features_ += ", FDD";
        } else if (g.sectorsPerTrack == 32) {
            features_ += ", CD";
        } else if (g.sectorsPerTrack != 63) {
            features_ += ", Virtual";
            pp.VirtualLed.setColour(form::colours::Lime);
            pp.VirtualLabel.setCaption("Virtual");
            pp.VirtualLabel.setEnabled(true);
        }
    }
    if (api.apiScsiInquiry(h.get()))
        p_.Model = api.scsiModel().substr(0, 40);
    else
        p_.Model = g.sectorsPerTrack == 18 ? "Floppy disk" : "Unknown non ATA drive";
    p_.ScsiPassport = true;
    api.setNonAtaDrive(true);
    return true;
}

void PassportReader::paintRotation(uint16_t rate) {
    auto& pp = c_.form.standard.passport;
    if (rate == 1) {
        pp.SSDLed.setColour(form::colours::Aqua);
        pp.SSDLabel.setCaption("SSD");
        pp.SSDLabel.setFontColour(form::colours::Navy);
        pp.SSDLabel.setFontWeight(form::FontWeight::Bold);
        pp.SSDLabel.setEnabled(true);
        return;
    }
    if (rate <= 1024 || rate == 0xFFFF) return;
    pp.SSDLabel.setCaption(std::to_string(rate) + " rpm");
    pp.SSDLabel.setFontColour(form::colours::Black);
    pp.SSDLabel.setFontWeight(form::FontWeight::Inherit);
    pp.SSDLabel.setEnabled(true);
    form::Colour c = rate <= 4200 ? 0x800000 : rate <= 5200 ? 0x008040 : rate <= 5400 ? 0x00FF00
                     : rate <= 7200 ? 0x0080FF : rate <= 10000 ? 0xFF00FF : 0xFF8040;
    pp.SSDLed.setColour(c);
}

void PassportReader::takeIdentity(const DrivePassport& decoded) {
    // What the block says replaces the identity; what the reader keeps across reads stays.
    DrivePassport kept = p_;
    p_ = decoded;
    p_.UsbMode = kept.UsbMode;
    p_.Removable = kept.Removable;
    p_.PassportTaken = kept.PassportTaken;
    p_.LastModel = kept.LastModel;
    p_.LastSerial = kept.LastSerial;
    p_.LastLastLba = kept.LastLastLba;
    p_.badGeometry = kept.badGeometry;
    p_.cylinders = kept.cylinders;
    p_.tracksPerCylinder = kept.tracksPerCylinder;
    p_.sectorsPerTrack = kept.sectorsPerTrack;
    p_.mediaType = kept.mediaType;
    p_.timingFactor = kept.timingFactor;
    p_.FamilyCode = kept.FamilyCode;
    p_.ScsiMediumKnown = false;
    if (!p_.AamSupported) p_.AamValue = kept.AamValue;
    if (!p_.ApmSupported) p_.ApmValue = kept.ApmValue;
}

void PassportReader::decodeAta(const IdentifyBlock& id, bool live) {
    auto& s = c_.session;
    auto& f = c_.form;
    IdentifyFacts facts = decodeIdentify(id);
    takeIdentity(facts.passport);
    s.bytesPerSector = facts.bytesPerSector;
    s.sectorsPerMiB = 1048576 / s.bytesPerSector ? 1048576 / s.bytesPerSector : 2048;
    if (p_.Lba48Supported) f.log.biglbaChk.setEnabled(true);
    paintRotation(p_.RotationRate);
    auto& pp = f.standard.passport;
    if (p_.SataDevice) {
        pp.SataDevLed.setColour(form::colours::Yellow);
        pp.Label3.setEnabled(true);
    } else {
        pp.SataDevLed.setColour(form::colours::Grey);
    }
    if (!p_.Lba48Supported) {
        f.log.biglbaChk.setChecked(false);
        f.log.biglbaChk.setEnabled(false);
    }
    if (facts.impossibleCapacity)
        c_.log("Warning! Impossible capacity in the passport: " + std::to_string(facts.claimedCapacity) + " LBAs", 0, 4);
    uint64_t maxLba = facts.capacity;
    if (p_.LbaSupported && maxLba == 0) c_.log("Warning! The passport gives no capacity", 0, 4);
    s.maxLba = maxLba;
    if (p_.Lba48Supported) f.log.biglbaChk.setChecked(true);
    result_ = int64_t(maxLba) - 1;
    if (!p_.LbaSupported) result_ = 0;

    hpa_.NativeSize = int64_t(maxLba);
    hpa_.HpaStep = hpa_.NativeSize / 400;

    const bool extended = extendedPassport && live;
    if (extended) {
        report_.afterDiskSize = extendedRealSize;
        report_.beforeSecurity = extendedPowerStatus;
    }
    report_.addAtaRows(id, maxLba, s.bytesPerSector, s.sectorsPerMiB, c_.log);
    report_.afterDiskSize = nullptr;
    report_.beforeSecurity = nullptr;
    if (extended && s.accessMode == AccessMode::Pio && extendedInterface) extendedInterface();
}

void PassportReader::decodeScsi() {
    auto& s = c_.session;
    if (p_.Model.empty()) p_.Model.assign(1, ' ');
    auto trimmed = [](std::string v) {
        size_t b = v.find_first_not_of(' ');
        return b == std::string::npos ? std::string("unknown") : v.substr(b, v.find_last_not_of(' ') - b + 1);
    };
    p_.Firmware = trimmed(c_.api.scsiRevision().substr(0, 8));
    p_.Serial = trimmed(c_.api.scsiSerial().substr(0, 20));
    auto& pp = c_.form.standard.passport;
    pp.SataDevLed.setColour(form::colours::Grey);
    pp.SSDLed.setColour(form::colours::Grey);
    s.maxLba = totalSectors_;
    p_.LbaSupported = true;
    p_.RotationRate = 0;
    p_.HpaSupported = false;
    hpa_.NativeSize = int64_t(totalSectors_);
    hpa_.HpaStep = hpa_.NativeSize / 400;
    result_ = int64_t(totalSectors_) - 1;
    report_.addScsiRows(totalSectors_, s.bytesPerSector, s.sectorsPerMiB, features_);
}

void PassportReader::finish() {
    auto& f = c_.form;
    auto& s = c_.session;
    uint64_t maxLba = s.maxLba;
    f.HdPanel.setPane(0, p_.Model);
    f.HdPanel.setPane(1, ("SN: " + p_.Serial).substr(0, 24));
    f.HdPanel.setPane(2, ("Fw: " + p_.Firmware).substr(0, 12));
    f.HdPanel.setPane(3, std::to_string(maxLba) + " LBA (" + PassportReport::formatSize(s.bytesPerSector, maxLba) + ")");
    setTimingFactor();
    p_.FamilyCode = PassportReport::familyCode(p_.Model, p_.RotationRate);
    f.standard.passport.Psp.setHint("");
    // Every group that depends on the drive takes the new passport from here.
    subscribers_.publish(p_);
    if (extendedPassport && !p_.ScsiPassport && extendedAam) extendedAam();
}

void PassportReader::setTimingFactor() {
    static const int byUdma[7] = {18, 15, 12, 9, 7, 5, 4};
    int t = 5;
    if (!p_.ScsiPassport) t = p_.UdmaMode >= 0 && p_.UdmaMode <= 6 ? byUdma[p_.UdmaMode] : 5;
    if (c_.session.accessMode == AccessMode::Api && p_.Removable) t = c_.session.maxLba < 4096 ? 18 : 12;
    if (!p_.ScsiPassport && p_.HpaSupported && hpa_.NativeSize > 242000000) t = 3;
    p_.timingFactor = t;
}

void PassportReader::errorExit() {
    auto& f = c_.form;
    f.HdPanel.setPane(0, "Passport error!");
    for (size_t i = 1; i <= 3; ++i) f.HdPanel.setPane(i, "");
    auto& pp = f.standard.passport;
    pp.SSDLed.setColour(form::colours::Grey);
    pp.SataDevLed.setColour(form::colours::Grey);
    pp.SSDLabel.setEnabled(false);
    pp.Label3.setEnabled(false);
    if (result_ != -2) result_ = -1;
}

} // namespace korvane::info
