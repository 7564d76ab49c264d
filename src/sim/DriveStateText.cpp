#include "sim/AtaDevice.h"

#include <charconv>
#include <chrono>
#include <map>
#include <sstream>

namespace korvane::sim {

namespace {

std::string hex(const SecurityModel::Password& p) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (uint8_t b : p) {
        out.push_back(digits[b >> 4]);
        out.push_back(digits[b & 15]);
    }
    return out;
}

bool unhex(const std::string& text, SecurityModel::Password& p) {
    if (text.size() != 64) return false;
    for (size_t i = 0; i < 32; ++i) {
        unsigned v = 0;
        auto [end, ec] = std::from_chars(text.data() + 2 * i, text.data() + 2 * i + 2, v, 16);
        if (ec != std::errc() || end != text.data() + 2 * i + 2) return false;
        p[i] = uint8_t(v);
    }
    return true;
}

bool number(const std::string& text, uint64_t& v) {
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    return ec == std::errc() && end == text.data() + text.size();
}

std::string list(const std::set<uint64_t>& s) {
    std::string out;
    for (uint64_t v : s) out += (out.empty() ? "" : ",") + std::to_string(v);
    return out;
}

bool parseList(const std::string& text, std::set<uint64_t>& out) {
    out.clear();
    std::istringstream in(text);
    for (std::string item; std::getline(in, item, ',');) {
        uint64_t v;
        if (!number(item, v)) return false;
        out.insert(v);
    }
    return true;
}

} // namespace

namespace {
uint64_t wallClockMs() {
    return uint64_t(std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::system_clock::now().time_since_epoch())
                        .count());
}
} // namespace

std::string AtaDevice::keptState() const {
    std::ostringstream out;
    auto sec = security_.kept();
    out << "currentMax=" << currentMax_ << "\n"
        << "permanentMax=" << permanentMax_ << "\n"
        << "volatileMax=" << (volatileMax_ ? 1 : 0) << "\n"
        << "reallocated=" << reallocated_ << "\n"
        << "unreadable=" << list(unreadable_) << "\n"
        << "pending=" << list(pending_) << "\n"
        << "security=" << (sec.enabled ? 1 : 0) << "," << (sec.levelMax ? 1 : 0) << "\n"
        << "user=" << hex(sec.user) << "\n"
        << "master=" << hex(sec.master) << "\n"
        << "smart=" << (smart_.enabled() ? 1 : 0) << "," << (smart_.autosave() ? 1 : 0) << "\n"
        << "selftest=" << smart_.keptTest(time_.nowNs()) << "\n"
        << "kept=" << wallClockMs() << "\n";
    for (const auto& a : smart_.attributes())
        out << "attribute=" << int(a.id) << "," << int(a.value) << "," << int(a.worst) << "," << a.raw << "\n";
    return out.str();
}

bool AtaDevice::restoreKeptState(const std::string& text, std::string& error) {
    // Everything is read and checked first; the drive changes only when all of it is sound.
    std::map<std::string, std::string> v;
    std::vector<std::string> attributes;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        size_t eq = line.find('=');
        if (eq == std::string::npos) return error = "a line without '=': " + line, false;
        std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        if (key == "attribute")
            attributes.push_back(value);
        else
            v[key] = value;
    }
    uint64_t current, permanent, vol, reallocated;
    std::set<uint64_t> unreadable, pending;
    SecurityModel::Kept sec;
    for (const char* key : {"currentMax", "permanentMax", "volatileMax", "reallocated", "unreadable",
                            "pending", "security", "user", "master", "smart"})
        if (!v.count(key)) return error = std::string("no ") + key, false;
    if (!number(v["currentMax"], current) || !number(v["permanentMax"], permanent) || !number(v["volatileMax"], vol) ||
        !number(v["reallocated"], reallocated) ||
        !parseList(v["unreadable"], unreadable) || !parseList(v["pending"], pending) || !unhex(v["user"], sec.user) ||
        !unhex(v["master"], sec.master) || v["security"].size() != 3 || v["smart"].size() != 3)
        return error = "a value that does not read", false;
    if (current == 0 || current > profile_.nativeSectors || permanent > profile_.nativeSectors)
        return error = "a size beyond the drive", false;
    sec.enabled = v["security"][0] == '1';
    sec.levelMax = v["security"][2] == '1';
    std::vector<SmartAttributeSpec> attrs = smart_.attributes();
    for (const std::string& a : attributes) {
        std::istringstream parts(a);
        std::string f[4];
        for (auto& p : f) std::getline(parts, p, ',');
        uint64_t id, value, worst, raw;
        if (!number(f[0], id) || !number(f[1], value) || !number(f[2], worst) || !number(f[3], raw) || value > 255 ||
            worst > 255)
            return error = "a SMART attribute that does not read", false;
        for (auto& spec : attrs)
            if (spec.id == id) {
                spec.value = uint8_t(value);
                spec.worst = uint8_t(worst);
                spec.raw = raw;
            }
    }
    if (v.count("selftest")) {
        SmartModel check(profile_);
        if (!check.restoreTest(v["selftest"], 0, 0)) return error = "a self-test state that does not read", false;
    }
    currentMax_ = current;
    permanentMax_ = permanent;
    volatileMax_ = vol != 0;
    reallocated_ = uint32_t(reallocated);
    unreadable_ = std::move(unreadable);
    pending_ = std::move(pending);
    security_.restore(sec);
    smart_.setEnabled(v["smart"][0] == '1');
    smart_.setAutosave(v["smart"][2] == '1');
    smart_.attributes() = std::move(attrs);
    // The machine was restarted between the runs: the drive comes up powered, as its adaptor does.
    powerCycle();
    // A self-test goes on across the restart, with the real time between the runs gone by, so a
    // test started by one run is seen progressing (or done) by the next. Files without these
    // lines come from before they were kept.
    if (v.count("selftest")) {
        uint64_t kept = 0;
        const uint64_t nowWall = wallClockMs();
        const uint64_t elapsedMs = v.count("kept") && number(v["kept"], kept) && nowWall > kept ? nowWall - kept : 0;
        smart_.restoreTest(v["selftest"], time_.nowNs(), elapsedMs * 1000000ull);
    }
    return true;
}

} // namespace korvane::sim
