#include "shell/SettingsKeys.h"

#include "shell/EventLog.h"

namespace korvane::shell {

namespace {

using T = SettingsTargets;
using V = SettingValue;
constexpr bool R = true, W = true, NoR = false, NoW = false;

int64_t asInt(const V& v) { return std::get<int64_t>(v); }
bool asBool(const V& v) { return std::get<bool>(v); }

// Rows bound to one control; `path` is the control as seen from SettingsTargets `t`.
#define CHECK(sec, key, def, path, feeds)                                                                        \
    SettingKey {                                                                                                 \
        sec, key, SettingType::Bool, def, R, W, feeds, [](T& t) -> V { return (path).checked(); },              \
            [](T& t, const V& v) { (path).setChecked(asBool(v)); }                                               \
    }
#define RADIO(sec, key, def, path, feeds)                                                                        \
    SettingKey {                                                                                                 \
        sec, key, SettingType::Integer, def, R, W, feeds,                                                        \
            [](T& t) -> V { return int64_t((path).itemIndex()); },                                               \
            [](T& t, const V& v) { (path).setItemIndex(int(asInt(v))); }                                         \
    }
#define TRACK(sec, key, def, path, feeds)                                                                        \
    SettingKey {                                                                                                 \
        sec, key, SettingType::Integer, def, R, W, feeds, [](T& t) -> V { return int64_t((path).position()); }, \
            [](T& t, const V& v) { (path).setPosition(int(asInt(v))); }                                          \
    }
#define SPIN(sec, key, def, path, feeds)                                                                         \
    SettingKey {                                                                                                 \
        sec, key, SettingType::Integer, def, R, W, feeds, [](T& t) -> V { return int64_t((path).value()); },    \
            [](T& t, const V& v) { (path).setValue(asInt(v)); }                                                  \
    }
#define EDIT(sec, key, def, path, feeds)                                                                         \
    SettingKey {                                                                                                 \
        sec, key, SettingType::String, def, R, W, feeds, [](T& t) -> V { return (path).text(); },               \
            [](T& t, const V& v) { (path).setText(std::get<std::string>(v)); }                                   \
    }
// An integer property of a window or panel, read and written as it stands.
#define GEOMETRY(sec, key, def, getter, setter, feeds)                                                           \
    SettingKey {                                                                                                 \
        sec, key, SettingType::Integer, def, R, W, feeds, [](T& t) -> V { return int64_t(getter); },            \
            [](T& t, const V& v) {                                                                               \
                int n = int(asInt(v));                                                                           \
                setter;                                                                                          \
            }                                                                                                    \
    }

void ignore(T&, const V&) {}

std::vector<SettingKey> buildTable() {
    return {
        {"Info", "Author", SettingType::String, "", NoR, W, "fixed text naming the maker",
         [](T&) -> V { return std::string(kSettingsAuthor); }, ignore},

        GEOMETRY("Position", "X", "10", t.form.left(), t.form.moveTo(n, t.form.top()), "main window left"),
        GEOMETRY("Position", "Y", "10", t.form.top(), t.form.moveTo(t.form.left(), n), "main window top"),
        GEOMETRY("Position", "Height", "690", t.form.height(), t.form.setHeight(n), "main window height"),
        GEOMETRY("Position", "Width", "757", t.form.width(), t.form.setWidth(n), "main window width"),
        {"Position", "Name", SettingType::String, "", NoR, W, "main window caption",
         [](T& t) -> V { return t.form.caption(); }, ignore},
        GEOMETRY("Position", "PageIndex", "0", t.form.MainPage.activeIndex(), t.form.MainPage.setActiveIndex(n),
                 "selected main page"),
        GEOMETRY("Position", "Help Height", "525", t.form.help.height(), t.form.help.setHeight(n),
                 "help window height"),
        GEOMETRY("Position", "Help Width", "660", t.form.help.width(), t.form.help.setWidth(n), "help window width"),
        GEOMETRY("Position", "Help X", "10", t.form.help.left(), t.form.help.moveTo(n, t.form.help.top()),
                 "help window left"),
        GEOMETRY("Position", "Help Y", "10", t.form.help.top(), t.form.help.moveTo(t.form.help.left(), n),
                 "help window top"),
        GEOMETRY("Position", "HexV Height", "530", t.form.viewBuffer.height(), t.form.viewBuffer.setHeight(n),
                 "sector view window height"),
        GEOMETRY("Position", "HexV Width", "520", t.form.viewBuffer.width(), t.form.viewBuffer.setWidth(n),
                 "sector view window width"),
        GEOMETRY("Position", "HexV X", "20", t.form.viewBuffer.left(),
                 t.form.viewBuffer.moveTo(n, t.form.viewBuffer.top()), "sector view window left"),
        GEOMETRY("Position", "HexV Y", "20", t.form.viewBuffer.top(),
                 t.form.viewBuffer.moveTo(t.form.viewBuffer.left(), n), "sector view window top"),

        {"Setup", "AutoInstallDriver", SettingType::Bool, "1", R, NoW, "install the port driver at start-up",
         [](T& t) -> V { return t.startup.autoInstallDriver; },
         [](T& t, const V& v) { t.startup.autoInstallDriver = asBool(v); }},
        TRACK("Setup", "BUSY Timeout", "15", t.form.setup.ata.BusyTrack, "BUSY track bar, seconds"),
        TRACK("Setup", "DRQ Timeout", "10", t.form.setup.ata.DrqTrack, "DRQ track bar position (x 10 ms)"),
        TRACK("Setup", "DRDY Timeout", "1", t.form.setup.ata.DrdyTrack, "ready track bar, seconds"),
        RADIO("Setup", "Timer ATA", "1", t.form.setup.ata.ATATimerRG, "ATA timer choice"),
        CHECK("Setup", "All Sound", "0", t.form.setup.sound.AllSoundChk, "\"All sound\""),
        CHECK("Setup", "Bell", "0", t.form.setup.sound.BellChk, "\"Bell\""),
        CHECK("Setup", "RefreshLBA", "0", t.form.setup.scanOptions.lbasyncChk, "\"Refresh LBA before operation\""),
        CHECK("Setup", "SaveLogFile", "1", t.form.setup.log.SaveLogChk, "\"Save to file:\""),
        CHECK("Setup", "SwapUpDn", "0", t.form.setup.scanOptions.SwapUpDnkeysChk, "\"Swap navigation Up/Dn keys\""),
        EDIT("Setup", "LogFileName", "eventlog.txt", t.form.setup.log.LogFileEdit, "log file name edit"),
        EDIT("Setup", "LogDirName", "LOGS", t.form.setup.log.LogDirEdit, "log directory edit"),
        {"Setup", "Write", SettingType::Bool, "1", R, NoW, "logs, dumps and this file may be written",
         [](T& t) -> V { return t.log.logWriteEnabled(); },
         [](T& t, const V& v) { t.log.setLogWriteEnabled(asBool(v)); }},
        CHECK("Setup", "Classic style", "1", t.form.setup.presets.ClassicStyleChk, "\"Classic group style\""),
        CHECK("Setup", "Grid lines", "1", t.form.setup.presets.GrLinesChk, "\"Grid lines enabled\""),
        CHECK("Setup", "EnableBreakIntLoops", "0", t.form.setup.scanOptions.EnaBrkInCyclChk,
              "\"Enable breaking internal loops\""),
        CHECK("Setup", "NonDestr", "0", t.form.setup.presets.NonDestrChk, "\"Only non-destructive functions\""),
        CHECK("Setup", "PCI d-click", "1", t.form.setup.presets.PspDblChk, "\"Get passport on PCI double click\""),
        {"Setup", "API Enable", SettingType::Integer, "1", R, W, "API/PIO selector: 0 starts in API mode",
         [](T& t) -> V { return int64_t(t.form.header.APIRg.itemIndex()); },
         [](T& t, const V& v) {
             if (asInt(v) == 0) t.session.accessMode = access::AccessMode::Api;
         }},
        CHECK("Setup", "Russian", "0", t.form.setup.presets.RussianChk, "\"'I am speak Russian'\""),
        CHECK("Setup", "Only SCSI passport", "0", t.form.setup.presets.OnlyScsiPassChk,
              "\"Only SCSI passport command\""),
        CHECK("Setup", "Dont get drive passport", "0", t.form.setup.presets.NoDriveTypeChk,
              "\"Don't get drive type (not recom.)\""),
        CHECK("Setup", "If API then TAB1", "1", t.form.setup.presets.ApiTab1Chk, "\"If API then open tab 1\""),
        {"Setup", "AdminRightsIgnore", SettingType::Bool, "0", R, NoW, "skip the administrator check",
         [](T& t) -> V { return t.startup.adminRightsIgnore; },
         [](T& t, const V& v) { t.startup.adminRightsIgnore = asBool(v); }},

        RADIO("Scan", "Timer", "0", t.form.setup.timers.RTChk, "\"   Scan: PIO only\" item"),
        RADIO("Scan", "TimerPio", "1", t.form.setup.timers.ApiRGR, "\"      Common RTC\" item"),
        CHECK("Scan", "Reset between Loop", "1", t.form.setup.scanOptions.ResBetwLoopScanChk,
              "\"Reseting between LoopScan\""),
        CHECK("Scan", "Reset after jump", "0", t.form.tests.RstAftJmpChk, "reset after jump option"),
        CHECK("Scan", "DontBlink", "0", t.form.setup.scanOptions.DontBlinkChk, "\"Don't blink border of pause key\""),
        CHECK("Scan", "CorrTimHDD", "1", t.form.setup.scanOptions.CorrTimHDDChk, "\"Timings depending on HDD\""),
        CHECK("Scan", "AutoRepJmp", "1", t.form.setup.scanOptions.AutoRepQnChk, "\"Auto repeat jump keys,ms:\""),
        SPIN("Scan", "Jmp Interval", "50", t.form.setup.scanOptions.QnRepTimeBox, "jump repeat interval, ms"),
        {"Scan", "Time of RND", SettingType::Float, "10.1", R, W, "random test duration (time of day)",
         [](T& t) -> V { return t.form.tests.RndScTimeEdit.value(); },
         [](T& t, const V& v) { t.form.tests.RndScTimeEdit.setValue(std::get<double>(v)); }},
        CHECK("Scan", "Always ajust CPU", "0", t.form.setup.scanOptions.AdjustCpuChk,
              "\"Ajusting RDTSC before tests\""),
        CHECK("Scan", "Grid", "1", t.form.tests.DisGridChk, "\"Grid\" (scan map grid)"),

        CHECK("ATA Checkboxes", "BinToFile", "1", t.form.standard.passport.PassChk, "passport \"save bin\""),
        CHECK("ATA Checkboxes", "+reset", "0", t.form.standard.passport.PspplusRstChk, "passport \"reset+\""),
        CHECK("ATA Checkboxes", "AllDev", "0", t.form.standard.pci.PCIAllDevChk, "PCI scan \"All dev\""),
        CHECK("ATA Checkboxes", "AltStat", "1", t.form.standard.port.AltStChk, "\"alt-st\""),
        CHECK("ATA Checkboxes", "TermoCtrl", "1", t.form.standard.seek.TermoCtrlBox, "seek test \"t\xC2\xB0\""),
        CHECK("ATA Checkboxes", "HPA Tmp", "0", t.form.standard.hpa.HPATpChk, "HPA \"TEMP\""),
        CHECK("ATA Checkboxes", "HPA Mb", "0", t.form.standard.hpa.HpaMbBox, "HPA \"LBA/Mb\""),
        CHECK("ATA Checkboxes", "HPA get EXT passport", "1", t.form.standard.hpa.HpaExtpassChk, "HPA \"EXT\""),

        CHECK("Hint", "Hints", "0", t.form.header.HintsChk, "\"Hints\""),

        CHECK("EXT PSP Button", "DiagSF", "1", t.form.setup.ext.DSFChk, "\"Diag S.F.\""),
        CHECK("EXT PSP Button", "RealSize", "1", t.form.setup.ext.RSChk, "\"Real size\""),
        CHECK("EXT PSP Button", "PWStat", "1", t.form.setup.ext.PWSCHK, "\"Power status\""),
        CHECK("EXT PSP Button", "BufDiag", "1", t.form.setup.ext.BDChk, "\"Buffer diag.\""),

        CHECK("SMART Checkboxes", "SaveBIN", "1", t.form.smart.monitor.SmrtChkFileSave, "SMART \"Save BIN\""),
        GEOMETRY("SMART Checkboxes", "Window heigh", "112", t.form.smart.SmartTestPanel.height(),
                 t.form.smart.SmartTestPanel.setHeight(n), "SMART test panel height"),

        {"ATA Port", "Channel", SettingType::Integer, "1", R, W, "channel combo item",
         [](T& t) -> V {
             auto& f = t.form;
             // The primary channel is not remembered unless the user asks for it.
             if (f.setup.presets.NoRememberPrimaryChk.checked() && f.standard.port.PortBox.itemIndex() == 0)
                 return int64_t(1);
             return int64_t(f.standard.port.PortBox.itemIndex());
         },
         [](T& t, const V& v) { t.form.standard.port.PortBox.setItemIndex(int(asInt(v))); }},
        {"ATA Port", "Enable PM", SettingType::Bool, "0", R, NoW, "allows the primary channel",
         [](T& t) -> V { return t.selection.enablePrimaryMaster; },
         [](T& t, const V& v) { t.selection.enablePrimaryMaster = asBool(v); }},
        {"ATA Port", "CustomBase", SettingType::Integer, "54272", R, W, "customBasePort",
         [](T& t) -> V { return int64_t(t.session.customBasePort); },
         [](T& t, const V& v) {
             // Only a 16-bit port number is a port; anything else keeps the current one.
             if (asInt(v) >= 0 && asInt(v) <= 0xFFFF) t.session.customBasePort = uint16_t(asInt(v));
         }},
        {"ATA Port", "CustomAlt", SettingType::Integer, "55298", R, W, "customAltPort",
         [](T& t) -> V { return int64_t(t.session.customAltPort); },
         [](T& t, const V& v) {
             if (asInt(v) >= 0 && asInt(v) <= 0xFFFF) t.session.customAltPort = uint16_t(asInt(v));
         }},
        CHECK("ATA Port", "Remember Primary", "1", t.form.setup.presets.NoRememberPrimaryChk,
              "\"Don't remember Primary chan.\""),

        {"API", "Last API device", SettingType::Integer, "0", R, W, "lastApiDevice",
         [](T& t) -> V { return t.session.apiDeviceNumber == 255 ? int64_t(-1) : int64_t(t.session.apiDeviceNumber); },
         [](T& t, const V& v) { t.selection.lastApiDevice = asInt(v) == -1 ? 1 : int32_t(asInt(v)); }},
        CHECK("API", "Ignore FDD", "1", t.form.setup.presets.IgnoreFddChk, "\"Ignore FDD\""),
        CHECK("API", "Show logical", "1", t.form.setup.presets.ShowLogicalChk, "\"Show logical drives\""),

        RADIO("Seek", "Method", "0", t.form.standard.seek.SeekModeGrp, "seek mode"),
        SPIN("Seek", "Timeout", "200", t.form.standard.seek.SeekTioEdit, "seek time-out edit"),

        RADIO("Security", "Method", "1", t.form.standard.security.PwdTypeGrp, "password type"),
        RADIO("Security", "Level", "0", t.form.standard.security.PwdLevGrp, "security level"),
        EDIT("Security", "Password", "tarvelin", t.form.standard.security.PwdEdit, "password edit"),

        CHECK("Advanced", "Sync PA", "0", t.form.advanced.sector.AdvSyncHexPV, "\"synchronize w. PV\""),
        CHECK("Advanced", "Passp Anal", "1", t.form.advanced.partitions.PartAnalPassChk, "\"Analize passport\""),
        CHECK("Advanced", "Get name", "1", t.form.advanced.partitions.PartGetNameChk, "\"get name\""),
    };
}

} // namespace

const std::vector<SettingKey>& settingsKeys() {
    static const std::vector<SettingKey> table = buildTable();
    return table;
}

} // namespace korvane::shell
