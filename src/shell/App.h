#pragma once
#include "access/ApiAccess.h"
#include "access/ClockControls.h"
#include "access/ClockState.h"
#include "access/DeviceSelection.h"
#include "access/DriveCommands.h"
#include "access/JobRunner.h"
#include "access/PioProtocol.h"
#include "access/PortDriver.h"
#include "access/WorkerGate.h"
#include "access/DriveSession.h"
#include "access/SelectionState.h"
#include "access/Timing.h"
#include "form/Clipboard.h"
#include "form/Dialogs.h"
#include "form/MainForm.h"
#include "form/UiThread.h"
#include "info/DrivePassport.h"
#include "info/PassportReader.h"
#include "info/ExtendedPassport.h"
#include "info/PassportReport.h"
#include "info/SmartControl.h"
#include "info/SmartReader.h"
#include "maintenance/DriveControl.h"
#include "maintenance/HostProtectedArea.h"
#include "maintenance/PowerAdaptor.h"
#include "maintenance/SecurityManager.h"
#include "platform/Clock.h"
#include "platform/DiskDevices.h"
#include "platform/PortIo.h"
#include "platform/PciConfigFiles.h"
#include "platform/PowerControl.h"
#include "platform/SystemFacts.h"
#include "shell/AppPaths.h"
#include "shell/BufferView.h"
#include "shell/EventLog.h"
#include "shell/SectorView.h"
#include "shell/Settings.h"
#include "shell/StartUp.h"
#include "shell/StartupState.h"
#include "shell/WindowActions.h"
#include "analysis/PartitionAnalyser.h"
#include "analysis/PciScan.h"
#include "tests/AcousticControl.h"
#include "tests/ScanControl.h"
#include "tests/ScanExports.h"
#include "tests/ScanMapView.h"
#include "tests/ScanNavigation.h"
#include "tests/ScanState.h"
#include "tests/SeekTest.h"
#include "tests/SurfaceScan.h"

namespace korvane::shell {

// The machine and the user-facing services an App runs over.
struct AppEnvironment {
    platform::Clock& clock;
    platform::SystemFacts& facts;
    form::UiThread& ui;
    form::Dialogs& dialogs;
    form::Clipboard& clipboard;
    platform::PortIo& ports;
    platform::DiskDevices& disks;
    platform::PowerControl& power;
    platform::PciConfigFiles& pciFiles;
    AppPaths paths;
};

// Owns the one instance of every process-wide record and of every object that holds behaviour.
// A test builds a fresh App over a simulated machine.
class App {
public:
    explicit App(AppEnvironment env);
    ~App();
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    void logEvent(const std::string& text, int replaceLast = 0, int level = 0) {
        eventLog.logEvent(text, replaceLast, level);
    }
    // The event log as the logic layers take it.
    access::LogFn logger() {
        return [this](const std::string& text, int replace, int level) { eventLog.logEvent(text, replace, level); };
    }

    AppEnvironment env;
    form::MainForm form;
    access::DriveSession session;
    access::ClockState clockState;
    access::SelectionState selection;
    StartupState startup;
    EventLog eventLog;
    access::Timing timing;
    access::ClockControls clockControls;
    Settings settings;
    access::WorkerGate gate;
    access::PioProtocol pio;
    access::DriveCommands commands;
    access::JobRunner jobs{env.ui, gate, session, commands, pio, logger()};
    access::PortDriver portDriver;
    access::ApiAccess api;
    access::DeviceSelection deviceSelection;
    info::DrivePassport passport;
    info::HpaState hpa;
    info::PassportReport passportReport;
    info::PassportSubscribers passportSubscribers;
    info::PassportReader passportReader;
    info::ExtendedPassport extendedPassport{info::ExtendedPassportContext{
        form, session, pio, commands, passportReader, passportReport, passport, hpa, logger()}};
    analysis::PciScan pciScan{analysis::PciScanContext{
        form, session, pio, commands, passportReport, env.pciFiles, env.ui, logger(),
        [this] { return session.primaryChannelAllowed && selection.enablePrimaryMaster; }}};
    analysis::PartitionAnalyser partitionAnalyser{analysis::PartitionAnalyserContext{
        form.advanced.partitions, form.advanced.sector, session, pio, commands, passportReader, passport,
        env.clipboard, logger(), [this] { return eventLog.logDirectory(); },
        [this] { return eventLog.logWriteEnabled(); }}};
    SectorView sectorView{SectorViewContext{
        form.advanced.sector, form.advanced.partitions, session, commands, env.dialogs, logger(),
        [this] { return form.setup.presets.NonDestrChk.checked(); },
        [this] { return session.accessMode == access::AccessMode::Api &&
                        (session.apiDeviceNumber == 0 || (session.apiDeviceNumber != 255 &&
                                                           env.disks.inUseBySystem(session.apiDeviceNumber))); }}};
    BufferView bufferView{form, session};
    info::SmartReader smartReader{info::SmartContext{form, session, pio, commands, api, passportReader, passport,
                                                     env.ui, env.clock, env.dialogs, env.clipboard, logger(),
                                                     [this] { return eventLog.logDirectory(); },
                                                     [this] { return eventLog.logWriteEnabled(); }}};
    info::SmartControl smartControl{info::SmartControlContext{form.smart, session, pio, commands, api, passportReader,
                                                              passport, smartReader, env.clock, logger()}};
    maintenance::DriveControl driveControl{maintenance::DriveControlContext{
        form.commands, form.advanced.cache, form.advanced.rpm, form.tests.RpmLab, form.advanced.partitions,
        form.setup.scanOptions, session, pio, commands, api, timing, passportReader, passport, env.ui, env.dialogs,
        logger(), [this] { return session.accessMode == access::AccessMode::Api && session.apiDeviceNumber != 255 &&
                                  env.disks.inUseBySystem(session.apiDeviceNumber); },
        [this] { return form.setup.presets.NonDestrChk.checked(); }}};
    maintenance::HostProtectedArea hostProtectedArea{maintenance::HostProtectedAreaContext{
        form.standard.hpa, form.tests.EndLbaEdit, form.standard.seek.SeekEndLbaEdit, session, pio, commands,
        passportReader, hpa, env.dialogs, logger(), [this] { return form.setup.presets.NonDestrChk.checked(); }}};
    maintenance::PowerAdaptor powerAdaptor{form.commands.PowerBtn, session, env.ports, env.clock, logger()};
    StartUp startUp{StartUpContext{form, session, selection, startup, eventLog, settings, timing, clockState,
                                   clockControls, pio, commands, portDriver, deviceSelection, passportReader,
                                   env.clock, env.facts, env.ports}};
    WindowActions windowActions{WindowActionsContext{form, session, startup, startUp, pio, eventLog, env.facts}};
    maintenance::SecurityManager securityManager{maintenance::SecurityManagerContext{
        form.standard.security, form.setup.presets.NonDestrChk, form.setup.presets.RussianChk, session, pio, commands,
        api, passportReader, passport, env.clock, env.ui, env.dialogs, logger(), startUp.guards[StartUp::LockGuard]}};
    tests::ScanState scan;
    tests::SurfaceScan surfaceScan{tests::SurfaceScanContext{form, scan, session, clockState, timing, api, pio, commands,
                                                             jobs, passport, hpa, env.facts, env.dialogs, env.ui,
                                                             logger()}};
    tests::ScanControl scanControl{tests::ScanControlContext{
        form, scan, session, surfaceScan, commands, gate, pio, deviceSelection, passportReader, passport, env.clock,
        env.power, env.ui, env.dialogs, logger(), startUp.guards[StartUp::ScanGuard],
        [this] { return driveControl.stopSpindle(); }, [this] { return driveControl.recalibrate(); },
        [this] { form.commands.PowerBtn.click(); },
        [this] { session.primaryChannelAllowed = selection.enablePrimaryMaster; }}};
    tests::ScanNavigation scanNavigation{tests::ScanNavigationContext{form.tests, form.setup.scanOptions, form.BtnTimer,
                                                                      scan, session, pio, env.clock, surfaceScan,
                                                                      env.ui, logger()}};
    tests::ScanMapView scanMapView{form.tests, scan, surfaceScan.map(), logger()};
    tests::ScanExports scanExports{form.tests, surfaceScan, env.dialogs, logger()};
    tests::SeekState seek;
    tests::SeekTest seekTest{tests::SeekTestContext{
        form, seek, session, clockState, timing, api, pio, commands, jobs, deviceSelection, passportReader, passport,
        scanControl, env.ui, logger(), startUp.guards[StartUp::SeekGuard],
        [this] { return driveControl.stopSpindle(); }, [this] { return driveControl.recalibrate(); },
        [this] { return smartReader.readTemperature(); }}};
    tests::AcousticControl acoustic{tests::AcousticControlContext{form.standard.seek, form.MainPage, seek, session, pio,
                                                                  api, commands, passportReader, passport, env.ui,
                                                                  logger()}};
};

} // namespace korvane::shell
