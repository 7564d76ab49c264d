#include "app/cli/CliScan.h"

#include "access/SizeParse.h"

#include "app/cli/CliInterrupts.h"
#include "app/cli/CliRunner.h"
#include "app/cli/CliSupport.h"
#include "tests/BlockCsv.h"
#ifdef KORVANE_PICTURES
#include "qt/QtPictureFiles.h"
#endif

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <sstream>
#include <unistd.h>

namespace korvane::cli {

std::string jsonText(const std::string& s) {
    std::string out = "\"";
    for (unsigned char ch : s) {
        if (ch == '"' || ch == '\\') out += '\\';
        if (ch < 0x20) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04x", ch);
            out += esc;
            continue;
        }
        out += char(ch);
    }
    return out + "\"";
}

namespace {


// The scan's settings, checked before anything reaches the drive.
struct ScanRequest {
    int mode = -1;  // -1: as the window has it
    int order = -1; // ScanDirection
    int endAction = -1;
    int defects = -1; // DefectAction
    bool defectoscope = false;
    std::optional<int> readLongCount;
    std::optional<std::string> start, end, block, timeout;
    std::optional<double> duration; // days
    std::optional<uint32_t> loops;
    std::optional<std::vector<bool>> logBoxes; // 50, 200, 600, big, err
    bool ddd = false, stamps = false, longWriting = false, json = false;
    std::optional<std::string> csv, mapPng, graphPng;
};

int indexOf(const std::string& v, std::initializer_list<const char*> names) {
    int i = 0;
    for (const char* n : names) {
        if (v == n) return i;
        ++i;
    }
    return -1;
}

std::optional<ScanRequest> parseRequest(CliContext& c) {
    ScanRequest r;
    auto bad = [&](const std::string& why) -> std::optional<ScanRequest> {
        c.err << "korvane-cli: scan: " << why << "\n";
        return std::nullopt;
    };
    if (auto v = flagValue(c, "--mode")) {
        r.mode = indexOf(*v, {"verify", "read", "write"});
        if (r.mode < 0) return bad("--mode is verify, read or write");
    }
    if (auto v = flagValue(c, "--order")) {
        r.order = indexOf(*v, {"forward", "reverse", "random", "butterfly"});
        if (r.order < 0) return bad("--order is forward, reverse, random or butterfly");
    }
    if (auto v = flagValue(c, "--end-action")) {
        r.endAction = indexOf(*v, {"end", "spindle", "loop", "poweroff", "shutdown"});
        if (r.endAction < 0) return bad("--end-action is end, spindle, loop, poweroff or shutdown");
    }
    if (auto v = flagValue(c, "--defects")) {
        r.defects = indexOf(*v, {"ignore", "remap", "erase", "restore"});
        if (r.defects < 0) return bad("--defects is ignore, remap, erase or restore");
    }
    r.defectoscope = hasFlag(c, "--defectoscope");
    if (r.defectoscope && r.defects > 0) return bad("--defectoscope surveys bad blocks without treating them: not with --defects");
    if (auto v = flagValue(c, "--read-long-count")) {
        if (!allDigits(*v) || v->size() > 3 || std::stoi(*v) < 1 || std::stoi(*v) > 250)
            return bad("--read-long-count takes 1 to 250 sectors");
        r.readLongCount = std::stoi(*v);
    }
    r.start = flagValue(c, "--start");
    r.end = flagValue(c, "--end");
    for (const auto* edge : {&r.start, &r.end})
        if (*edge && !sizeTextValid(**edge)) return bad(access::sizeConversionError(**edge));
    if ((r.block = flagValue(c, "--block")) &&
        (!allDigits(*r.block) || r.block->size() > 5 || std::stoul(*r.block) == 0 || std::stoul(*r.block) > 65535))
        return bad("--block takes a number of sectors, 1 to 65535");
    if ((r.timeout = flagValue(c, "--timeout")) && *r.timeout != "never" && !allDigits(*r.timeout))
        return bad("--timeout takes milliseconds or never");
    if (auto v = flagValue(c, "--duration")) {
        const size_t colon = v->find(':');
        if (colon == std::string::npos || !allDigits(v->substr(0, colon)) || !allDigits(v->substr(colon + 1)))
            return bad("--duration is HH:MM");
        const int h = std::stoi(v->substr(0, colon)), m = std::stoi(v->substr(colon + 1));
        if (m > 59 || h > 23 || h * 60 + m == 0) return bad("--duration is 00:01 to 23:59");
        r.duration = (h * 60 + m) / 1440.0;
    }
    if (auto v = flagValue(c, "--loops")) {
        if (!allDigits(*v) || v->size() > 9 || std::stoul(*v) == 0) return bad("--loops takes a number of passes");
        r.loops = uint32_t(std::stoul(*v));
    }
    if (auto v = flagValue(c, "--log")) {
        std::vector<bool> boxes(5, false);
        std::stringstream list(*v);
        for (std::string item; std::getline(list, item, ',');) {
            const int i = indexOf(item, {"50", "200", "600", "big", "err"});
            if (i < 0) return bad("--log takes 50, 200, 600, big and err, separated by commas");
            boxes[size_t(i)] = true;
        }
        r.logBoxes = boxes;
    }
    r.csv = flagValue(c, "--csv");
    r.mapPng = flagValue(c, "--map-png");
    r.graphPng = flagValue(c, "--graph-png");
#ifndef KORVANE_PICTURES
    if (r.mapPng || r.graphPng) return bad("--map-png and --graph-png need a build with the window toolkit");
#endif
    r.json = hasFlag(c, "--json");
    r.ddd = hasFlag(c, "--ddd");
    r.stamps = hasFlag(c, "--stamps");
    r.longWriting = hasFlag(c, "--long-writing");
    return r;
}

// The Tests page set as the request says, with the controls a user would use.
void applyRequest(CliContext& c, const ScanRequest& r) {
    auto& app = c.app;
    auto& t = app.form.tests;
    using form::Origin;
    if (r.mode >= 0) t.ScanRWGrp.setItemIndex(r.mode, Origin::User);
    if (r.order >= 0) {
        form::Image* images[] = {&t.ImgFWD, &t.ImgREV, &t.ImgRND, &t.ImgBTF};
        images[r.order]->mouseDown();
    }
    if (r.duration) t.RndScTimeEdit.setValue(*r.duration, Origin::User);
    if (r.start) t.StartLbaEdit.setText(*r.start, Origin::User);
    if (r.end) t.EndLbaEdit.setText(*r.end, Origin::User);
    if (r.block) {
        // The passport of the start must not choose another: the user's block size wins.
        t.AutoSizeSC.setChecked(false, Origin::User);
        app.passportSubscribers.subscribe([&t, block = *r.block](const info::DrivePassport&) {
            t.ScBlockSizeBox.setText(block, Origin::User);
        });
        t.ScBlockSizeBox.setText(*r.block, Origin::User);
        if (t.ScBlockSizeBox.text() != *r.block)
            c.err << "korvane-cli: scan: block size " << *r.block << " becomes " << t.ScBlockSizeBox.text() << "\n";
    }
    // The treatment first: its choice sets the time-out, which the request may then change.
    if (r.defectoscope) t.ScDftChk.setChecked(true, Origin::User);
    if (r.defects >= 0) t.ScRemapGroup.setItemIndex(r.defects, Origin::User);
    if (r.readLongCount) app.form.setup.scanOptions.RzSpinEdit1.setValue(*r.readLongCount, Origin::User);
    if (r.timeout) t.ScanTimeEdit.setText(*r.timeout, Origin::User);
    if (r.ddd) t.DDDChk.setChecked(true, Origin::User);
    if (r.stamps) t.ScNumLbaChk.setChecked(true, Origin::User);
    if (r.longWriting) t.EnLwChk.setChecked(true, Origin::User);
    if (r.endAction >= 0) t.EndScanVarBox.setItemIndex(r.endAction, Origin::User);
    if (r.logBoxes) {
        form::CheckBox* boxes[] = {&t.ErLogBx50, &t.ErLogBx200, &t.ErLogBx600, &t.ErLogBxbig, &t.ErLogBxErr};
        for (size_t i = 0; i < 5; ++i) boxes[i]->setChecked((*r.logBoxes)[i], Origin::User);
    }
}

std::string progressLine(const shell::App& app) {
    const auto& t = app.form.tests;
    const auto& s = app.scan;
    std::string line = t.ScanPercentLed.caption() + "%  LBA " + t.LbaOut.text() + "  " + t.ScanMbLed.caption() +
                       " MB  " + t.SpeedLed.caption() + " kb/s  left " + t.ScTimeLed.caption() + "  ";
    for (uint32_t n : s.classCounts) line += " " + std::to_string(n);
    line += "  err " + std::to_string(s.errorCount);
    return line;
}

// The six counters under their limits, and the bad blocks.
std::string classCountsLine(const shell::App& app) {
    const auto& t = app.form.tests;
    const form::Label* limits[] = {&t.scTim5, &t.scTim20, &t.scTim50, &t.scTim200, &t.scTim600, &t.scTimBig};
    std::string line = "Classes:";
    for (size_t i = 0; i < 6; ++i) {
        const std::string& limit = limits[i]->caption();
        const bool plain = i < 5 && limit.back() != 's'; // "1.2s" carries its unit
        line += std::string(i ? ", " : " ") + (i < 5 ? "<" : "") + limit + (plain ? " ms" : "") + ": " +
                std::to_string(app.scan.classCounts[i]);
    }
    line += "; Err: " + std::to_string(app.scan.errorCount);
    return line;
}


// The scan's results as one JSON object, for scripts.
std::string resultsJson(const shell::App& app) {
    const auto& s = app.scan;
    const auto& t = app.form.tests;
    static const char* modes[] = {"verify", "read", "write"};
    static const char* orders[] = {"forward", "reverse", "random", "butterfly"};
    const form::Label* limits[] = {&t.scTim5, &t.scTim20, &t.scTim50, &t.scTim200, &t.scTim600, &t.scTimBig};
    std::ostringstream j;
    j << "{\"start\":" << s.startLba << ",\"end\":" << s.endLba << ",\"mode\":\"" << modes[int(s.scanMode)]
      << "\",\"order\":\"" << orders[int(s.direction.load())] << "\",\"block\":" << s.nominalBlockSize
      << ",\"classes\":[";
    for (size_t i = 0; i < 6; ++i)
        j << (i ? "," : "") << "{\"limit\":" << jsonText(limits[i]->caption()) << ",\"count\":" << s.classCounts[i]
          << "}";
    j << "],\"errors\":" << s.errorCount << ",\"warnings\":" << s.warningCount << ",\"bad_blocks\":[";
    const auto& bad = app.surfaceScan.badBlocks();
    for (size_t i = 0; i < bad.size(); ++i)
        j << (i ? "," : "") << "{\"lba\":" << bad[i].first << ",\"code\":" << bad[i].second << "}";
    const uint64_t ms = app.surfaceScan.elapsedMs();
    const double mb = double(app.surfaceScan.sectorsScanned()) * app.session.bytesPerSector / 1e6;
    char rate[32];
    std::snprintf(rate, sizeof rate, "%.1f", ms ? mb * 1000.0 / double(ms) : 0.0);
    j << "],\"duration_ms\":" << ms << ",\"average_mb_s\":" << rate << ",\"broken_off\":"
      << (app.session.breakRequested ? "true" : "false") << ",\"result\":" << jsonText(s.resultText) << "}";
    return j.str();
}

} // namespace


namespace {
// The map and the graph as the scan left them; a picture that cannot be written is a log line.
void savePictures(CliContext& c, const ScanRequest& r) {
    if (!r.mapPng && !r.graphPng) return;
#ifdef KORVANE_PICTURES
    qt::QtPictureFiles pictures;
    c.app.scanExports.pictures = &pictures;
    if (r.mapPng) c.app.scanExports.saveMap(*r.mapPng);
    if (r.graphPng) c.app.scanExports.saveGraph(*r.graphPng);
    c.app.scanExports.pictures = nullptr;
#endif
}
} // namespace

int runScanCompare(CliContext& c) {
    const auto& args = c.options.arguments;
    if (args.size() != 2) return fail(c, "scan-compare needs two block files: A.csv B.csv"), 2;
    std::string error;
    auto before = tests::readBlockCsv(args[0], error);
    auto after = before ? tests::readBlockCsv(args[1], error) : std::nullopt;
    if (!before || !after) return fail(c, "scan-compare: " + error), 1;
    if (const std::string why = tests::incomparable(*before, *after); !why.empty())
        return fail(c, "scan-compare: " + why), 2;
    const tests::ScanComparison cmp = tests::compareScans(before->rows, after->rows);
    for (const auto& ch : cmp.slower)
        c.out << "Block " << ch.lba << ": class " << ch.before.timeClass << " -> " << ch.after.timeClass << " ("
              << ch.before.timeMs << " ms -> " << ch.after.timeMs << " ms)\n";
    for (const auto& ch : cmp.becameBad)
        c.out << "Block " << ch.lba << ": bad now (code " << ch.after.errorCode << ", '" << ch.after.mapCode << "')\n";
    c.out << cmp.compared << " blocks compared: " << cmp.slower.size() << " slower, " << cmp.becameBad.size()
          << " became bad\n";
    return cmp.worse() ? 3 : 0;
}

int runScan(CliContext& c) {
    auto request = parseRequest(c);
    if (!request) return 2;
    auto& app = c.app;
    if (!prepareDrive(c)) return 1;
    auto& t = app.form.tests;
    // The passport first, so the range can be given against the drive's size.
    app.form.commands.PasspBtn.click();
    if (app.session.maxLba == 0) return fail(c, "scan: the drive gives no passport"), 1;
    applyRequest(c, *request);
    if (t.ScanRWGrp.itemIndex() == 2) {
        c.err << "korvane-cli: scan: writing zeros over LBA " << t.StartLbaEdit.text() << ".." << t.EndLbaEdit.text()
              << "\n";
        if (!confirmedWrite(c, "a write scan")) return 1;
    } else if (app.surfaceScan.writes()) {
        static const char* what[] = {"", "remapping", "erasing", "restoring"};
        c.err << "korvane-cli: scan: " << what[t.ScRemapGroup.itemIndex()] << " the bad blocks found in LBA "
              << t.StartLbaEdit.text() << ".." << t.EndLbaEdit.text() << "\n";
        if (!confirmedWrite(c, "treating bad blocks")) return 1;
    }
    app.scanControl.onWriteWarnShown = [&app] { app.form.writeWarn.OkBtn.click(); };
    if (request->csv) app.surfaceScan.blockFile().arm(*request->csv);
    if (request->json) {
        // Standard output carries the one object; a script still sees why on standard error.
        app.eventLog.flush();
        app.eventLog.onLineFinal = [&c](const std::string& line, const std::string& mark) {
            if (mark == "4") c.err << cliLogLine(line, mark) << "\n";
        };
    }

    InterruptsAsBreak breakOnInterrupt;
    const int interruptsBefore = interruptsReceived();
    t.ScanStartBtn.click();
    if (!app.scan.scanStarted) {
        app.eventLog.flush();
        return 1;
    }
    const bool progress = isatty(STDERR_FILENO) && !c.options.quiet;
    auto lastShown = std::chrono::steady_clock::now();
    int pressed = interruptsBefore;
    auto running = [&] { return app.scan.scanStarted || app.jobs.running(access::WorkerGate::Worker::Scan); };
    c.ui.runUntil([&] {
        if (interruptsReceived() != pressed) {
            pressed = interruptsReceived();
            app.form.commands.BreakBtn.click();
        }
        // The last pass of a counted loop ends as a plain scan does, with its results.
        if (request->loops && app.scan.loopMode && app.scan.scanActive && app.scan.loopCount >= *request->loops) {
            t.EndScanVarBox.setItemIndex(0, form::Origin::User);
        }
        if (progress && std::chrono::steady_clock::now() - lastShown > std::chrono::milliseconds(100)) {
            lastShown = std::chrono::steady_clock::now();
            c.err << "\r" << progressLine(app) << "\x1b[K" << std::flush;
        }
        return !running();
    });
    if (progress) c.err << "\r\x1b[K" << std::flush;
    savePictures(c, *request);
    app.eventLog.flush();
    if (request->json) {
        c.out << resultsJson(app) << "\n";
        if (app.session.breakRequested) return 1;
        return app.scan.errorCount > 0 ? 3 : 0;
    }
    c.out << classCountsLine(app) << "\n";
    const uint64_t ms = app.surfaceScan.elapsedMs();
    const double mb = double(app.surfaceScan.sectorsScanned()) * app.session.bytesPerSector / 1e6;
    char timing[96];
    std::snprintf(timing, sizeof timing, "Scanned %.1f MB in %.3f s, %.1f MB/s\n", mb, ms / 1000.0,
                  ms ? mb * 1000.0 / double(ms) : 0.0);
    c.out << timing;
    if (app.session.breakRequested) return 1;
    return app.scan.errorCount > 0 ? 3 : 0;
}

} // namespace korvane::cli
