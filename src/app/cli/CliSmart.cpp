#include "app/cli/CliSmart.h"

#include "app/cli/CliInterrupts.h"
#include "app/cli/CliSupport.h"
#include "info/SmartAttributes.h"
#include "info/SmartNames.h"

#include <algorithm>
#include <chrono>
#include <sstream>
#include <thread>

namespace korvane::cli {

namespace {

using form::Origin;

const char* statusWord(int status, bool obtained) {
    if (!obtained) return "no SMART data";
    return status == 1 ? "GOOD" : status == 0 ? "BAD" : "Unknown";
}

// Exit 0 GOOD, 3 BAD, 1 without data or without an answer to the status request.
int exitFor(const shell::App& app) {
    if (!app.smartReader.lastObtained()) return 1;
    return app.smartReader.lastStatus() == 1 ? 0 : app.smartReader.lastStatus() == 0 ? 3 : 1;
}

std::string statusLine(const shell::App& app) {
    const auto& r = app.smartReader;
    std::string line = std::string("SMART status: ") + statusWord(r.lastStatus(), r.lastObtained());
    const int16_t t = r.lastTemperature();
    if (r.lastObtained() && t != info::SmartReader::kNoAttribute) line += "; temperature: " + std::to_string(t) + " \xC2\xB0" "C";
    return line;
}

std::vector<std::string> selfTestLines(const shell::App& app) {
    const auto& list = app.form.smart.SmartTestList;
    std::vector<std::string> lines;
    for (size_t r = 0; r < list.rowCount(); ++r) lines.push_back(list.cell(r, 0) + ": " + list.cell(r, 1));
    return lines;
}

std::vector<std::string> attributeLines(const shell::App& app) {
    std::vector<info::SmartRowCells> rows;
    const auto& list = app.form.smart.SmartList;
    for (size_t r = 0; r < list.rowCount(); ++r) rows.push_back(list.row(r));
    std::istringstream text(info::smartCopyText(app.passport.Model, app.passport.Serial, rows));
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);) lines.push_back(line);
    return lines;
}

void printLists(CliContext& c) {
    c.out << statusLine(c.app) << "\n\n";
    for (const auto& line : attributeLines(c.app)) c.out << line << "\n";
    const auto tests = selfTestLines(c.app);
    if (!tests.empty()) c.out << "\n";
    for (const auto& line : tests) c.out << line << "\n";
}

std::string json(const shell::App& app) {
    const auto& r = app.smartReader;
    std::ostringstream j;
    j << "{\"model\":" << jsonText(app.passport.Model) << ",\"serial\":" << jsonText(app.passport.Serial)
      << ",\"status\":" << jsonText(statusWord(r.lastStatus(), r.lastObtained())) << ",\"temperature\":";
    const int16_t t = r.lastTemperature();
    if (r.lastObtained() && t != info::SmartReader::kNoAttribute) j << t;
    else j << "null";
    j << ",\"attributes\":[";
    const uint8_t family = app.passport.FamilyCode;
    const auto& attrs = r.attributes();
    for (size_t i = 0; i < attrs.size(); ++i) {
        const auto& a = attrs[i];
        j << (i ? "," : "") << "{\"id\":" << int(a.id) << ",\"name\":" << jsonText(info::attributeName(a.id, family))
          << ",\"value\":" << int(a.value) << ",\"worst\":" << int(a.worst) << ",\"threshold\":" << int(a.threshold)
          << ",\"preFailure\":" << (a.preFailure ? "true" : "false") << ",\"raw\":" << a.shownRaw
          << ",\"rawText\":" << jsonText(a.rawText) << ",\"health\":" << jsonText(info::healthCode(a.healthValue))
          << "}";
    }
    j << "],\"selfTests\":[";
    const auto& list = app.form.smart.SmartTestList;
    for (size_t row = 0; row < list.rowCount(); ++row)
        j << (row ? "," : "") << "{\"text\":" << jsonText(list.cell(row, 0)) << ",\"value\":" << jsonText(list.cell(row, 1))
          << "}";
    j << "],\"selfTestMeter\":" << app.form.smart.test.SmtMeter.position() << "}";
    return j.str();
}

// Until the timer's next read or Ctrl-C. The lab's clock moves only when told: it is kept in
// step with the real one, so the period is the same on the lab as on a drive.
void waitForRead(CliContext& c, int pressed, uint32_t reads) {
    auto& app = c.app;
    while (interruptsReceived() == pressed && app.smartReader.readsDone() == reads) {
        c.ui.processEvents();
        if (c.lab) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        app.env.clock.sleepMs(10);
    }
}

// The SMART timer at S seconds: the first read in full, then only what changed, until Ctrl-C.
int watch(CliContext& c, int seconds) {
    auto& app = c.app;
    auto& timer = app.form.smart.timer;
    InterruptsAsBreak breakOnInterrupt;
    const int pressed = interruptsReceived();
    if (app.session.accessMode == access::AccessMode::Api) app.form.commands.PasspBtn.click();
    app.form.smart.monitor.SmartBtn.click();
    app.eventLog.flush();
    printLists(c);
    c.out.flush();
    std::vector<std::string> before = attributeLines(app), beforeTests = selfTestLines(app);
    std::string beforeStatus = statusLine(app);
    timer.NumberEdit8.setValue(seconds, Origin::User);
    timer.SmTimerChk.setChecked(true, Origin::User);
    uint32_t reads = app.smartReader.readsDone();
    while (true) {
        waitForRead(c, pressed, reads);
        if (interruptsReceived() != pressed) break;
        reads = app.smartReader.readsDone();
        app.eventLog.flush();
        const auto now = attributeLines(app), nowTests = selfTestLines(app);
        const std::string nowStatus = statusLine(app);
        if (nowStatus != beforeStatus) c.out << nowStatus << "\n";
        for (const auto& line : changedRows(before, now)) c.out << line << "\n";
        for (const auto& line : changedRows(beforeTests, nowTests)) c.out << line << "\n";
        c.out.flush();
        before = now;
        beforeTests = nowTests;
        beforeStatus = nowStatus;
    }
    timer.SmTimerChk.setChecked(false, Origin::User);
    app.eventLog.flush();
    return exitFor(app);
}

int readAndPrint(CliContext& c) {
    auto& app = c.app;
    const bool asJson = hasFlag(c, "--json");
    if (auto file = flagValue(c, "--open-bin")) {
        const int64_t r = app.smartReader.readSmart(194, *file, true);
        app.eventLog.flush();
        if (r == info::SmartReader::kNoData) return 1;
        if (asJson) c.out << json(app) << "\n";
        else
            for (const auto& line : attributeLines(app)) c.out << line << "\n";
        return 0;
    }
    if (auto s = flagValue(c, "--watch")) {
        if (!allDigits(*s) || s->size() > 3 || std::stoi(*s) < 1 || std::stoi(*s) > 777)
            return fail(c, "smart: --watch takes 1 to 777 seconds"), 2;
        if (!prepareDrive(c)) return 1;
        return watch(c, std::stoi(*s));
    }
    if (!prepareDrive(c)) return 1;
    if (c.isNvme && c.isNvme()) c.err << "korvane-cli: smart: the device is NVMe, which has no ATA SMART\n";
    // In PIO mode "Get SMART" reads the passport itself; in API mode the attribute names need
    // the drive's family, so the passport comes first, as a user's first click would be.
    if (app.session.accessMode == access::AccessMode::Api) app.form.commands.PasspBtn.click();
    app.form.MainPage.setActiveIndex(1);
    app.form.smart.monitor.SmartBtn.click();
    app.eventLog.flush();
    if (asJson) c.out << json(app) << "\n";
    else printLists(c);
    return exitFor(app);
}

struct TestType {
    const char* word;
    int choice; // index in the test box; the vendor-specific choice takes its number
    int vendorNumber;
};
constexpr TestType kTests[] = {
    {"offline", 0, -1},        {"short", 1, -1},          {"extended", 2, -1},         {"selective", 3, -1},
    {"short-captive", 4, -1},  {"extended-captive", 5, -1}, {"selective-captive", 6, -1}, {"conveyance", 7, 3},
    {"vendor", 7, -1},
};

int runTest(CliContext& c) {
    const auto& args = c.options.arguments;
    const TestType* type = nullptr;
    if (args.size() >= 2)
        for (const auto& t : kTests)
            if (args[1] == t.word) type = &t;
    if (!type) {
        std::string words;
        for (const auto& t : kTests) words += std::string(words.empty() ? "" : "|") + t.word;
        return fail(c, "smart test: expected " + words), 2;
    }
    int number = type->vendorNumber;
    if (std::string(type->word) == "vendor") {
        if (args.size() < 3 || !allDigits(args[2]) || args[2].size() > 3 || std::stoi(args[2]) > 255)
            return fail(c, "smart test vendor: needs the subcommand, 0 to 255"), 2;
        number = std::stoi(args[2]);
    }
    if (!prepareDrive(c)) return 1;
    auto& test = c.app.form.smart.test;
    test.SmScanBox.setItemIndex(type->choice, Origin::User);
    if (number >= 0) test.SmVSTestEdit.setValue(number, Origin::User);
    ErrorWatch errors(c);
    test.RzBitBtn13.click();
    c.app.eventLog.flush();
    return errors.status(true);
}

} // namespace

std::vector<std::string> changedRows(const std::vector<std::string>& before, const std::vector<std::string>& now) {
    std::vector<std::string> out;
    for (const auto& line : now)
        if (std::find(before.begin(), before.end(), line) == before.end()) out.push_back(line);
    return out;
}

int runSmart(CliContext& c) {
    const auto& args = c.options.arguments;
    const std::string first = args.empty() ? "" : args[0];
    auto& control = c.app.form.smart.control;
    auto switchWord = [&](size_t i) -> std::optional<bool> {
        if (i < args.size() && (args[i] == "on" || args[i] == "off")) return args[i] == "on";
        fail(c, "smart " + first + ": expected on|off");
        return std::nullopt;
    };
    if (first == "on" || first == "off") {
        if (!prepareDrive(c)) return 1;
        (first == "on" ? control.SmartOnBtn : control.SmartOFFBtn).click();
        c.app.eventLog.flush();
        return c.app.passport.SmartEnabled == (first == "on") ? 0 : 1;
    }
    if (first == "autosave") {
        auto on = switchWord(1);
        if (!on) return 2;
        if (!prepareDrive(c)) return 1;
        (*on ? control.SmartAtsOnBtn : control.SmartAtsOFFBtn).click();
        c.app.eventLog.flush();
        return 0;
    }
    if (first == "test") return runTest(c);
    if (first == "abort") {
        if (!prepareDrive(c)) return 1;
        ErrorWatch errors(c);
        c.app.form.smart.test.RzBitBtn29.click();
        c.app.eventLog.flush();
        return errors.status(true);
    }
    if (!first.empty() && first.rfind("--", 0) != 0)
        return fail(c, "smart: expected on|off|autosave|test|abort or options"), 2;
    return readAndPrint(c);
}

} // namespace korvane::cli
