#pragma once
#include "support/TestApp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <numeric>
#include <string>

namespace korvane::testsupport {

using namespace korvane;


inline constexpr uint16_t kBase = 0x170, kAlt = 0x376; // secondary master: FUJITSU, UNC at 31000

struct ScanLab {
    testsupport::TestApp t;
    shell::App& app = *t.app;
    form::TestsPage& page = app.form.tests;

    // A counter read lets 1 us pass (as on the command line's lab): 100 reads make a 100 us step.
    ScanLab() { t.clock.setReadStepNs(1000); }

    sim::AtaDevice& fujitsu() { return t.drive(kBase); }
    // Commands the drive received so far, read under its bus lock while a worker may be sending.
    uint64_t commandsSent() {
        std::lock_guard bus(fujitsu().busLock());
        return fujitsu().commandsTotal();
    }

    // PIO on the secondary master with its passport read, as a user starts.
    void usePio() {
        t.startPio(kBase, kAlt);
        app.form.commands.PasspBtn.click();
    }
    // API on physical drive `n`, its passport read.
    void useApi(int n) {
        app.startUp.startUp();
        app.form.header.APIRg.setItemIndex(0, form::Origin::User);
        auto& list = app.form.standard.api.ApiList;
        for (size_t r = 0; r < list.rowCount(); ++r)
            if (list.cell(r, 1) == std::to_string(n)) list.select(r, false, form::Origin::User);
        ASSERT_EQ(app.session.apiDeviceNumber, n);
    }
    void range(const std::string& start, const std::string& end, const std::string& block = "256") {
        page.StartLbaEdit.setText(start, form::Origin::User);
        page.EndLbaEdit.setText(end, form::Origin::User);
        page.AutoSizeSC.setChecked(false, form::Origin::User); // the passport must not choose another
        page.ScBlockSizeBox.setText(block, form::Origin::User);
    }
    bool running() const { return app.scan.scanStarted || app.jobs.running(access::WorkerGate::Worker::Scan); }
    void waitEnd() {
        t.ui.runUntil([&] { return !running(); });
    }
    void waitFor(const std::function<bool()>& done) {
        t.ui.runUntil([&] { return done() || !running(); });
    }
    // Start, and wait for the scan to end by itself.
    void scan() {
        page.ScanStartBtn.click();
        waitEnd();
    }
    uint64_t counted() const { return std::accumulate(app.scan.classCounts.begin(), app.scan.classCounts.end(), 0ull); }
    bool logged(const std::string& line) const {
        auto m = t.messages();
        return std::find(m.begin(), m.end(), line) != m.end();
    }
    size_t count(uint8_t command) {
        const auto& r = t.drive(kBase).commandsReceived();
        return size_t(std::count_if(r.begin(), r.end(), [&](auto& tf) { return tf.command == command; }));
    }
    std::string mapCells() const {
        const auto& cells = page.Grid.cells();
        std::string s;
        for (uint8_t c : cells)
            if (c) s.push_back(char(c));
        return s;
    }
};


} // namespace korvane::testsupport
