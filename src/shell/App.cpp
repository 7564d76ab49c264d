#include "shell/App.h"

#include "shell/PassportReactions.h"

namespace korvane::shell {

App::App(AppEnvironment e)
    : env(std::move(e)),
      eventLog(form, env.ui, env.facts, env.clipboard, env.dialogs),
      timing(env.clock, clockState, session, logger()),
      clockControls(form, timing),
      settings(SettingsTargets{form, session, selection, startup, eventLog}, env.paths),
      gate(env.ui),
      pio(env.ports, session, timing, env.ui, {form.registers, form.registryMonitor, form.commands.PowerBtn}, logger()),
      commands(session, pio, gate, form, env.clock),
      portDriver(env.ports, logger()),
      api(env.disks, session, env.facts, env.ui, logger()),
      deviceSelection(form, session, selection, api, pio, logger()),
      passportReport(form, passport),
      passportReader(info::PassportContext{form, session, pio, commands, api, deviceSelection, env.ui, env.clock,
                                           env.dialogs, env.clipboard, logger(),
                                           [this] { return eventLog.logDirectory(); },
                                           [this] { return eventLog.logWriteEnabled(); }},
                     passport, hpa, passportReport, passportSubscribers) {
    commands.setApiPath(&api);
    form.setup.presets.NoDriveTypeChk.onClick = [this] { session.skipDriveType = form.setup.presets.NoDriveTypeChk.checked(); };
    subscribeSectorView(passportSubscribers, form.advanced.sector, session);
    subscribePartitions(passportSubscribers, form.advanced.partitions);
    subscribeHpa(passportSubscribers, form.standard.hpa);
    hostProtectedArea.subscribeTo(passportSubscribers);
    securityManager.subscribeTo(passportSubscribers);
    form.setup.presets.NonDestrChk.onClick = [this] {
        securityManager.updateGroupState();
        scanControl.nonDestructiveClicked();
    };
    subscribeSeek(passportSubscribers, form.standard.seek, session);
    subscribeSmart(passportSubscribers, form.smart);
    subscribeScan(passportSubscribers, form.tests, session, deviceSelection);
    deviceSelection.beep = [this](uint16_t divisor, uint32_t ms) { pio.speakerBeep(divisor, ms); };
    deviceSelection.clearBreak = [this] { commands.clearBreak(); };
    deviceSelection.onDriveForgotten = [this] {
        passport.Model.clear();
        passport.Serial.clear();
        passport.FamilyCode = 0;
    };
    settings.beep = [this](int divisor, int ms) { pio.speakerBeep(uint16_t(divisor), uint32_t(ms)); };
    scanMapView.selectForward = [this] { scanNavigation.selectDirection(int(tests::ScanDirection::Forward)); };
    form.setup.presets.GrLinesChk.onClick = [this] { form.tests.Grid.setGridLines(form.setup.presets.GrLinesChk.checked()); };
    scanControl.stopSeek = [this] { seekTest.stopByScan(); };
    scanControl.seekBreak = [this] { seekTest.breakPressed(); };
    scanExports.folder = [this] { return eventLog.logDirectory(); };
    scanMapView.holdWorker = [this] { gate.pauseWorkers(); };
    scanNavigation.holdWorker = [this] { gate.pauseWorkers(); };
    scanNavigation.releaseWorker = [this] { gate.resumeWorkers(); };
    scanMapView.releaseWorker = [this] { gate.resumeWorkers(); };
    startUp.smartPlaceholderRows = [this] { smartReader.placeholderRows(); };
    for (form::Timer* t : form.timers()) env.ui.addTimer(*t);
}

App::~App() {
    for (form::Timer* t : form.timers()) env.ui.removeTimer(*t);
}

} // namespace korvane::shell
