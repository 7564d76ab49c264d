#include "tests/BlockCsv.h"


#include <charconv>
#include <fstream>
#include <sstream>
#include <unordered_map>

namespace korvane::tests {

namespace {
constexpr const char* kHeader = "lba,sectors,time_ms,class,error_code,map_code";

// One field as a number; false when it is not one.
template <class T> bool number(const std::string& s, T& v) {
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    return ec == std::errc() && end == s.data() + s.size();
}
} // namespace

bool BlockCsvWriter::open(const std::string& path) {
    close();
    file_ = std::fopen(path.c_str(), "w");
    if (!file_) return false;
    std::fprintf(file_, "%s\n", kHeader);
    std::fflush(file_);
    return true;
}

void BlockCsvWriter::add(const BlockRow& r) {
    if (!file_) return;
    // A map code is one printable character; a comma or a quote never appears among them.
    std::fprintf(file_, "%llu,%u,%.1f,%d,%u,%c\n", (unsigned long long)r.lba, r.sectors, r.timeMs, r.timeClass,
                 r.errorCode, r.mapCode ? r.mapCode : '?');
}

void BlockCsvWriter::flush() {
    if (file_) std::fflush(file_);
}

void BlockCsvWriter::close() {
    if (!file_) return;
    std::fclose(file_);
    file_ = nullptr;
}

std::optional<std::vector<BlockRow>> readBlockCsv(const std::string& path, std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = "cannot read " + path;
        return std::nullopt;
    }
    std::string line;
    if (!std::getline(in, line) || line != kHeader) {
        error = path + " is not a block file of a scan (its first line is not \"" + kHeader + "\")";
        return std::nullopt;
    }
    std::vector<BlockRow> rows;
    for (size_t n = 2; std::getline(in, line); ++n) {
        if (line.empty()) continue;
        std::vector<std::string> f;
        std::stringstream fields(line);
        for (std::string x; std::getline(fields, x, ',');) f.push_back(x);
        BlockRow r;
        bool ok = f.size() == 6 && number(f[0], r.lba) && number(f[1], r.sectors) && number(f[3], r.timeClass) &&
                  number(f[4], r.errorCode) && f[5].size() == 1 && r.timeClass >= 0 && r.timeClass <= 6;
        if (ok) {
            char* end = nullptr;
            r.timeMs = std::strtod(f[2].c_str(), &end);
            ok = end && *end == '\0' && !f[2].empty();
            r.mapCode = f[5][0];
        }
        if (!ok) {
            error = path + ", line " + std::to_string(n) + ": not a block row";
            return std::nullopt;
        }
        rows.push_back(r);
    }
    return rows;
}

ScanComparison compareScans(const std::vector<BlockRow>& before, const std::vector<BlockRow>& after) {
    std::unordered_map<uint64_t, const BlockRow*> earlier;
    for (const auto& r : before) earlier[r.lba] = &r;
    ScanComparison c;
    for (const auto& now : after) {
        auto it = earlier.find(now.lba);
        if (it == earlier.end()) continue;
        const BlockRow& then = *it->second;
        ++c.compared;
        const bool wasGood = then.timeClass > 0, isGood = now.timeClass > 0;
        if (wasGood && !isGood)
            c.becameBad.push_back({now.lba, then, now});
        else if (wasGood && isGood && now.timeClass > then.timeClass)
            c.slower.push_back({now.lba, then, now});
    }
    return c;
}

} // namespace korvane::tests
