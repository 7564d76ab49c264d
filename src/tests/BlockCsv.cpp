#include "tests/BlockCsv.h"

#include <charconv>
#include <cmath>
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

// "text" with its quotes doubled, as CSV quotes a field.
std::string quoted(const std::string& text) {
    std::string q = "\"";
    for (char ch : text) q += ch == '"' ? std::string("\"\"") : std::string(1, ch);
    return q + "\"";
}

// Reads a quoted text at `at`, moving past it; false when there is none.
bool unquote(const std::string& line, size_t& at, std::string& text) {
    if (at >= line.size() || line[at] != '"') return false;
    text.clear();
    for (++at; at < line.size(); ++at) {
        if (line[at] != '"') {
            text += line[at];
        } else if (at + 1 < line.size() && line[at + 1] == '"') {
            text += '"';
            ++at;
        } else {
            ++at;
            return true;
        }
    }
    return false;
}

// The word `word` and a space at `at`, moving past them.
bool expect(const std::string& line, size_t& at, const std::string& word) {
    if (line.compare(at, word.size(), word) != 0) return false;
    at += word.size();
    return true;
}

bool number(const std::string& line, size_t& at, uint64_t& v) {
    const auto [end, ec] = std::from_chars(line.data() + at, line.data() + line.size(), v);
    if (ec != std::errc()) return false;
    at = size_t(end - line.data());
    return true;
}

// # drive "MODEL" serial "SERIAL" sectors N block B
bool parseDriveLine(const std::string& line, BlockFileDrive& d) {
    size_t at = 0;
    uint64_t block = 0;
    const bool ok = expect(line, at, "# drive ") && unquote(line, at, d.model) && expect(line, at, " serial ") &&
                    unquote(line, at, d.serial) && expect(line, at, " sectors ") && number(line, at, d.sectors) &&
                    expect(line, at, " block ") && number(line, at, block) && at == line.size() && block <= 0xFFFF;
    d.blockSize = uint32_t(block);
    return ok;
}
} // namespace

bool BlockCsvWriter::open(const BlockFileDrive& d) {
    if (file_) return true; // a loop's next pass goes on in the same file
    if (path_.empty()) return false;
    file_ = std::fopen(path_.c_str(), "w");
    if (!file_) return false;
    std::fprintf(file_, "# drive %s serial %s sectors %llu block %u\n%s\n", quoted(d.model).c_str(),
                 quoted(d.serial).c_str(), (unsigned long long)d.sectors, d.blockSize, kHeader);
    return flush();
}

void BlockCsvWriter::add(const BlockRow& r) {
    if (!file_) return;
    // A map code is one printable character; a comma or a quote never appears among them.
    std::fprintf(file_, "%llu,%u,%.1f,%d,%u,%c\n", (unsigned long long)r.lba, r.sectors, r.timeMs, r.timeClass,
                 r.errorCode, r.mapCode ? r.mapCode : '?');
}

bool BlockCsvWriter::flush() {
    if (!file_) return true;
    if (std::fflush(file_) == 0 && !std::ferror(file_)) return true;
    std::fclose(file_);
    file_ = nullptr;
    return false;
}

void BlockCsvWriter::close() {
    path_.clear();
    if (!file_) return;
    std::fclose(file_);
    file_ = nullptr;
}

namespace {
std::optional<BlockRow> parseRow(const std::string& line) {
    std::vector<std::string> f;
    std::stringstream fields(line);
    for (std::string x; std::getline(fields, x, ',');) f.push_back(x);
    BlockRow r;
    if (f.size() != 6 || !number(f[0], r.lba) || !number(f[1], r.sectors) || !number(f[3], r.timeClass) ||
        !number(f[4], r.errorCode) || f[5].size() != 1 || r.timeClass < 0 || r.timeClass > 6 || f[2].empty())
        return std::nullopt;
    char* end = nullptr;
    r.timeMs = std::strtod(f[2].c_str(), &end);
    if (!end || *end != '\0' || !std::isfinite(r.timeMs) || r.timeMs < 0) return std::nullopt;
    r.mapCode = f[5][0];
    return r;
}
} // namespace

std::optional<BlockFile> readBlockCsv(const std::string& path, std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = "cannot read " + path;
        return std::nullopt;
    }
    BlockFile file;
    std::string line;
    size_t n = 1;
    bool read = bool(std::getline(in, line));
    if (read && line.rfind("# drive ", 0) == 0) {
        if (!parseDriveLine(line, file.drive)) {
            error = path + ", line 1: not a drive line";
            return std::nullopt;
        }
        read = bool(std::getline(in, line));
        ++n;
    }
    if (!read || line != kHeader) {
        error = path + " is not a block file of a scan (line " + std::to_string(n) + " is not \"" + kHeader + "\")";
        return std::nullopt;
    }
    while (std::getline(in, line)) {
        ++n;
        if (line.empty()) continue;
        auto row = parseRow(line);
        if (!row) {
            error = path + ", line " + std::to_string(n) + ": not a block row";
            return std::nullopt;
        }
        file.rows.push_back(*row);
    }
    return file;
}

namespace {
// The block size of a file without a drive line: the size most of its rows have.
uint32_t blockSizeOf(const BlockFile& f) {
    if (f.drive.blockSize) return f.drive.blockSize;
    std::unordered_map<uint32_t, size_t> counts;
    uint32_t best = 0;
    for (const auto& r : f.rows)
        if (++counts[r.sectors] > counts[best]) best = r.sectors;
    return best;
}

std::string driveText(const BlockFileDrive& d) {
    return "\"" + d.model + "\" serial \"" + d.serial + "\", " + std::to_string(d.sectors) + " sectors";
}
} // namespace

std::string incomparable(const BlockFile& a, const BlockFile& b) {
    const bool known = a.drive.sectors && b.drive.sectors;
    if (known && (a.drive.model != b.drive.model || a.drive.serial != b.drive.serial || a.drive.sectors != b.drive.sectors))
        return "the files are scans of different drives (" + driveText(a.drive) + " and " + driveText(b.drive) + ")";
    const uint32_t sa = blockSizeOf(a), sb = blockSizeOf(b);
    if (sa && sb && sa != sb)
        return "the files are scans with different block sizes (" + std::to_string(sa) + " and " + std::to_string(sb) +
               " sectors)";
    return "";
}

ScanComparison compareScans(const std::vector<BlockRow>& before, const std::vector<BlockRow>& after) {
    // A block scanned more than once (a looping scan, a jump back) counts with its last result.
    std::unordered_map<uint64_t, const BlockRow*> earlier, latest;
    for (const auto& r : before) earlier[r.lba] = &r;
    for (const auto& r : after) latest[r.lba] = &r;
    ScanComparison c;
    for (const auto& row : after) {
        const BlockRow& now = *latest[row.lba];
        if (&now != &row) continue; // the block comes again later in the file
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
