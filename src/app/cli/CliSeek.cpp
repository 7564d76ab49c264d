#include "app/cli/CliSeek.h"

#include "access/SizeParse.h"

#include "app/cli/CliInterrupts.h"
#include "app/cli/CliRunner.h"
#include "app/cli/CliSupport.h"

#include <chrono>

namespace korvane::cli {

namespace {

// A number that fits the conversions below (nine digits at most).
bool digits(const std::string& s) { return allDigits(s) && s.size() < 10; }

struct SeekRequest {
    int mode = -1;
    std::optional<std::string> start, end;
    std::optional<int> limit;
    uint32_t count = 0;
    double seconds = 0;
};

std::optional<SeekRequest> parseSeek(CliContext& c) {
    SeekRequest r;
    auto bad = [&](const std::string& why) -> std::optional<SeekRequest> {
        c.err << "korvane-cli: seek: " << why << "\n";
        return std::nullopt;
    };
    if (auto v = flagValue(c, "--mode")) {
        r.mode = *v == "seek" ? 0 : *v == "verify" ? 1 : *v == "read" ? 2 : -1;
        if (r.mode < 0) return bad("--mode is seek, verify or read");
    }
    r.start = flagValue(c, "--start");
    r.end = flagValue(c, "--end");
    for (const auto* edge : {&r.start, &r.end})
        if (*edge && !sizeTextValid(**edge)) return bad(access::sizeConversionError(**edge));
    if (auto v = flagValue(c, "--limit")) {
        if (!digits(*v) || std::stoul(*v) < 1 || std::stoul(*v) > 100000) return bad("--limit takes 1 to 100000 ms");
        r.limit = int(std::stoul(*v));
    }
    const auto count = flagValue(c, "--count"), time = flagValue(c, "--time");
    if (count && time) return bad("--count and --time exclude each other");
    if (count) {
        if (!digits(*count) || std::stoul(*count) == 0) return bad("--count takes a number of accesses");
        r.count = uint32_t(std::stoul(*count));
    }
    if (time) {
        if (!digits(*time) || std::stoul(*time) == 0) return bad("--time takes seconds");
        r.seconds = double(std::stoul(*time));
    }
    return r;
}

} // namespace

int runSeek(CliContext& c) {
    auto request = parseSeek(c);
    if (!request) return 2;
    if (!prepareDrive(c)) return 1;
    auto& app = c.app;
    auto& g = app.form.standard.seek;
    using form::Origin;
    app.form.commands.PasspBtn.click();
    if (app.session.maxLba == 0) return fail(c, "seek: the drive gives no passport"), 1;
    if (request->mode >= 0) g.SeekModeGrp.setItemIndex(request->mode, Origin::User);
    if (request->start) g.SeekStartLbaEdit.setText(*request->start, Origin::User);
    if (request->end) g.SeekEndLbaEdit.setText(*request->end, Origin::User);
    if (request->limit) g.SeekTioEdit.setValue(*request->limit, Origin::User);
    app.seek.maxAccesses = request->count;

    InterruptsAsBreak breakOnInterrupt;
    int pressed = interruptsReceived();
    g.SeekBtn.click();
    if (!app.seekTest.running()) {
        app.eventLog.flush();
        return 1;
    }
    const auto began = std::chrono::steady_clock::now();
    c.ui.runUntil([&] {
        if (interruptsReceived() != pressed) {
            pressed = interruptsReceived();
            app.form.commands.BreakBtn.click();
        }
        if (request->seconds > 0 &&
            std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count() >= request->seconds)
            app.seekTest.finish();
        return !app.seekTest.running() && g.SeekBtn.caption() == "Start";
    });
    app.eventLog.flush();
    const uint32_t n = app.seek.seekCount;
    char whole[64];
    std::snprintf(whole, sizeof whole, "%.2f ms", n ? double(app.seek.totalTenths) / 10.0 / n : 0.0);
    c.out << "Accesses: " << n << ", average access time " << whole << " (the last 64: " << g.SeekTimeLed.caption()
          << ")\n";
    return app.seek.seekFailure == 0 ? 0 : 1;
}

int runAam(CliContext& c) {
    const auto& args = c.options.arguments;
    if (args.size() != 1) return fail(c, "aam needs a level: 128 to 254, min or off"), 2;
    const std::string& what = args[0];
    if (what != "min" && what != "off" && (!digits(what) || std::stoul(what) < 128 || std::stoul(what) > 254))
        return fail(c, "aam: the level is 128 to 254, min or off"), 2;
    if (!prepareDrive(c)) return 1;
    auto& app = c.app;
    auto& g = app.form.standard.seek;
    app.form.commands.PasspBtn.click();
    if (app.session.maxLba == 0) return fail(c, "aam: the drive gives no passport"), 1;
    if (!g.AAMTrack.enabled()) return fail(c, "aam: the drive has no acoustic management"), 1;
    if (what == "min") {
        g.AAMMinBtn.click();
    } else if (what == "off") {
        g.AAMOffBtn.click();
    } else {
        g.AAMTrack.setPosition(int(std::stoul(what)), form::Origin::User);
        g.AAMTrack.release();
    }
    app.eventLog.flush();
    // The passport read after the command tells what the drive took.
    const auto& p = app.passport;
    c.out << "AAM: " << g.AAMLed.caption() << " (drive value " << int(p.AamValue) << ")\n";
    if (what == "off") return 0;
    const int asked = what == "min" ? 128 : int(std::stoul(what));
    return p.AamValue == asked ? 0 : 1;
}

} // namespace korvane::cli
