// The read scan of the window, drawn offscreen, on an image file or block device: prints the
// scan's MB/s and time as korvane-cli's "Scanned" line does, for scan_vs_fio.sh to compare.
#include "app/gui/GuiProgram.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

using namespace korvane;

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: window_scan FILE BLOCK (run by bench/scan_vs_fio.sh)\n");
        return 2;
    }
    QApplication qapp(argc, argv);
    app::GuiOptions o;
    o.host = true; // as --device implies
    o.devices = {argv[1]};
    o.iniFile = "/nonexistent/krv40.ini";
    app::GuiProgram program(o);
    program.window().show();
    auto& a = program.app();
    auto& t = a.form.tests;
    a.form.header.APIRg.setItemIndex(0, form::Origin::User);
    auto& list = a.form.standard.api.ApiList;
    // The added device's number comes after this computer's own disks.
    const auto& paths = program.machine().hostDisks->physicalPaths();
    const std::string number = std::to_string(std::find(paths.begin(), paths.end(), o.devices[0]) - paths.begin());
    for (size_t r = 0; r < list.rowCount(); ++r)
        if (list.cell(r, 1) == number) list.select(r, false, form::Origin::User);
    if (a.session.apiDeviceNumber != std::stoi(number)) return std::fprintf(stderr, "no device %s\n", number.c_str()), 1;
    t.ScanRWGrp.setItemIndex(1, form::Origin::User);
    t.AutoSizeSC.setChecked(false, form::Origin::User);
    const std::string block = argv[2];
    a.passportSubscribers.subscribe([&t, block](const info::DrivePassport&) { t.ScBlockSizeBox.setText(block); });
    t.ScBlockSizeBox.setText(block, form::Origin::User);
    a.form.MainPage.setActiveIndex(2); // the Tests page in view, as a technician watches it
    t.ScanStartBtn.click();
    if (!a.scan.scanStarted) {
        const auto& log = a.form.log.StringLog;
        for (size_t r = 0; r < log.rowCount(); ++r) std::fprintf(stderr, "%s\n", log.cell(r, 3).c_str());
        return 1;
    }
    // The window's own event loop, as the application runs it, until the scan has ended.
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, [&] {
        if (!a.scan.scanStarted && !a.jobs.running(access::WorkerGate::Worker::Scan)) loop.quit();
    });
    check.start(50);
    loop.exec();
    const double mb = double(a.surfaceScan.sectorsScanned()) * a.session.bytesPerSector / 1e6;
    const double s = a.surfaceScan.elapsedMs() / 1000.0;
    std::printf("%.1f %.3f\n", s > 0 ? mb / s : 0.0, s);
    if (std::getenv("WINDOW_SCAN_LOG")) {
        const auto& log = a.form.log.StringLog;
        for (size_t r = 0; r < log.rowCount(); ++r) std::fprintf(stderr, "%s\n", log.cell(r, 3).c_str());
    }
    return 0;
}
