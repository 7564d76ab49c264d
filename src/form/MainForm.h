#pragma once
// Every control of the main window and of its small windows, as toolkit-free models, grouped by
// page and group. Names are the window's own; captions, items, ranges and initial states are the
// ones the window starts with. Behaviour is attached by the classes that own it.
#include "form/Button.h"
#include "form/Canvas.h"
#include "form/CheckBox.h"
#include "form/ComboBox.h"
#include "form/DateTimeEdit.h"
#include "form/Edit.h"
#include "form/HexView.h"
#include "form/Image.h"
#include "form/JumpControl.h"
#include "form/Label.h"
#include "form/ListView.h"
#include "form/Menu.h"
#include "form/PageControl.h"
#include "form/RadioGroup.h"
#include "form/SpinEdit.h"
#include "form/StatusBar.h"
#include "form/StringGrid.h"
#include "form/Timer.h"
#include "form/TrackBar.h"
#include "form/Window.h"

#include <array>

namespace korvane::form {

// A lamp of the register panel: the shape and the bit's caption beside it.
struct RegisterLamp {
    RegisterLamp(const std::string& bit) : shape("Lamp" + bit, colours::Grey), label("Lab" + bit, bit) {}
    Shape shape;
    Label label;
};

// A group box: its caption and enabled state belong to the frame.
struct Group : Panel {
    Group(std::string name, std::string caption) : Panel(std::move(name)) { setCaption(std::move(caption)); }
};

// ---------------------------------------------------------------------------------------------
// Standard page
// ---------------------------------------------------------------------------------------------
struct PciGroup {
    Panel PciPanel{"PciPanel"};
    Button PCIScanBtn{"PCIScanBtn", "PCI Scan"};
    CheckBox PCIAllDevChk{"PCIAllDevChk", "All dev", false, "Search all PCI/AGP devices"};
    CheckBox MFDevChk{"MFDevChk", "M/F", false, "Multi-function devices search (recomended)"};
};

struct PortGroup {
    Group PortGrp{"PortGrp", " Port "};
    ComboBox PortBox{"PortBox", {" Primary", "Secondary", " Custom"}, 1};
    Edit BasePortEdit{"BasePortEdit", "170", "Base port", 4};
    Edit AltPortEdit{"AltPortEdit", "376", "Alternative port", 4};
    CheckBox SlaveChk{"SlaveChk", "slave"};
    CheckBox AltStChk{"AltStChk", "alt-st", true};
    PortGroup() {
        BasePortEdit.setEnabled(false);
        AltPortEdit.setEnabled(false);
    }
};

struct HpaGroup {
    Group HpaGrp{"HpaGrp", " Host protected area "};
    Edit L1{"L1", "1", "Examples: 131072134, 100 Mb, 204G, 17%"};
    Label HpaLabel1{"HpaLabel1", "[ LBA, kb, Mb, Gb, % ]"};
    Button HpaBtn{"HpaBtn", "HPA", "Set new max. LBA size"};
    Button NHPABtn{"NHPABtn", "RHPA", "Get native LBA size"};
    TrackBar HpaTrack{"HpaTrack", 0, 400, 0, "Visual adjustment HPA"};
    CheckBox HPATpChk{"HPATpChk", "TEMP", false, "Set Temporary HPA"};
    CheckBox HpaMbBox{"HpaMbBox", "LBA/Mb", false, "Output mode: Mb or LBA"};
    CheckBox HpaExtpassChk{"HpaExtpassChk", "EXT", true, "Refresh EXTERNAL passport after change HPA"};
    HpaGroup() { HpaTrack.setEnabled(false); }
};

struct SeekGroup {
    Group SeekGrp{"SeekGrp", " Mechanic && Acoustic test "};
    Label SeekLbaOut{"SeekLbaOut", " 0", "Current LBA"};
    Led SeekTimeLed{"SeekTimeLed", "0.0 ms", "Average access time"};
    Label SeekCntOut{"SeekCntOut", " 0", "Seeks counter"};
    Edit SeekStartLbaEdit{"SeekStartLbaEdit", "0", "Start LBA"};
    Edit SeekEndLbaEdit{"SeekEndLbaEdit", "1", "End LBA"};
    Button Button2{"Button2", "0", "Reset Start LBA to zero"};
    Button Button4{"Button4", "M", "Reset End LBA to maximum"};
    Panel AamPanel{"AamPanel"};
    Led AAMLed{"AAMLed", "AAM", "AAM value"};
    TrackBar AAMTrack{"AAMTrack", 128, 254, 162, "AAM level fine set"};
    Button AAMMinBtn{"AAMMinBtn", "MIN", "AAM Minimum (Slow mode)"};
    Button AAMOffBtn{"AAMOffBtn", "OFF", "AAM OFF (Maximum acoustic level, Maximum perfomance)"};
    Button SeekBtn{"SeekBtn", "Start", "Start seek test and AAM control"};
    RadioGroup SeekModeGrp{"SeekModeGrp", "", {"Seek", "Verify", "Read"}, 0, "Access method"};
    Label LimitLabel{"LimitLabel", "Limit:"};
    SpinEdit SeekTioEdit{"SeekTioEdit", 1, 100000, 250, 1, "Limit access time"};
    Led SeekTmprtLed{"SeekTmprtLed", "n/a", "Drive temperature"};
    CheckBox TermoCtrlBox{"TermoCtrlBox", "t\xC2\xB0", true, "Thermocontrol ON/OFF"};
    SeekGroup() {
        AAMTrack.setEnabled(false);
        AAMMinBtn.setEnabled(false);
        AAMOffBtn.setEnabled(false);
    }
};

struct SecurityGroup {
    Group SecurityBox{"SecurityBox", " Security manager "};
    Button LockBtn{"LockBtn", "Lock", "Set ATA password"};
    Button UnlockBtn{"UnlockBtn", "Unlock",
                     "Remove password from HDD. Need valid User password or Master password (if level=High)"};
    RadioGroup PwdTypeGrp{"PwdTypeGrp", "", {"Master", "User"}, 1, "Master or User password type"};
    RadioGroup PwdLevGrp{"PwdLevGrp", "", {"High", "Max"}, 0, "Security level"};
    Button PwdEraseBtn{"PwdEraseBtn", "Erase",
                       "Start security erase process. Need Maximum security level, and valid Master password."};
    CheckBox EraseBeepChk{"EraseBeepChk", "beep", false, "Beep after drive readiness"};
    Edit PwdEdit{"PwdEdit", "tarvelin", "Field for ATA password", 32};
    Button FilePwdBtn{"FilePwdBtn", "F", "Send password from file"};
};

struct ApiListGroup {
    ListView ApiList{"ApiList",
                     {{"", 0}, {"\xE2\x84\x96", 30}, {"   Size", 70}, {" Note - click to refresh", 220}, {"", 0}}};
    ApiListGroup() {
        ApiList.setCheckBoxes(true);
        ApiList.setVisible(false);
    }
};

struct PassportGroup {
    Panel Passpanel{"Passpanel"};
    ListView Psp{"Psp", {{"", 0}, {"Parameter", 120}, {"Value", 150}, {"Comment", 100}}};
    CheckBox PassChk{"PassChk", "save bin", true, "Save raw passport to BIN file"};
    Button RzBitBtn4{"RzBitBtn4", "Open BIN", "Open raw passport from file"};
    Shape Lba48Led{"Lba48Led", colours::Grey};
    Label Lba48Label{"Lba48Label", "48 bit"};
    Shape SataDevLed{"SataDevLed", colours::Grey};
    Label Label3{"Label3", "SATA"};
    Shape SSDLed{"SSDLed", colours::Grey};
    Label SSDLabel{"SSDLabel", ""};
    Shape RemovableLed{"RemovableLed", colours::Grey};
    Label RemovableLabel{"RemovableLabel", "Removable"};
    Shape VirtualLed{"VirtualLed", colours::Grey};
    Label VirtualLabel{"VirtualLabel", "Virtual"};
    CheckBox PspplusRstChk{"PspplusRstChk", "reset+", false, "Reset + ECh"};
    Button PASSBtn{"PASSBtn", "Passport"};
    Button PASSBtnExt{"PASSBtnExt", "EXT"};
    PassportGroup() {
        Label3.setEnabled(false);
        SSDLabel.setEnabled(false);
        for (Control* c : {static_cast<Control*>(&RemovableLed), static_cast<Control*>(&RemovableLabel),
                           static_cast<Control*>(&VirtualLed), static_cast<Control*>(&VirtualLabel)})
            c->setVisible(false);
    }
};

struct StandardPage {
    PciGroup pci;
    PortGroup port;
    HpaGroup hpa;
    SeekGroup seek;
    SecurityGroup security;
    ApiListGroup api;
    PassportGroup passport;
};

// ---------------------------------------------------------------------------------------------
// SMART page
// ---------------------------------------------------------------------------------------------
struct SmartMonitorGroup {
    Group SmartMonitorGrp{"SmartMonitorGrp", " SMART monitor "};
    Shape SmartLed{"SmartLed", colours::Black};
    Label SmrtStLabel{"SmrtStLabel", "- - - - -"};
    Button SmartBtn{"SmartBtn", "Get SMART"};
    CheckBox IBMSmartChk{"IBMSmartChk", "Use IBM super smart:", true};
    Button RzBitBtn2{"RzBitBtn2", "Open BIN", "Open raw SMART data from file"};
    CheckBox SmrtChkFileSave{"SmrtChkFileSave", "Save BIN", true, "Save raw SMART data to binary file"};
    CheckBox CryptChk{"CryptChk", "Crypt it!", false};
    SmartMonitorGroup() {
        SmrtStLabel.setFontColour(colours::Grey);
        CryptChk.setEnabled(false);
    }
};

struct SmartTimerGroup {
    Group SmartTimerGrp{"SmartTimerGrp", "Timer"};
    SpinEdit NumberEdit8{"NumberEdit8", 1, 777, 60};
    CheckBox SmTimerChk{"SmTimerChk", "ON"};
    Shape SmTimerLED{"SmTimerLED", colours::Grey};
};

struct SmartControlGroup {
    Group SmartControlGrp{"SmartControlGrp", " Control "};
    Button SmartAtsOFFBtn{"SmartAtsOFFBtn", "Auto Save attributes OFF"};
    Button SmartAtsOnBtn{"SmartAtsOnBtn", "Auto Save attributes ON"};
    Button SmartOnBtn{"SmartOnBtn", "SMART ON"};
    Button SmartOFFBtn{"SmartOFFBtn", "SMART OFF"};
};

struct SmartTestGroup {
    Group SmartTestGrp{"SmartTestGrp", " SMART test box "};
    Meter SmtMeter{"SmtMeter", 0, 10};
    ComboBox SmScanBox{"SmScanBox",
                       {"Off-line data collect", "Off-line short test", "Ext. off-line routine", "Selective routine",
                        "Short test (captive)", "Ext. test (captive)", "Selective test (captive)", "Vendor specific"},
                       0};
    Button RzBitBtn13{"RzBitBtn13", "Begin", "Start SMART test"};
    Button RzBitBtn29{"RzBitBtn29", "Abort", "Abort SMART test"};
    SpinEdit SmVSTestEdit{"SmVSTestEdit", 0, 255, 0};
    SmartTestGroup() { SmVSTestEdit.setEnabled(false); }
};

struct SmartPage {
    SmartMonitorGroup monitor;
    SmartTimerGroup timer;
    SmartControlGroup control;
    SmartTestGroup test;
    Panel SmartTestPanel{"SmartTestPanel"};
    ListView SmartTestList{"SmartTestList",
                           {{"Parameters of SMART data collections tests / Status after tests:", 401},
                            {"Value", 81, Align::Centre}}};
    ListView SmartList{"SmartList",
                       {{"", 0},
                        {"ID ", 37, Align::Right},
                        {" Name", 166},
                        {"VAL", 43, Align::Centre},
                        {"Wrst ", 45, Align::Right},
                        {"Tresh", 45, Align::Right},
                        {"Raw         ", 91, Align::Right},
                        {"Health", 56},
                        {"", 0},
                        {"", 0}}};
    SmartPage() {
        SmartTestPanel.setHeight(112);
        SmartList.setCheckBoxes(true);
        SmartList.setFontColour(colours::Navy);
    }
};

// ---------------------------------------------------------------------------------------------
// Tests page
// ---------------------------------------------------------------------------------------------
struct TestsPage {
    // Scan set-up
    Edit StartLbaEdit{"StartLbaEdit", "0", "Start LBA"};
    Edit EndLbaEdit{"EndLbaEdit", "1", "End LBA"};
    Button Button3{"Button3", "0", "Reset  start LBA to zero"};
    Button MaxLbaButton{"MaxLbaButton", "MAX", "Reset End LBA to maximum"};
    Label BlockSizeLabel{"BlockSizeLabel", "[ block size ]"};
    ComboBox ScBlockSizeBox{"ScBlockSizeBox", {"1", "32", "64", "128", "256"}, 4};
    CheckBox AutoSizeSC{"AutoSizeSC", "[ auto ]", true};
    Label TimeoutLabel{"TimeoutLabel", "[ timeout,ms ]"};
    Edit ScanTimeEdit{"ScanTimeEdit", "10000"};
    ComboBox EndScanVarBox{"EndScanVarBox",
                           {"End of test", "Stop spindle", "Loop test", "HD power off", "Shutdown PC"},
                           0};
    Button ScanStartBtn{"ScanStartBtn", "Start", "Begin/Stop surface scan"};
    Button PauseBtn{"PauseBtn", "Pause"};
    Shape PauseLed{"PauseLed", colours::Grey};
    JumpControl Qn{"Qn", "Jump during surface scan"};
    CheckBox RstAftJmpChk{"RstAftJmpChk", "", false, "Reset HDD after jump"};
    DateTimeEdit RndScTimeEdit{"RndScTimeEdit", 10.0 / 1440.0, "H:mm", "Random test time (1min...23h:59m)"};
    Edit LbaOut{"LbaOut", "0", "Current LBA"};
    Edit LbaOut1{"LbaOut1", "0", "Current LBA-II for butterfly"};

    // Counters
    Panel CountersPanel{"CountersPanel"};
    Label scTim5{"scTim5", "5"}, scTim20{"scTim20", "20"}, scTim50{"scTim50", "50"}, scTim200{"scTim200", "200"},
        scTim600{"scTim600", "600"};
    Label scTimBig{"scTimBig", ">"};
    Label scTimErr{"scTimErr", "Err"};
    Label Tim1Lab{"Tim1Lab", "0"}, Tim2Lab{"Tim2Lab", "0"}, Tim3Lab{"Tim3Lab", "0"}, Tim4Lab{"Tim4Lab", "0"},
        Tim5Lab{"Tim5Lab", "0"}, Tim6Lab{"Tim6Lab", "0"}, ErLab{"ErLab", "0"};
    Label ToLogLabel{"ToLogLabel", "to log:"};
    CheckBox ErLogBx50{"ErLogBx50", "", false}, ErLogBx200{"ErLogBx200", "", false},
        ErLogBx600{"ErLogBx600", "", true}, ErLogBxbig{"ErLogBxbig", "", true}, ErLogBxErr{"ErLogBxErr", "", true};
    Button ScanClrListBtn{"ScanClrListBtn", "RS"};

    // Mode
    Led ScTimeLed{"ScTimeLed", "00:00:00"};
    RadioGroup ScanRWGrp{"ScanRWGrp", "", {"verify", "read", "write"}, 0};
    CheckBox ScDftChk{"ScDftChk", "Defectoscop"};
    Meter DftMeter{"DftMeter", 0, 256, "Progress-bar"};
    Panel ProgressPanel{"ProgressPanel"};
    Meter ScanProgress{"ScanProgress", 0, 100};
    RadioGroup ScRemapGroup{"ScRemapGroup", "", {"Ignore   ", "Remap", "Erase", "Restore"}, 0};
    Panel DirectionPanel{"DirectionPanel"};
    Image ImgFWD{"ImgFWD", "Forward scan"}, ImgREV{"ImgREV", "Reverse scan"}, ImgRND{"ImgRND", "Random scan"},
        ImgBTF{"ImgBTF", "Buttrefly scan"};
    Led ScanMbLed{"ScanMbLed", "0"};
    Led ScanPercentLed{"ScanPercentLed", "0"};
    Led SpeedLed{"SpeedLed", " 0"};
    CheckBox EnLwChk{"EnLwChk", "Long writing"};
    CheckBox DDDChk{"DDDChk", "DDD (API)"};
    CheckBox ScNumLbaChk{"ScNumLbaChk", "wr LBA num"};
    CheckBox DisGridChk{"DisGridChk", "Grid", true, "Grid OFF"};
    form::TrackBar TrackBar{"TrackBar", 0, 100, 0};

    // Map and graph
    Panel GridPanel{"GridPanel"};
    StringGrid Grid{"Grid"};
    Canvas GF{"GF", 377, 373};
    Label Gl0{"Gl0", "14"}, Gl1{"Gl1", "28"}, Gl2{"Gl2", "42"}, Gl3{"Gl3", "56"}, Gl4{"Gl4", "70"},
        Gl5{"Gl5", "84"}, Gl6{"Gl6", "98 (Mb/s)"};
    Label gfs0{"gfs0", "0"}, gfs1{"gfs1", "10"}, gfs2{"gfs2", "20"}, gfs3{"gfs3", "30"}, gfs4{"gfs4", "40"},
        gfs5{"gfs5", "50"}, gfs6{"gfs6", "60"}, gfs7{"gfs7", "70"};
    Label XCoord{"XCoord", ""}, YCoord{"YCoord", ""};
    SpinEdit GfMasEdit{"GfMasEdit", 1, 400, 10, 1, "Manual scale adjust"};
    Label AdjScaleLabel{"AdjScaleLabel", "Adjusting scale..."};
    Label AdjPercentLabel{"AdjPercentLabel", ""};
    Label RpmLab{"RpmLab", ""};
    Panel ScanSplit{"ScanSplit"};
    Menu ScanMenu{"ScanMenu",
                  {{"SetasStartLBA", "Set as Start LBA"},
                   {"SetasEndLBA", "Set as End LBA"},
                   {"SaveMapPng", "Save map as PNG..."},
                   {"SaveGraphPng", "Save graph as PNG..."},
                   {"SaveBlockCsv", "Save block times as CSV..."},
                   {"Cancel", "Cancel"}}};
    // The page's own popup: the scan's pictures and block times.
    Menu TestsMenu{"TestsMenu",
                   {{"TestsSaveMapPng", "Save map as PNG..."},
                    {"TestsSaveGraphPng", "Save graph as PNG..."},
                    {"TestsSaveBlockCsv", "Save block times as CSV..."}}};

    TestsPage() {
        ScBlockSizeBox.setMaxLength(5);
        LbaOut.setReadOnly(true);
        LbaOut1.setReadOnly(true);
        RndScTimeEdit.setEnabled(false);
        ImgFWD.setOn(true);
        EnLwChk.setEnabled(false);
        DDDChk.setVisible(false);
        ScNumLbaChk.setVisible(false);
        TrackBar.setVisible(false);
        GridPanel.setWidth(377);
        GfMasEdit.setVisible(false);
        AdjScaleLabel.setVisible(false);
        AdjPercentLabel.setVisible(false);
        ScanMenu.item(0).setEnabled(false);
        ScanMenu.item(1).setEnabled(false);
        SpeedLed.setFontColour(0x38C75C);
    }
};

// ---------------------------------------------------------------------------------------------
// Advanced page
// ---------------------------------------------------------------------------------------------
struct SectorGroup {
    HexView HexE{"HexE"};
    Edit HexeditIn{"HexeditIn", "63"};
    Button HexEOppenBtn{"HexEOppenBtn", "Open"};
    Button HexESaveBtn{"HexESaveBtn", "Save"};
    CheckBox AdvSyncHexPV{"AdvSyncHexPV", "synchronize w. PV"};
    Label Label6{"Label6", "Press 'Passport'"};
    // The highest sector number the field accepts (the drive's last LBA once a passport was read).
    int64_t HexeditInMax = 777;
    SectorGroup() {
        static const uint8_t zeros[512] = {};
        HexE.load(zeros, sizeof zeros);
        HexeditIn.setEnabled(false);
        HexEOppenBtn.setEnabled(false);
        HexESaveBtn.setEnabled(false);
    }
};

struct CacheGroup {
    Group CacheGrp{"CacheGrp", " cache "};
    Button RzBitBtn40{"RzBitBtn40", "Write cache OFF"};
    Button RzBitBtn41{"RzBitBtn41", "Write cache ON"};
    Button CacheOFFbtn{"CacheOFFbtn", "Read cache OFF"};
    Button RdCacheBtn{"RdCacheBtn", "Read cache ON"};
};

struct RpmGroup {
    Group RpmGrp{"RpmGrp", " Determine RPM "};
    Meter RpmMeter{"RpmMeter", 0, 50, "Progress-bar"};
    Led RpmLED{"RpmLED", "0", "Errors counter"};
    Button RzBitBtn43{"RzBitBtn43", "Go"};
};

struct PartitionGroup {
    Group PartBox{"PartBox", " Partition viewer "};
    ListView PartList{"PartList",
                      {{"", 0}, {"N", 25}, {"Boot", 35}, {"    System", 110}, {"Start LBA  ", 80, Align::Right},
                       {"End LBA   ", 80, Align::Right}, {"Size     ", 70, Align::Right}, {"Name", 90, Align::Centre}}};
    Button PartBtn{"PartBtn", "First get passport!"};
    CheckBox PartAnalPassChk{"PartAnalPassChk", "Analize passport", true};
    CheckBox PartGetNameChk{"PartGetNameChk", "get name", true};
    Button RzBitBtn30{"RzBitBtn30", "MBR ON", "Write signature 55AAh to MBR"};
    Button RzBitBtn12{"RzBitBtn12", "MBR OFF", "Change signature 55AAh to CC88h on MBR"};
    Shape MbrLed{"MbrLed", colours::Grey};
    Menu PartMenu{"PartMenu", {{"Copy1", "Copy to clipboard"}, {"Clear1", "Clear"}}};
    PartitionGroup() {
        PartBox.setEnabled(false);
        PartBtn.setEnabled(false);
        PartList.setCheckBoxes(true);
        PartList.popupMenu = &PartMenu;
    }
};

struct AdvancedPage {
    SectorGroup sector;
    CacheGroup cache;
    RpmGroup rpm;
    PartitionGroup partitions;
};

// ---------------------------------------------------------------------------------------------
// Setup page
// ---------------------------------------------------------------------------------------------
struct LogSettingsGroup {
    Group LogGrp{"LogGrp", " Log settings "};
    Label LogDirLabel{"LogDirLabel", "Logs dir:"};
    Edit LogDirEdit{"LogDirEdit", "LOGS"};
    CheckBox SaveLogChk{"SaveLogChk", "Save to file:", true};
    Edit LogFileEdit{"LogFileEdit", "eventlog.txt"};
    Button ClearFileBtn{"ClearFileBtn", "Clear File"};
};

struct ScanOptionsGroup {
    Group ScanOptGrp{"ScanOptGrp", " Seek && Surface scan options "};
    CheckBox SwapUpDnkeysChk{"SwapUpDnkeysChk", "Swap navigation Up/Dn keys"};
    CheckBox EnaBrkInCyclChk{"EnaBrkInCyclChk", "Enable breaking internal loops"};
    CheckBox lbasyncChk{"lbasyncChk", "Refresh LBA before operation", false,
                        "If this tag is checked - the program updates maximal LBA after each reception of the "
                        "passport. Otherwise - updating occurs only at change HDD. "};
    CheckBox ResBetwLoopScanChk{"ResBetwLoopScanChk", "Reseting between LoopScan", true};
    CheckBox DontBlinkChk{"DontBlinkChk", "Don't blink border of pause key"};
    CheckBox CorrTimHDDChk{"CorrTimHDDChk", "Timings depending on HDD", true};
    CheckBox AutoRepQnChk{"AutoRepQnChk", "Auto repeat jump keys,ms:", true};
    SpinEdit QnRepTimeBox{"QnRepTimeBox", 20, 900, 50, 5};
    Label LongReadLabel{"LongReadLabel", "Long-read actions count:"};
    SpinEdit RzSpinEdit1{"RzSpinEdit1", 1, 250, 15};
    CheckBox AdjustCpuChk{"AdjustCpuChk", "Ajusting RDTSC before tests"};
};

struct TimersGroup {
    Group TimersGrp{"TimersGrp", "Timers set  (* - recommended)"};
    RadioGroup RTChk{"RTChk", "   Scan: PIO only", {"G.T.C. (Univ.)", "MMTimer (NT)*"}, 0};
    RadioGroup ApiRGR{"ApiRGR", "      Common RTC", {"RDTSC (one core)", "G.T.C.  (multicore)"}, 1};
};

struct PresetsGroup {
    Group PresetsGrp{"PresetsGrp", " Common presets, passport options "};
    CheckBox NonDestrChk{"NonDestrChk", "Only non-destructive functions"};
    CheckBox PspDblChk{"PspDblChk", "Get passport on PCI double click", true};
    CheckBox DisClinPassChk{"DisClinPassChk", "Disable color into passport"};
    CheckBox NoRememberPrimaryChk{"NoRememberPrimaryChk", "Don't remember Primary chan.", true};
    CheckBox ClassicStyleChk{"ClassicStyleChk", "Classic group style", true};
    CheckBox GrLinesChk{"GrLinesChk", "Grid lines enabled", true};
    CheckBox RussianChk{"RussianChk", "'I am speak Russian'"};
    CheckBox OnlyScsiPassChk{"OnlyScsiPassChk", "Only SCSI passport command", false,
                             "Check this box, if several drives returned equal passport"};
    CheckBox NoDriveTypeChk{"NoDriveTypeChk", "Don't get drive type (not recom.)"};
    CheckBox ShowLogicalChk{"ShowLogicalChk", "Show logical drives", true};
    CheckBox IgnoreFddChk{"IgnoreFddChk", "Ignore FDD", true};
    CheckBox ApiTab1Chk{"ApiTab1Chk", "If API then open tab 1", true};
};

struct AtaProtocolGroup {
    Group AtaGrp{"AtaGrp", " ATA protocol settings "};
    Label BusyLabel{"BusyLabel", "BUSY Timeout:"};
    TrackBar BusyTrack{"BusyTrack", 1, 60, 15};
    Label BusyValueLabel{"BusyValueLabel", "15 s"};
    Label DrqLabel{"DrqLabel", "DREQ Timeout:"};
    TrackBar DrqTrack{"DrqTrack", 1, 60, 10};
    Label DrqValueLabel{"DrqValueLabel", "100ms"};
    Label DrdyLabel{"DrdyLabel", "Ready Timeout:"};
    TrackBar DrdyTrack{"DrdyTrack", 1, 10, 3};
    Label DrdyValueLabel{"DrdyValueLabel", "3 s"};
    RadioGroup ATATimerRG{"ATATimerRG", "      ATA Timer:", {"RDTSC (Uni)", "G.T.C.  (Alt)"}, 1};
};

struct ExtPassportGroup {
    Group ExtGrp{"ExtGrp", " EXT passport "};
    CheckBox DSFChk{"DSFChk", "Diag S.F.", true};
    CheckBox RSChk{"RSChk", "Real size", true};
    CheckBox PWSCHK{"PWSCHK", "Power status", true};
    CheckBox BDChk{"BDChk", "Buffer diag.", true};
};

struct SoundGroup {
    Group SoundGrp{"SoundGrp", " Sound "};
    CheckBox BellChk{"BellChk", "Bell"};
    CheckBox AllSoundChk{"AllSoundChk", "All sound"};
    SoundGroup() { BellChk.setEnabled(false); }
};

struct SetupPage {
    LogSettingsGroup log;
    ScanOptionsGroup scanOptions;
    TimersGroup timers;
    PresetsGroup presets;
    AtaProtocolGroup ata;
    ExtPassportGroup ext;
    SoundGroup sound;
};

// ---------------------------------------------------------------------------------------------
// Around the pages
// ---------------------------------------------------------------------------------------------
struct HeaderRow {
    RadioGroup APIRg{"APIRg", "", {"API", "PIO"}, 1};
    Label PortInd{"PortInd", ""};
    Button HexBtn{"HexBtn", "HEX"};
    CheckBox HintsChk{"HintsChk", "Hints"};
};

struct CommandColumn {
    Panel GrayPanel{"GrayPanel"};
    Button BreakBtn{"BreakBtn", "Break All"};
    Shape BreakLed{"BreakLed", colours::Grey};
    Button StopBtn{"StopBtn", "&Sleep", "Stop HDD spindle (sleep)"};
    Button RecBtn{"RecBtn", "Re&call", "Recallibration (10h)"};
    Button ResetBtn{"ResetBtn", "&Reset"};
    Image GIF{"GIF", "action indicator"};
    Shape RdLed{"RdLed", colours::Grey};
    Label RdLabel{"RdLabel", "Rd"};
    Shape WrtLed{"WrtLed", colours::Grey};
    Label WrtLabel{"WrtLabel", "Wrt"};
    Button PasspBtn{"PasspBtn", "Passp"};
    Button PowerBtn{"PowerBtn", "&Power"};
    CommandColumn() {
        GIF.setVisible(false);
        PowerBtn.setFontColour(colours::Yellow);
    }
};

struct RegisterPanel {
    Panel IndPanel{"IndPanel"};
    std::array<RegisterLamp, 8> status{
        RegisterLamp{"BUSY"}, RegisterLamp{"DRDY"}, RegisterLamp{"WRF"}, RegisterLamp{"DRSC"},
        RegisterLamp{"DRQ"},  RegisterLamp{"CORR"}, RegisterLamp{"INX"}, RegisterLamp{"ERR"}};
    std::array<RegisterLamp, 6> error{RegisterLamp{"BBK"},  RegisterLamp{"UNC"},  RegisterLamp{"IDNF"},
                                      RegisterLamp{"ABRT"}, RegisterLamp{"T0NF"}, RegisterLamp{"AMNF"}};
    Panel IndRegPanel{"IndRegPanel"};
    Label StatusRegLabel{"StatusRegLabel", "00"};
    Label ErrorRegLabel{"ErrorRegLabel", "00"};
};

struct LogPanel {
    ListView StringLog{"StringLog", {{"", 0}, {"", 65, Align::Centre}, {"", 0}, {"", 600}}};
    Panel Panel4{"Panel4"};
    CheckBox biglbaChk{"biglbaChk", "48 bit", false, "Enable 48-bit operations (ATA only!)"};
    CheckBox DrdyChk{"DrdyChk", "DRDY", false, "Ignore Drive Ready bit"};
    CheckBox SoundChk{"SoundChk", "sound"};
    SpinEdit ApiNumberEdit{"ApiNumberEdit", 0, 24, 0};
    Label ApiNumberLabel{"ApiNumberLabel", "API number"};
    Button ClsBtn{"ClsBtn", "CLS"};
    Menu LogMenu{"LogMenu",
                 {{"SelectAll", "Select ALL strings"},
                  {"CopySelected", "Copy selected text"},
                  {"CopyValue", "Copy value"},
                  {"SaveLog", "Save log to file"},
                  {"ClearLog", "Clear Log"}}};
    LogPanel() {
        StringLog.setMultiSelect(true);
        StringLog.popupMenu = &LogMenu;
        ApiNumberEdit.setVisible(false);
        ApiNumberLabel.setVisible(false);
    }
};

// ---------------------------------------------------------------------------------------------
// Small windows
// ---------------------------------------------------------------------------------------------
struct RegistryMonitorWindow : Window {
    RegistryMonitorWindow() : Window("RegistryMonitor", "Registry Monitor") {}
    TrackBar OpacityTrack{"OpacityTrack", 100, 255, 225};
    RadioGroup FontColourGrp{"FontColourGrp", "", {"green", "yellow"}, 0};
    std::array<Label, 7> R{Label{"R1", "00"}, Label{"R2", "00"}, Label{"R3", "00"}, Label{"R4", "00"},
                           Label{"R5", "00"}, Label{"R6", "00"}, Label{"R7", "00"}};
};

struct WriteWarnDialog : Window {
    WriteWarnDialog() : Window("TWriteWarn", "Attention!") {}
    Label Text1{"Text1", "Region of disc you have entered "};
    Label Text2{"Text2", "will be erased. Please check your "};
    Label Text3{"Text3", "entries again, and correct it."};
    Label Changed{"Changed", "HDD WILL BE CHANGED"};
    Edit StartEdit{"StartEdit", "", "Start LBA"};
    Edit EndEdit{"EndEdit", "", "End LBA"};
    Button OkBtn{"OkBtn", "OK"};
    Button CancelBtn{"CancelBtn", "Cancel"};
    Button HelpBtn{"HelpBtn", "&Help"};
};

struct ViewBufferWindow : Window {
    ViewBufferWindow() : Window("THeFm", "View buffer") {
        HexeditIn.setEnabled(false);
        setWidth(520);
        setHeight(530);
        moveTo(20, 20);
    }
    HexView HexV{"HexV", true};
    RadioGroup HexBufSw{"HexBufSw", "", {"HDD", "API, Copier", "PIO transfer"}, 0};
    Label HVBl{"HVBl", " 4", "buffer size"};
    Button HVPauseBtn{"HVPauseBtn", "Offline"};
    Shape HVPLed{"HVPLed", colours::Grey};
    SpinEdit HexeditIn{"HexeditIn", 0, 3, 0, 1, "Offset"};
    Timer HeVTimer{"HeVTimer", 100, false};
};

struct EventlogWindow : Window {
    EventlogWindow() : Window("EventlogWindow", "Eventlog") { setSizeLimits(500, 100, 753, 250); }
    Memo Text{"EventlogText"};
};

struct HelpWindow : Window {
    // The page shown, as a file path; empty when there is none.
    std::string document;
    HelpWindow() : Window("HelpWindow", "Help") {
        setWidth(660);
        setHeight(525);
        moveTo(10, 10);
    }
};

// ---------------------------------------------------------------------------------------------
// The main window
// ---------------------------------------------------------------------------------------------
struct MainForm : Window {
    MainForm();

    // The application's own title (the task bar text), apart from the window caption.
    Panel Application{"Application"};
    // The application's task-bar picture: "normal", or "busy" while minimized and the drive is busy.
    Image AppIcon{"AppIcon"};
    // Wide enough for a 24-character serial, a firmware, "976773168 LBA (500 Gb)" and the clock.
    StatusBar HdPanel{"HdPanel", {"Press 'Passport' to init drive", "", "", "", ""}, {0, 175, 95, 200, 66}};
    HeaderRow header;
    PageControl MainPage{"MainPage", {"Standard", "SMART", "Tests", "Advanced", "Setup"}};
    StandardPage standard;
    SmartPage smart;
    TestsPage tests;
    AdvancedPage advanced;
    SetupPage setup;
    CommandColumn commands;
    RegisterPanel registers;
    LogPanel log;

    Menu PasspMenu{"PasspMenu",
                   {{"Copy2", "Copy ALL"},
                    {"CopyValue2", "Copy value"},
                    {"GetPassport1", "Get Passport"},
                    {"PciScan1", "PCI Scan"},
                    {"Maximize2", "Maximize"},
                    {"BigSmall2", "Big/Small"}}};
    Menu SmartMenu{"SmartMenu",
                   {{"GetSMART1", "Get S.M.A.R.T.   [ F9 ]"},
                    {"MenuItem2", "Copy ALL to Clipboard"},
                    {"Clearscreen1", "Clear screen"},
                    {"OpenBINfile1", "Open BIN file"},
                    {"Maximize1", "Maximize"},
                    {"Chk1", "Big/Small"}}};

    Timer IndTimer{"IndTimer", 20, false};
    Timer AniTimer{"AniTimer", 100, false};
    Timer BtnTimer{"BtnTimer", 50, false};
    Timer SmartTimer{"SmartTimer", 60000, false};
    Timer EstTimer{"EstTimer", 1000, true};
    Timer RdWrTimer{"RdWrTimer", 50, true};
    Timer ResetFlagTimer{"ResetFlagTimer", 10000, true};

    RegistryMonitorWindow registryMonitor;
    WriteWarnDialog writeWarn;
    HelpWindow help;
    ViewBufferWindow viewBuffer;
    EventlogWindow eventlog;

    // Every timer of the window, for registering them with the UI thread.
    std::array<Timer*, 8> timers() {
        return {&IndTimer, &AniTimer, &BtnTimer, &SmartTimer, &EstTimer, &RdWrTimer, &ResetFlagTimer,
                &viewBuffer.HeVTimer};
    }
};

} // namespace korvane::form
