#include "form/MainForm.h"

#include <gtest/gtest.h>

using namespace korvane::form;

namespace {

struct CheckState {
    const char* name;
    CheckBox& (*box)(MainForm&);
    bool checked;
    bool enabled;
};

struct ChoiceState {
    const char* name;
    std::vector<std::string> (*items)(MainForm&);
    int (*index)(MainForm&);
    std::vector<std::string> expectedItems;
    int expectedIndex;
};

struct RangeState {
    const char* name;
    int64_t (*min)(MainForm&), (*max)(MainForm&), (*value)(MainForm&);
    int64_t expectedMin, expectedMax, expectedValue;
    bool enabled;
    bool (*isEnabled)(MainForm&);
};

#define BOX(path) [](MainForm& f) -> CheckBox& { return f.path; }

} // namespace

TEST(MainForm, CheckBoxesStartAsDesigned) {
    MainForm f;
    const CheckState table[] = {
        {"All dev", BOX(standard.pci.PCIAllDevChk), false, true},
        {"M/F", BOX(standard.pci.MFDevChk), false, true},
        {"slave", BOX(standard.port.SlaveChk), false, true},
        {"alt-st", BOX(standard.port.AltStChk), true, true},
        {"TEMP", BOX(standard.hpa.HPATpChk), false, true},
        {"LBA/Mb", BOX(standard.hpa.HpaMbBox), false, true},
        {"HPA EXT", BOX(standard.hpa.HpaExtpassChk), true, true},
        {"t°", BOX(standard.seek.TermoCtrlBox), true, true},
        {"beep", BOX(standard.security.EraseBeepChk), false, true},
        {"save bin", BOX(standard.passport.PassChk), true, true},
        {"reset+", BOX(standard.passport.PspplusRstChk), false, true},
        {"Use IBM super smart:", BOX(smart.monitor.IBMSmartChk), true, true},
        {"SMART Save BIN", BOX(smart.monitor.SmrtChkFileSave), true, true},
        {"Crypt it!", BOX(smart.monitor.CryptChk), false, false},
        {"[ auto ]", BOX(tests.AutoSizeSC), true, true},
        {"to log 50", BOX(tests.ErLogBx50), false, true},
        {"to log 200", BOX(tests.ErLogBx200), false, true},
        {"to log 600", BOX(tests.ErLogBx600), true, true},
        {"to log >", BOX(tests.ErLogBxbig), true, true},
        {"to log Err", BOX(tests.ErLogBxErr), true, true},
        {"Long writing", BOX(tests.EnLwChk), false, false},
        {"Grid", BOX(tests.DisGridChk), true, true},
        {"synchronize w. PV", BOX(advanced.sector.AdvSyncHexPV), false, true},
        {"Analize passport", BOX(advanced.partitions.PartAnalPassChk), true, true},
        {"get name", BOX(advanced.partitions.PartGetNameChk), true, true},
        {"Save to file:", BOX(setup.log.SaveLogChk), true, true},
        {"Reseting between LoopScan", BOX(setup.scanOptions.ResBetwLoopScanChk), true, true},
        {"Timings depending on HDD", BOX(setup.scanOptions.CorrTimHDDChk), true, true},
        {"Auto repeat jump keys,ms:", BOX(setup.scanOptions.AutoRepQnChk), true, true},
        {"Ajusting RDTSC before tests", BOX(setup.scanOptions.AdjustCpuChk), false, true},
        {"Get passport on PCI double click", BOX(setup.presets.PspDblChk), true, true},
        {"Don't remember Primary chan.", BOX(setup.presets.NoRememberPrimaryChk), true, true},
        {"Classic group style", BOX(setup.presets.ClassicStyleChk), true, true},
        {"Grid lines enabled", BOX(setup.presets.GrLinesChk), true, true},
        {"Only SCSI passport command", BOX(setup.presets.OnlyScsiPassChk), false, true},
        {"Show logical drives", BOX(setup.presets.ShowLogicalChk), true, true},
        {"Ignore FDD", BOX(setup.presets.IgnoreFddChk), true, true},
        {"If API then open tab 1", BOX(setup.presets.ApiTab1Chk), true, true},
        {"Diag S.F.", BOX(setup.ext.DSFChk), true, true},
        {"Real size", BOX(setup.ext.RSChk), true, true},
        {"Power status", BOX(setup.ext.PWSCHK), true, true},
        {"Buffer diag.", BOX(setup.ext.BDChk), true, true},
        {"Bell", BOX(setup.sound.BellChk), false, false},
        {"All sound", BOX(setup.sound.AllSoundChk), false, true},
        {"Hints", BOX(header.HintsChk), false, true},
        {"48 bit", BOX(log.biglbaChk), false, true},
        {"DRDY", BOX(log.DrdyChk), false, true},
    };
    for (const auto& row : table) {
        CheckBox& box = row.box(f);
        EXPECT_EQ(box.checked(), row.checked) << row.name;
        EXPECT_EQ(box.enabled(), row.enabled) << row.name;
    }
    EXPECT_EQ(f.standard.seek.TermoCtrlBox.caption(), "t\xC2\xB0");
    EXPECT_EQ(f.tests.DisGridChk.hint(), "Grid OFF");
}

TEST(MainForm, ChoicesStartWithTheirItemsAndSelection) {
    MainForm f;
    const ChoiceState table[] = {
        {"APIRg", [](MainForm& m) { return m.header.APIRg.items(); }, [](MainForm& m) { return m.header.APIRg.itemIndex(); },
         {"API", "PIO"}, 1},
        {"PortBox", [](MainForm& m) { return m.standard.port.PortBox.items(); },
         [](MainForm& m) { return m.standard.port.PortBox.itemIndex(); }, {" Primary", "Secondary", " Custom"}, 1},
        {"SeekModeGrp", [](MainForm& m) { return m.standard.seek.SeekModeGrp.items(); },
         [](MainForm& m) { return m.standard.seek.SeekModeGrp.itemIndex(); }, {"Seek", "Verify", "Read"}, 0},
        {"PwdTypeGrp", [](MainForm& m) { return m.standard.security.PwdTypeGrp.items(); },
         [](MainForm& m) { return m.standard.security.PwdTypeGrp.itemIndex(); }, {"Master", "User"}, 1},
        {"PwdLevGrp", [](MainForm& m) { return m.standard.security.PwdLevGrp.items(); },
         [](MainForm& m) { return m.standard.security.PwdLevGrp.itemIndex(); }, {"High", "Max"}, 0},
        {"ScBlockSizeBox", [](MainForm& m) { return m.tests.ScBlockSizeBox.items(); },
         [](MainForm& m) { return m.tests.ScBlockSizeBox.itemIndex(); }, {"1", "32", "64", "128", "256"}, 4},
        {"EndScanVarBox", [](MainForm& m) { return m.tests.EndScanVarBox.items(); },
         [](MainForm& m) { return m.tests.EndScanVarBox.itemIndex(); },
         {"End of test", "Stop spindle", "Loop test", "HD power off", "Shutdown PC"}, 0},
        {"ScanRWGrp", [](MainForm& m) { return m.tests.ScanRWGrp.items(); },
         [](MainForm& m) { return m.tests.ScanRWGrp.itemIndex(); }, {"verify", "read", "write"}, 0},
        {"ScRemapGroup", [](MainForm& m) { return m.tests.ScRemapGroup.items(); },
         [](MainForm& m) { return m.tests.ScRemapGroup.itemIndex(); }, {"Ignore   ", "Remap", "Erase", "Restore"}, 0},
        {"RTChk", [](MainForm& m) { return m.setup.timers.RTChk.items(); },
         [](MainForm& m) { return m.setup.timers.RTChk.itemIndex(); }, {"G.T.C. (Univ.)", "MMTimer (NT)*"}, 0},
        {"ApiRGR", [](MainForm& m) { return m.setup.timers.ApiRGR.items(); },
         [](MainForm& m) { return m.setup.timers.ApiRGR.itemIndex(); }, {"RDTSC (one core)", "G.T.C.  (multicore)"}, 1},
        {"ATATimerRG", [](MainForm& m) { return m.setup.ata.ATATimerRG.items(); },
         [](MainForm& m) { return m.setup.ata.ATATimerRG.itemIndex(); }, {"RDTSC (Uni)", "G.T.C.  (Alt)"}, 1},
        {"HexBufSw", [](MainForm& m) { return m.viewBuffer.HexBufSw.items(); },
         [](MainForm& m) { return m.viewBuffer.HexBufSw.itemIndex(); }, {"HDD", "API, Copier", "PIO transfer"}, 0},
        {"MainPage", [](MainForm& m) { return m.MainPage.pages(); }, [](MainForm& m) { return m.MainPage.activeIndex(); },
         {"Standard", "SMART", "Tests", "Advanced", "Setup"}, 0},
    };
    for (const auto& row : table) {
        EXPECT_EQ(row.items(f), row.expectedItems) << row.name;
        EXPECT_EQ(row.index(f), row.expectedIndex) << row.name;
    }
    EXPECT_EQ(f.smart.test.SmScanBox.text(), "Off-line data collect");
    EXPECT_EQ(f.smart.test.SmScanBox.items().size(), 8u);
}

TEST(MainForm, RangesStartWithTheirLimitsAndPositions) {
    MainForm f;
    auto yes = [](MainForm&) { return true; };
    const RangeState table[] = {
        {"HpaTrack", [](MainForm& m) -> int64_t { return m.standard.hpa.HpaTrack.min(); },
         [](MainForm& m) -> int64_t { return m.standard.hpa.HpaTrack.max(); },
         [](MainForm& m) -> int64_t { return m.standard.hpa.HpaTrack.position(); }, 0, 400, 0, false,
         [](MainForm& m) { return m.standard.hpa.HpaTrack.enabled(); }},
        {"AAMTrack", [](MainForm& m) -> int64_t { return m.standard.seek.AAMTrack.min(); },
         [](MainForm& m) -> int64_t { return m.standard.seek.AAMTrack.max(); },
         [](MainForm& m) -> int64_t { return m.standard.seek.AAMTrack.position(); }, 128, 254, 162, false,
         [](MainForm& m) { return m.standard.seek.AAMTrack.enabled(); }},
        {"SeekTioEdit", [](MainForm& m) { return m.standard.seek.SeekTioEdit.min(); },
         [](MainForm& m) { return m.standard.seek.SeekTioEdit.max(); },
         [](MainForm& m) { return m.standard.seek.SeekTioEdit.value(); }, 1, 100000, 250, true, yes},
        {"NumberEdit8", [](MainForm& m) { return m.smart.timer.NumberEdit8.min(); },
         [](MainForm& m) { return m.smart.timer.NumberEdit8.max(); },
         [](MainForm& m) { return m.smart.timer.NumberEdit8.value(); }, 1, 777, 60, true, yes},
        {"SmVSTestEdit", [](MainForm& m) { return m.smart.test.SmVSTestEdit.min(); },
         [](MainForm& m) { return m.smart.test.SmVSTestEdit.max(); },
         [](MainForm& m) { return m.smart.test.SmVSTestEdit.value(); }, 0, 255, 0, false,
         [](MainForm& m) { return m.smart.test.SmVSTestEdit.enabled(); }},
        {"QnRepTimeBox", [](MainForm& m) { return m.setup.scanOptions.QnRepTimeBox.min(); },
         [](MainForm& m) { return m.setup.scanOptions.QnRepTimeBox.max(); },
         [](MainForm& m) { return m.setup.scanOptions.QnRepTimeBox.value(); }, 20, 900, 50, true, yes},
        {"RzSpinEdit1", [](MainForm& m) { return m.setup.scanOptions.RzSpinEdit1.min(); },
         [](MainForm& m) { return m.setup.scanOptions.RzSpinEdit1.max(); },
         [](MainForm& m) { return m.setup.scanOptions.RzSpinEdit1.value(); }, 1, 250, 15, true, yes},
        {"BUSY", [](MainForm& m) -> int64_t { return m.setup.ata.BusyTrack.min(); },
         [](MainForm& m) -> int64_t { return m.setup.ata.BusyTrack.max(); },
         [](MainForm& m) -> int64_t { return m.setup.ata.BusyTrack.position(); }, 1, 60, 15, true, yes},
        {"DREQ", [](MainForm& m) -> int64_t { return m.setup.ata.DrqTrack.min(); },
         [](MainForm& m) -> int64_t { return m.setup.ata.DrqTrack.max(); },
         [](MainForm& m) -> int64_t { return m.setup.ata.DrqTrack.position(); }, 1, 60, 10, true, yes},
        {"Ready", [](MainForm& m) -> int64_t { return m.setup.ata.DrdyTrack.min(); },
         [](MainForm& m) -> int64_t { return m.setup.ata.DrdyTrack.max(); },
         [](MainForm& m) -> int64_t { return m.setup.ata.DrdyTrack.position(); }, 1, 10, 3, true, yes},
        {"GfMasEdit", [](MainForm& m) { return m.tests.GfMasEdit.min(); },
         [](MainForm& m) { return m.tests.GfMasEdit.max(); },
         [](MainForm& m) { return m.tests.GfMasEdit.value(); }, 1, 400, 10, true, yes},
        {"RpmMeter", [](MainForm& m) -> int64_t { return m.advanced.rpm.RpmMeter.min(); },
         [](MainForm& m) -> int64_t { return m.advanced.rpm.RpmMeter.max(); },
         [](MainForm& m) -> int64_t { return m.advanced.rpm.RpmMeter.position(); }, 0, 50, 0, true, yes},
    };
    for (const auto& row : table) {
        EXPECT_EQ(row.min(f), row.expectedMin) << row.name;
        EXPECT_EQ(row.max(f), row.expectedMax) << row.name;
        EXPECT_EQ(row.value(f), row.expectedValue) << row.name;
        EXPECT_EQ(row.isEnabled(f), row.enabled) << row.name;
    }
    EXPECT_EQ(f.setup.scanOptions.QnRepTimeBox.increment(), 5);
}

TEST(MainForm, TextsAndVisibilityStartAsDesigned) {
    MainForm f;
    EXPECT_EQ(f.caption(), "Korvane");
    EXPECT_EQ(f.minWidth(), 753);
    EXPECT_EQ(f.minHeight(), 539);
    EXPECT_EQ(f.maxWidth(), 765);
    EXPECT_EQ(f.maxHeight(), 705);
    EXPECT_EQ(f.HdPanel.paneCount(), 5u);
    EXPECT_EQ(f.HdPanel.pane(0), "Press 'Passport' to init drive");
    EXPECT_EQ(f.standard.hpa.L1.text(), "1");
    EXPECT_EQ(f.standard.seek.SeekStartLbaEdit.text(), "0");
    EXPECT_EQ(f.standard.seek.SeekEndLbaEdit.text(), "1");
    EXPECT_EQ(f.standard.seek.SeekTimeLed.caption(), "0.0 ms");
    EXPECT_EQ(f.standard.seek.SeekTmprtLed.caption(), "n/a");
    EXPECT_FALSE(f.standard.seek.AAMOffBtn.enabled());
    EXPECT_FALSE(f.standard.seek.AAMMinBtn.enabled());
    EXPECT_EQ(f.standard.security.PwdEdit.text(), "tarvelin");
    EXPECT_EQ(f.standard.security.PwdEdit.maxLength(), 32u);
    EXPECT_FALSE(f.standard.port.BasePortEdit.enabled());
    EXPECT_FALSE(f.standard.port.AltPortEdit.enabled());
    EXPECT_FALSE(f.standard.api.ApiList.visible());
    EXPECT_EQ(f.standard.api.ApiList.columns()[3].caption, " Note - click to refresh");
    EXPECT_FALSE(f.standard.passport.RemovableLed.visible());
    EXPECT_FALSE(f.standard.passport.VirtualLed.visible());
    EXPECT_EQ(f.smart.monitor.SmrtStLabel.caption(), "- - - - -");
    EXPECT_EQ(f.smart.SmartList.columns()[6].caption, "Raw         ");
    EXPECT_EQ(f.tests.ScanTimeEdit.text(), "10000");
    EXPECT_EQ(f.tests.ScTimeLed.caption(), "00:00:00");
    EXPECT_EQ(f.tests.Gl6.caption(), "98 (Mb/s)");
    EXPECT_TRUE(f.tests.ImgFWD.on());
    EXPECT_FALSE(f.tests.ImgRND.on());
    EXPECT_EQ(f.tests.ImgBTF.hint(), "Buttrefly scan");
    EXPECT_EQ(f.tests.RndScTimeEdit.minutesOfDay(), 10);
    EXPECT_FALSE(f.tests.RndScTimeEdit.enabled());
    EXPECT_FALSE(f.tests.DDDChk.visible());
    EXPECT_FALSE(f.tests.ScanMenu.item(0).enabled());
    EXPECT_TRUE(f.tests.ScanMenu.item(2).enabled());
    EXPECT_EQ(f.advanced.sector.HexE.data().size(), 512u);
    EXPECT_EQ(f.advanced.sector.HexeditIn.text(), "63");
    EXPECT_FALSE(f.advanced.sector.HexeditIn.enabled());
    EXPECT_FALSE(f.advanced.sector.HexESaveBtn.enabled());
    EXPECT_EQ(f.advanced.sector.Label6.caption(), "Press 'Passport'");
    EXPECT_EQ(f.advanced.partitions.PartBtn.caption(), "First get passport!");
    EXPECT_FALSE(f.advanced.partitions.PartBox.enabled());
    EXPECT_EQ(f.setup.log.LogDirEdit.text(), "LOGS");
    EXPECT_EQ(f.setup.log.LogFileEdit.text(), "eventlog.txt");
    EXPECT_EQ(f.setup.ata.DrqValueLabel.caption(), "100ms");
    EXPECT_EQ(f.commands.PowerBtn.fontColour(), colours::Yellow);
    EXPECT_FALSE(f.commands.GIF.visible());
    EXPECT_EQ(f.registers.status[0].label.caption(), "BUSY");
    EXPECT_EQ(f.registers.error[5].label.caption(), "AMNF");
    EXPECT_EQ(f.registers.StatusRegLabel.caption(), "00");
    EXPECT_FALSE(f.log.ApiNumberEdit.visible());
    EXPECT_EQ(f.PasspMenu.item(4).caption(), "Maximize");
    EXPECT_EQ(f.SmartMenu.item(0).caption(), "Get S.M.A.R.T.   [ F9 ]");
    EXPECT_EQ(f.log.LogMenu.item(3).caption(), "Save log to file");
    EXPECT_EQ(f.standard.passport.Psp.popupMenu, &f.PasspMenu);
}

TEST(MainForm, TimersAndSmallWindowsStartAsDesigned) {
    MainForm f;
    struct TimerState {
        Timer& timer;
        uint32_t interval;
        bool enabled;
    };
    const TimerState timers[] = {{f.IndTimer, 20, false},  {f.AniTimer, 100, false},      {f.BtnTimer, 50, false},
                                 {f.SmartTimer, 60000, false}, {f.EstTimer, 1000, true},   {f.RdWrTimer, 50, true},
                                 {f.ResetFlagTimer, 10000, true}, {f.viewBuffer.HeVTimer, 100, false}};
    for (const auto& t : timers) {
        EXPECT_EQ(t.timer.interval(), t.interval) << t.timer.name();
        EXPECT_EQ(t.timer.enabled(), t.enabled) << t.timer.name();
    }
    EXPECT_EQ(f.registryMonitor.caption(), "Registry Monitor");
    EXPECT_EQ(f.registryMonitor.OpacityTrack.position(), 225);
    EXPECT_EQ(f.writeWarn.caption(), "Attention!");
    EXPECT_EQ(f.writeWarn.Changed.caption(), "HDD WILL BE CHANGED");
    EXPECT_EQ(f.viewBuffer.caption(), "View buffer");
    EXPECT_EQ(f.viewBuffer.HVBl.caption(), " 4");
    EXPECT_EQ(f.viewBuffer.HVPauseBtn.caption(), "Offline");
    EXPECT_TRUE(f.viewBuffer.HexV.readOnly());
    EXPECT_EQ(f.eventlog.caption(), "Eventlog");
    EXPECT_EQ(f.eventlog.minWidth(), 500);
    EXPECT_EQ(f.eventlog.maxHeight(), 250);
    for (Window* w : {static_cast<Window*>(&f.registryMonitor), static_cast<Window*>(&f.writeWarn),
                      static_cast<Window*>(&f.viewBuffer), static_cast<Window*>(&f.eventlog)})
        EXPECT_FALSE(w->visible()) << w->caption();
}
