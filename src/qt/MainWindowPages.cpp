// The arrangement of the main window: pages, groups and the panels around them.
#include "qt/BlockMapWidget.h"
#include "qt/Binder.h"
#include "qt/MainWindow.h"
#include "qt/QtColour.h"
#include "shell/App.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QStackedLayout>
#include <QTabWidget>
#include <QVBoxLayout>

namespace korvane::qt {

using form::Control;
using form::Prop;

namespace {

template <class L> L* compact(L* layout, int margin = 3) {
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->setSpacing(2);
    return layout;
}

// A group title takes room at the top of the frame.
template <class L> L* framed(L* layout) {
    layout->setContentsMargins(4, 2, 4, 3);
    layout->setSpacing(2);
    return layout;
}

} // namespace

QWidget* MainWindow::buildStatusBar() {
    auto& bar = app_.form.HdPanel;
    auto* w = new QWidget(this);
    auto* h = compact(new QHBoxLayout(w), 0);
    std::vector<QLabel*> panes;
    for (size_t i = 0; i < bar.paneCount(); ++i) {
        auto* pane = new QLabel(qs(bar.pane(i)), w);
        pane->setObjectName(QString("HdPanel.%1").arg(i));
        pane->setFrameShape(QFrame::Panel);
        pane->setFrameShadow(QFrame::Sunken);
        pane->setMinimumWidth(40);
        if (bar.paneWidth(i) > 0) pane->setFixedWidth(bar.paneWidth(i));
        h->addWidget(pane, bar.paneWidth(i) > 0 ? 0 : 1);
        panes.push_back(pane);
    }
    bindCommon(w, bar, [panes, &bar](Prop) {
        for (size_t i = 0; i < panes.size(); ++i) panes[i]->setText(qs(bar.pane(i)));
    });
    return w;
}

QWidget* MainWindow::buildHeader() {
    auto& h = app_.form.header;
    auto* w = new QWidget(this);
    auto* line = compact(new QHBoxLayout(w), 0);
    QWidget* mode = make(h.APIRg, w);
    // The selector's two items side by side.
    if (auto* box = qobject_cast<QGroupBox*>(mode)) {
        auto* old = box->layout();
        auto* across = new QHBoxLayout;
        across->setContentsMargins(4, 0, 4, 0);
        while (QLayoutItem* item = old->takeAt(0)) {
            across->addWidget(item->widget());
            delete item;
        }
        delete old;
        box->setLayout(across);
    }
    line->addWidget(mode);
    line->addWidget(make(h.PortInd, w));
    line->addStretch(1);
    line->addWidget(make(h.HexBtn, w));
    line->addWidget(make(h.HintsChk, w));
    return w;
}

QWidget* MainWindow::buildCommandColumn() {
    auto& c = app_.form.commands;
    QWidget* w = panel(c.GrayPanel, this);
    w->setFixedWidth(84);
    auto* v = compact(new QVBoxLayout(w));
    v->addWidget(make(c.BreakBtn, w));
    row(v, w, {&c.BreakLed});
    column(v, w, {&c.StopBtn, &c.RecBtn, &c.ResetBtn});
    v->addWidget(make(c.GIF, w));
    row(v, w, {&c.RdLed, &c.RdLabel});
    row(v, w, {&c.WrtLed, &c.WrtLabel});
    v->addStretch(1);
    v->addWidget(make(c.PasspBtn, w));
    v->addWidget(make(c.PowerBtn, w));
    return w;
}

QWidget* MainWindow::buildRegisterPanel() {
    auto& r = app_.form.registers;
    auto* w = new QWidget(this);
    auto* h = compact(new QHBoxLayout(w), 0);
    QWidget* lamps = panel(r.IndPanel, w);
    auto* lh = compact(new QHBoxLayout(lamps), 2);
    for (auto& lamp : r.status) {
        lh->addWidget(make(lamp.shape, lamps));
        lh->addWidget(make(lamp.label, lamps));
    }
    lh->addSpacing(10);
    for (auto& lamp : r.error) {
        lh->addWidget(make(lamp.shape, lamps));
        lh->addWidget(make(lamp.label, lamps));
    }
    lh->addStretch(1);
    h->addWidget(lamps, 1);
    QWidget* values = panel(r.IndRegPanel, w);
    auto* vh = compact(new QHBoxLayout(values), 2);
    vh->addWidget(new QLabel("St:", values));
    vh->addWidget(make(r.StatusRegLabel, values));
    vh->addWidget(new QLabel("Er:", values));
    vh->addWidget(make(r.ErrorRegLabel, values));
    h->addWidget(values);
    return w;
}

QWidget* MainWindow::buildLogPanel() {
    auto& l = app_.form.log;
    auto* w = new QWidget(this);
    auto* h = compact(new QHBoxLayout(w), 0);
    QWidget* list = make(l.StringLog, w);
    list->setMinimumHeight(96);
    h->addWidget(list, 1);
    QWidget* side = panel(l.Panel4, w);
    side->setFixedWidth(96);
    auto* v = compact(new QVBoxLayout(side), 1);
    column(v, side, {&l.biglbaChk, &l.DrdyChk, &l.SoundChk, &l.ApiNumberLabel, &l.ApiNumberEdit, &l.ClsBtn});
    v->addStretch(1);
    h->addWidget(side);
    return w;
}

QWidget* MainWindow::buildStandardPage() {
    auto& s = app_.form.standard;
    auto* page = new QWidget;
    auto* h = compact(new QHBoxLayout(page));

    // Left: the API device list over the passport.
    auto* left = compact(new QVBoxLayout, 0);
    QWidget* apiList = make(s.api.ApiList, page);
    apiList->setMaximumHeight(150);
    left->addWidget(apiList);
    QWidget* pass = panel(s.passport.Passpanel, page);
    auto* pv = compact(new QVBoxLayout(pass), 0);
    pv->addWidget(make(s.passport.Psp, pass), 1);
    auto& p = s.passport;
    row(pv, pass, {&p.Lba48Led, &p.Lba48Label, &p.SataDevLed, &p.Label3, &p.SSDLed, &p.SSDLabel, &p.RemovableLed,
                   &p.RemovableLabel, &p.VirtualLed, &p.VirtualLabel});
    row(pv, pass, {&p.PassChk, &p.RzBitBtn4, &p.PspplusRstChk, &p.PASSBtn, &p.PASSBtnExt});
    left->addWidget(pass, 1);
    h->addLayout(left, 11);

    // Right: port and PCI, host protected area, security, the seek test.
    auto* right = compact(new QVBoxLayout, 0);
    auto* top = compact(new QHBoxLayout, 0);
    QGroupBox* port = group(s.port.PortGrp, page);
    auto* portLayout = framed(new QVBoxLayout(port));
    row(portLayout, port, {&s.port.PortBox});
    row(portLayout, port, {&s.port.BasePortEdit, &s.port.AltPortEdit});
    row(portLayout, port, {&s.port.SlaveChk, &s.port.AltStChk});
    top->addWidget(port);
    QWidget* pci = panel(s.pci.PciPanel, page);
    auto* pciLayout = compact(new QVBoxLayout(pci));
    pciLayout->addWidget(make(s.pci.PCIScanBtn, pci));
    row(pciLayout, pci, {&s.pci.PCIAllDevChk, &s.pci.MFDevChk});
    pciLayout->addStretch(1);
    top->addWidget(pci);
    right->addLayout(top);

    auto& hp = s.hpa;
    QGroupBox* hpa = group(hp.HpaGrp, page);
    auto* hpaLayout = framed(new QVBoxLayout(hpa));
    row(hpaLayout, hpa, {&hp.L1, &hp.HpaLabel1});
    row(hpaLayout, hpa, {&hp.HpaBtn, &hp.NHPABtn, &hp.HPATpChk, &hp.HpaMbBox, &hp.HpaExtpassChk});
    hpaLayout->addWidget(make(hp.HpaTrack, hpa));
    right->addWidget(hpa);

    auto& sec = s.security;
    QGroupBox* security = group(sec.SecurityBox, page);
    auto* secLayout = framed(new QGridLayout(security));
    secLayout->addWidget(make(sec.LockBtn, security), 0, 0);
    secLayout->addWidget(make(sec.UnlockBtn, security), 1, 0);
    secLayout->addWidget(make(sec.PwdTypeGrp, security), 0, 1, 2, 1);
    secLayout->addWidget(make(sec.PwdLevGrp, security), 0, 2, 2, 1);
    secLayout->addWidget(make(sec.PwdEraseBtn, security), 0, 3);
    secLayout->addWidget(make(sec.EraseBeepChk, security), 1, 3);
    auto* pwd = new QHBoxLayout;
    pwd->addWidget(make(sec.PwdEdit, security), 1);
    pwd->addWidget(make(sec.FilePwdBtn, security));
    secLayout->addLayout(pwd, 2, 0, 1, 4);
    right->addWidget(security);

    auto& sk = s.seek;
    QGroupBox* seek = group(sk.SeekGrp, page);
    auto* seekLayout = framed(new QGridLayout(seek));
    seekLayout->addWidget(make(sk.SeekLbaOut, seek), 0, 0);
    seekLayout->addWidget(make(sk.SeekTimeLed, seek), 0, 1);
    seekLayout->addWidget(make(sk.SeekCntOut, seek), 0, 2);
    seekLayout->addWidget(make(sk.SeekTmprtLed, seek), 0, 3);
    seekLayout->addWidget(make(sk.TermoCtrlBox, seek), 0, 4);
    auto* range = new QHBoxLayout;
    column(range, seek, {&sk.SeekStartLbaEdit, &sk.Button2, &sk.SeekEndLbaEdit, &sk.Button4});
    seekLayout->addLayout(range, 1, 0, 1, 5);
    QWidget* aam = panel(sk.AamPanel, seek);
    auto* aamLayout = compact(new QHBoxLayout(aam), 1);
    column(aamLayout, aam, {&sk.AAMLed, &sk.AAMTrack, &sk.AAMMinBtn, &sk.AAMOffBtn});
    seekLayout->addWidget(aam, 2, 0, 1, 5);
    seekLayout->addWidget(make(sk.SeekModeGrp, seek), 3, 0, 2, 2);
    seekLayout->addWidget(make(sk.LimitLabel, seek), 3, 2);
    seekLayout->addWidget(make(sk.SeekTioEdit, seek), 3, 3);
    seekLayout->addWidget(make(sk.SeekBtn, seek), 4, 2, 1, 3);
    right->addWidget(seek);
    right->addStretch(1);
    h->addLayout(right, 10);
    return page;
}

QWidget* MainWindow::buildSmartPage() {
    auto& s = app_.form.smart;
    auto* page = new QWidget;
    auto* v = compact(new QVBoxLayout(page));
    auto* top = compact(new QHBoxLayout, 0);

    QGroupBox* monitor = group(s.monitor.SmartMonitorGrp, page);
    auto* ml = framed(new QVBoxLayout(monitor));
    row(ml, monitor, {&s.monitor.SmartLed, &s.monitor.SmrtStLabel});
    row(ml, monitor, {&s.monitor.SmartBtn, &s.monitor.RzBitBtn2});
    row(ml, monitor, {&s.monitor.IBMSmartChk});
    row(ml, monitor, {&s.monitor.SmrtChkFileSave, &s.monitor.CryptChk});
    top->addWidget(monitor);

    auto* middle = compact(new QVBoxLayout, 0);
    QGroupBox* timer = group(s.timer.SmartTimerGrp, page);
    auto* tl = framed(new QHBoxLayout(timer));
    column(tl, timer, {&s.timer.NumberEdit8, &s.timer.SmTimerChk, &s.timer.SmTimerLED});
    middle->addWidget(timer);
    QGroupBox* control = group(s.control.SmartControlGrp, page);
    auto* cl = framed(new QGridLayout(control));
    cl->addWidget(make(s.control.SmartAtsOFFBtn, control), 0, 0);
    cl->addWidget(make(s.control.SmartAtsOnBtn, control), 1, 0);
    cl->addWidget(make(s.control.SmartOnBtn, control), 0, 1);
    cl->addWidget(make(s.control.SmartOFFBtn, control), 1, 1);
    middle->addWidget(control);
    top->addLayout(middle);

    QGroupBox* test = group(s.test.SmartTestGrp, page);
    auto* xl = framed(new QVBoxLayout(test));
    xl->addWidget(make(s.test.SmtMeter, test));
    xl->addWidget(make(s.test.SmScanBox, test));
    row(xl, test, {&s.test.RzBitBtn13, &s.test.RzBitBtn29, &s.test.SmVSTestEdit});
    top->addWidget(test);
    v->addLayout(top);

    QWidget* tests = panel(s.SmartTestPanel, page);
    auto* tp = compact(new QVBoxLayout(tests), 0);
    tp->addWidget(make(s.SmartTestList, tests));
    tests->setFixedHeight(s.SmartTestPanel.height());
    v->addWidget(tests);
    v->addWidget(make(s.SmartList, page), 1);
    return page;
}

QWidget* MainWindow::buildTestsPage() {
    auto& t = app_.form.tests;
    auto* page = new QWidget;
    page->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(page, &QWidget::customContextMenuRequested, this, [this] { popupMenu(app_.form.tests.TestsMenu, this); });
    auto* h = compact(new QHBoxLayout(page));
    auto* left = compact(new QVBoxLayout, 0);

    // Set-up.
    auto* setup = compact(new QGridLayout, 0);
    setup->addWidget(make(t.StartLbaEdit, page), 0, 0);
    setup->addWidget(make(t.Button3, page), 0, 1);
    setup->addWidget(make(t.EndLbaEdit, page), 1, 0);
    setup->addWidget(make(t.MaxLbaButton, page), 1, 1);
    setup->addWidget(make(t.BlockSizeLabel, page), 2, 0);
    setup->addWidget(make(t.ScBlockSizeBox, page), 2, 1);
    setup->addWidget(make(t.AutoSizeSC, page), 2, 2);
    setup->addWidget(make(t.TimeoutLabel, page), 3, 0);
    setup->addWidget(make(t.ScanTimeEdit, page), 3, 1);
    setup->addWidget(make(t.EndScanVarBox, page), 4, 0, 1, 3);
    left->addLayout(setup);
    auto* run = compact(new QHBoxLayout, 0);
    run->addWidget(make(t.ScanStartBtn, page));
    run->addWidget(make(t.PauseBtn, page));
    run->addWidget(make(t.PauseLed, page));
    run->addWidget(make(t.Qn, page));
    auto* jumpSide = compact(new QVBoxLayout, 0);
    jumpSide->addWidget(make(t.RstAftJmpChk, page));
    jumpSide->addWidget(make(t.RndScTimeEdit, page));
    run->addLayout(jumpSide);
    left->addLayout(run);
    row(left, page, {&t.LbaOut, &t.LbaOut1}, false);

    // Counters.
    QWidget* counters = panel(t.CountersPanel, page);
    auto* cg = compact(new QGridLayout(counters), 2);
    form::Label* names[] = {&t.scTim5, &t.scTim20, &t.scTim50, &t.scTim200, &t.scTim600, &t.scTimBig, &t.scTimErr};
    form::Label* counts[] = {&t.Tim1Lab, &t.Tim2Lab, &t.Tim3Lab, &t.Tim4Lab, &t.Tim5Lab, &t.Tim6Lab, &t.ErLab};
    form::CheckBox* toLog[] = {nullptr, nullptr, &t.ErLogBx50, &t.ErLogBx200, &t.ErLogBx600, &t.ErLogBxbig, &t.ErLogBxErr};
    for (int i = 0; i < 7; ++i) {
        cg->addWidget(make(*names[i], counters), i, 0);
        cg->addWidget(make(*counts[i], counters), i, 1);
        if (toLog[i]) cg->addWidget(make(*toLog[i], counters), i, 2);
    }
    cg->addWidget(make(t.ToLogLabel, counters), 0, 2, 2, 1);
    cg->addWidget(make(t.ScanClrListBtn, counters), 0, 3, 2, 1);

    // Mode.
    auto* modes = compact(new QGridLayout, 0);
    modes->addWidget(make(t.ScTimeLed, page), 0, 0, 1, 2);
    modes->addWidget(make(t.ScanRWGrp, page), 1, 0);
    modes->addWidget(make(t.ScRemapGroup, page), 1, 1);
    modes->addWidget(make(t.ScDftChk, page), 2, 0);
    modes->addWidget(make(t.DftMeter, page), 2, 1);
    auto* countersAndModes = compact(new QHBoxLayout, 0);
    countersAndModes->addWidget(counters);
    countersAndModes->addLayout(modes);
    left->addLayout(countersAndModes);
    QWidget* progress = panel(t.ProgressPanel, page);
    auto* pl = compact(new QVBoxLayout(progress), 1);
    pl->addWidget(make(t.ScanProgress, progress));
    left->addWidget(progress);
    QWidget* directions = panel(t.DirectionPanel, page);
    auto* dl = compact(new QHBoxLayout(directions), 2);
    column(dl, directions, {&t.ImgFWD, &t.ImgREV, &t.ImgRND, &t.ImgBTF});
    dl->addStretch(1);
    left->addWidget(directions);
    row(left, page, {&t.ScanMbLed, &t.ScanPercentLed, &t.SpeedLed}, false);
    row(left, page, {&t.EnLwChk, &t.DDDChk, &t.ScNumLbaChk, &t.DisGridChk, &t.TrackBar});
    left->addStretch(1);
    h->addLayout(left);

    // The block map and the speed graph share the right side; "Grid" picks which one shows.
    QWidget* right = panel(t.GridPanel, page);
    auto* stack = new QStackedLayout(right);
    QWidget* map = make(t.Grid, right);
    if (auto* blocks = dynamic_cast<BlockMapWidget*>(map))
        blocks->onContextMenu = [this](size_t) { popupMenu(app_.form.tests.ScanMenu, this); };
    stack->addWidget(map);
    auto* graph = new QWidget(right);
    auto* gl = compact(new QVBoxLayout(graph), 0);
    row(gl, graph, {&t.Gl0, &t.Gl1, &t.Gl2, &t.Gl3, &t.Gl4, &t.Gl5, &t.Gl6});
    gl->addWidget(make(t.GF, graph));
    row(gl, graph, {&t.gfs0, &t.gfs1, &t.gfs2, &t.gfs3, &t.gfs4, &t.gfs5, &t.gfs6, &t.gfs7});
    row(gl, graph, {&t.XCoord, &t.YCoord, &t.GfMasEdit, &t.AdjScaleLabel, &t.AdjPercentLabel, &t.RpmLab});
    stack->addWidget(graph);
    auto showMapOrGraph = [stack, &t] { stack->setCurrentIndex(t.DisGridChk.checked() ? 0 : 1); };
    showMapOrGraph();
    auto previous = t.DisGridChk.onClick;
    t.DisGridChk.onClick = [previous, showMapOrGraph] {
        if (previous) previous();
        showMapOrGraph();
    };
    right->setMinimumWidth(t.GridPanel.width());
    h->addWidget(right, 1);
    return page;
}

QWidget* MainWindow::buildAdvancedPage() {
    auto& a = app_.form.advanced;
    auto* page = new QWidget;
    auto* v = compact(new QVBoxLayout(page));
    auto* top = compact(new QHBoxLayout, 0);

    // The sector view, with the cache and RPM groups beside it.
    auto* sector = compact(new QVBoxLayout, 0);
    sector->addWidget(make(a.sector.HexE, page), 1);
    row(sector, page, {&a.sector.HexeditIn, &a.sector.HexEOppenBtn, &a.sector.HexESaveBtn, &a.sector.AdvSyncHexPV});
    row(sector, page, {&a.sector.Label6});
    top->addLayout(sector, 1);
    auto* side = compact(new QVBoxLayout, 0);
    QGroupBox* cache = group(a.cache.CacheGrp, page);
    auto* cl = framed(new QVBoxLayout(cache)); // laid out in the side column below
    column(cl, cache, {&a.cache.RzBitBtn40, &a.cache.RzBitBtn41, &a.cache.CacheOFFbtn, &a.cache.RdCacheBtn});
    side->addWidget(cache);
    QGroupBox* rpm = group(a.rpm.RpmGrp, page);
    auto* rl = framed(new QVBoxLayout(rpm));
    rl->addWidget(make(a.rpm.RpmMeter, rpm));
    row(rl, rpm, {&a.rpm.RpmLED, &a.rpm.RzBitBtn43});
    side->addWidget(rpm);
    side->addStretch(1);
    auto* sideBox = new QWidget(page);
    sideBox->setLayout(side);
    sideBox->setFixedWidth(150);
    top->addWidget(sideBox);
    v->addLayout(top, 3);

    // The partition viewer across the page.
    auto& p = a.partitions;
    QGroupBox* parts = group(p.PartBox, page);
    auto* pl = framed(new QVBoxLayout(parts));
    pl->addWidget(make(p.PartList, parts), 1);
    row(pl, parts, {&p.PartBtn, &p.PartAnalPassChk, &p.PartGetNameChk, &p.RzBitBtn30, &p.RzBitBtn12, &p.MbrLed});
    v->addWidget(parts, 2);
    return page;
}

QWidget* MainWindow::buildSetupPage() {
    auto& s = app_.form.setup;
    auto* page = new QWidget;
    auto* grid = compact(new QGridLayout(page));

    QGroupBox* log = group(s.log.LogGrp, page, false);
    auto* ll = framed(new QGridLayout(log));
    ll->addWidget(make(s.log.LogDirLabel, log), 0, 0);
    ll->addWidget(make(s.log.LogDirEdit, log), 0, 1);
    ll->addWidget(make(s.log.SaveLogChk, log), 1, 0);
    ll->addWidget(make(s.log.LogFileEdit, log), 1, 1);
    ll->addWidget(make(s.log.ClearFileBtn, log), 2, 0, 1, 2);
    grid->addWidget(log, 0, 0);

    auto& o = s.scanOptions;
    QGroupBox* scan = group(o.ScanOptGrp, page, false);
    auto* sl = framed(new QVBoxLayout(scan));
    column(sl, scan, {&o.SwapUpDnkeysChk, &o.EnaBrkInCyclChk, &o.lbasyncChk, &o.ResBetwLoopScanChk, &o.DontBlinkChk, &o.CorrTimHDDChk});
    row(sl, scan, {&o.AutoRepQnChk, &o.QnRepTimeBox});
    row(sl, scan, {&o.LongReadLabel, &o.RzSpinEdit1});
    sl->addWidget(make(o.AdjustCpuChk, scan));
    grid->addWidget(scan, 1, 0, 2, 1);

    QGroupBox* timers = group(s.timers.TimersGrp, page, false);
    auto* tl = framed(new QHBoxLayout(timers));
    tl->addWidget(make(s.timers.RTChk, timers));
    tl->addWidget(make(s.timers.ApiRGR, timers));
    grid->addWidget(timers, 0, 1);

    auto& p = s.presets;
    QGroupBox* presets = group(p.PresetsGrp, page, false);
    auto* pl = framed(new QVBoxLayout(presets));
    column(pl, presets, {&p.NonDestrChk, &p.PspDblChk, &p.DisClinPassChk, &p.NoRememberPrimaryChk, &p.ClassicStyleChk, &p.GrLinesChk, &p.RussianChk, &p.OnlyScsiPassChk, &p.NoDriveTypeChk});
    row(pl, presets, {&p.ShowLogicalChk, &p.IgnoreFddChk});
    pl->addWidget(make(p.ApiTab1Chk, presets));
    grid->addWidget(presets, 1, 1, 2, 1);

    auto& a = s.ata;
    QGroupBox* ata = group(a.AtaGrp, page, false);
    auto* al = framed(new QGridLayout(ata));
    al->addWidget(make(a.BusyLabel, ata), 0, 0);
    al->addWidget(make(a.BusyTrack, ata), 0, 1);
    al->addWidget(make(a.BusyValueLabel, ata), 0, 2);
    al->addWidget(make(a.DrqLabel, ata), 1, 0);
    al->addWidget(make(a.DrqTrack, ata), 1, 1);
    al->addWidget(make(a.DrqValueLabel, ata), 1, 2);
    al->addWidget(make(a.DrdyLabel, ata), 2, 0);
    al->addWidget(make(a.DrdyTrack, ata), 2, 1);
    al->addWidget(make(a.DrdyValueLabel, ata), 2, 2);
    al->addWidget(make(a.ATATimerRG, ata), 3, 0, 1, 3);
    grid->addWidget(ata, 0, 2, 2, 1);

    auto* lastColumn = compact(new QHBoxLayout, 0);
    QGroupBox* ext = group(s.ext.ExtGrp, page, false);
    auto* el = framed(new QVBoxLayout(ext));
    column(el, ext, {&s.ext.DSFChk, &s.ext.RSChk, &s.ext.PWSCHK, &s.ext.BDChk});
    lastColumn->addWidget(ext);
    QGroupBox* sound = group(s.sound.SoundGrp, page, false);
    auto* snd = framed(new QVBoxLayout(sound));
    snd->addWidget(make(s.sound.BellChk, sound));
    snd->addWidget(make(s.sound.AllSoundChk, sound));
    snd->addStretch(1);
    lastColumn->addWidget(sound);
    grid->addLayout(lastColumn, 2, 2);
    grid->setRowStretch(3, 1);
    return page;
}

} // namespace korvane::qt
