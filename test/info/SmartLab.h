#pragma once
#include "support/TestApp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace korvane::testsupport {

// The SMART page over a lab, driven as a user does.
struct SmartLab {
    TestApp t;
    shell::App& app = *t.app;
    form::SmartPage& page = app.form.smart;

    explicit SmartLab(const std::string& profile = "default") : t(profile) {}

    // PIO on the secondary master (the FUJITSU of the default lab).
    void usePio() { t.startPio(0x170, 0x376); }
    // API on the device list's row `which` ("0".."8", or "C:"), its passport read.
    void useApi(const std::string& which) {
        app.startUp.startUp();
        app.form.header.APIRg.setItemIndex(0, form::Origin::User);
        auto& list = app.form.standard.api.ApiList;
        for (size_t r = 0; r < list.rowCount(); ++r)
            if (list.cell(r, 1) == which) list.select(r, false, form::Origin::User);
    }
    void getSmart() { page.monitor.SmartBtn.click(); }

    // The cells of the `nth` row whose ID column reads `id`; empty when there is none.
    std::vector<std::string> rowOf(const std::string& id, size_t nth = 0) const {
        const auto& list = page.SmartList;
        for (size_t r = 0; r < list.rowCount(); ++r)
            if (list.cell(r, 1) == id && nth-- == 0) return list.row(r);
        return {};
    }
    bool logged(const std::string& line) const {
        auto m = t.messages();
        return std::find(m.begin(), m.end(), line) != m.end();
    }
    // The level mark of the newest line with this text ("" when there is none).
    std::string markOf(const std::string& line) const {
        const auto& log = app.form.log.StringLog;
        for (size_t r = log.rowCount(); r-- > 0;)
            if (log.cell(r, shell::EventLog::MessageColumn) == line) return log.cell(r, shell::EventLog::MarkColumn);
        return "";
    }
    std::string status() const { return page.monitor.SmrtStLabel.caption(); }
    std::string temperature() const { return app.form.standard.seek.SeekTmprtLed.caption(); }
};

} // namespace korvane::testsupport
