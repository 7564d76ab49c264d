#include "shell/IniFile.h"

#include "platform/SmallFile.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvane::shell {

namespace {

std::string trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    size_t e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

bool sameName(const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

} // namespace

IniFile::Line IniFile::classify(const std::string& raw) {
    Line line{raw, {}, {}, false, false};
    std::string t = trim(raw);
    if (t.empty() || t[0] == ';') return line;
    if (t[0] == '[') {
        size_t close = t.find(']');
        if (close != std::string::npos) {
            line.isSection = true;
            line.section = trim(t.substr(1, close - 1));
        }
        return line;
    }
    size_t eq = t.find('=');
    if (eq == std::string::npos) return line;
    line.isEntry = true;
    line.key = trim(t.substr(0, eq));
    return line;
}

void IniFile::parse(const std::string& text) {
    lines_.clear();
    crlf_ = false;
    // A byte-order mark from an editor is not part of the first line.
    size_t start = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string raw = text.substr(start, end - start);
        if (!raw.empty() && raw.back() == '\r') {
            raw.pop_back();
            crlf_ = true;
        }
        lines_.push_back(classify(raw));
        start = end + 1;
    }
}

bool IniFile::load(const std::string& path) { return loadFile(path) == LoadResult::Loaded; }

IniFile::LoadResult IniFile::loadFile(const std::string& path) {
    lines_.clear();
    std::error_code ec;
    const bool there = std::filesystem::exists(std::filesystem::symlink_status(path, ec)) || std::filesystem::exists(path, ec);
    auto text = readSettingsText(path);
    if (!text) return there ? LoadResult::Refused : LoadResult::Missing;
    if (text->find('\0') != std::string::npos) return LoadResult::Refused;
    parse(*text);
    return LoadResult::Loaded;
}

std::optional<std::string> IniFile::readSettingsText(const std::string& path) {
    bool tooLarge = false;
    auto text = platform::readRegularFile(path, kMaxFileBytes, &tooLarge);
    if (tooLarge) return std::nullopt; // not a settings file: half of it would read as defaults
    return text;
}

std::string IniFile::text() const {
    std::string out;
    const char* eol = crlf_ ? "\r\n" : "\n";
    for (auto& l : lines_) out += l.raw + eol;
    return out;
}

bool IniFile::save(const std::string& path) const {
    // The file a link names is the one replaced, so the link stays a link.
    std::error_code ec;
    std::filesystem::path target = std::filesystem::weakly_canonical(path, ec);
    if (ec) target = path;
    struct stat st {};
    mode_t mode = 0;
    if (::stat(target.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) return false; // never replace a device, a FIFO or a directory
        mode = st.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    // A name of our own beside the target: instances saving at once never share a temporary file.
    std::string tmp = target.string() + ".XXXXXX";
    int fd = ::mkstemp(tmp.data());
    if (fd < 0) return false;
    std::string body = text();
    bool ok = ::fchmod(fd, mode) == 0;
    for (size_t put = 0; ok && put < body.size();) {
        ssize_t n = ::write(fd, body.data() + put, body.size() - put);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) put += size_t(n);
    }
    ok = ::close(fd) == 0 && ok;
    if (!ok || std::rename(tmp.c_str(), target.c_str()) != 0) {
        ::unlink(tmp.c_str());
        return false;
    }
    return true;
}

long IniFile::findSection(const std::string& section) const {
    for (size_t i = 0; i < lines_.size(); ++i)
        if (lines_[i].isSection && sameName(lines_[i].section, section)) return long(i);
    return -1;
}

long IniFile::findEntry(const std::string& section, const std::string& key) const {
    long s = findSection(section);
    if (s < 0) return -1;
    for (size_t i = size_t(s) + 1; i < lines_.size() && !lines_[i].isSection; ++i)
        if (lines_[i].isEntry && sameName(lines_[i].key, key)) return long(i);
    return -1;
}

std::optional<std::string> IniFile::value(const std::string& section, const std::string& key) const {
    long i = findEntry(section, key);
    if (i < 0) return std::nullopt;
    const std::string& raw = lines_[size_t(i)].raw;
    std::string v = trim(raw.substr(raw.find('=') + 1));
    // A value in matching quotes reads without them.
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) v = v.substr(1, v.size() - 2);
    return v;
}

std::string IniFile::readString(const std::string& section, const std::string& key, const std::string& def) const {
    return value(section, key).value_or(def);
}

std::optional<int32_t> IniFile::parseInteger(const std::string& text) {
    std::string t = trim(text);
    if (t.empty()) return std::nullopt;
    size_t i = 0;
    bool negative = false;
    if (t[i] == '-' || t[i] == '+') negative = (t[i++] == '-');
    int base = 10;
    if (i < t.size() && t[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < t.size() && t[i] == '0' && (t[i + 1] == 'x' || t[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= t.size()) return std::nullopt;
    int64_t v = 0;
    for (; i < t.size(); ++i) {
        char c = t[i];
        int d = (c >= '0' && c <= '9') ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10 : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : 99;
        if (d >= base) return std::nullopt;
        v = v * base + d;
        if (v > 0xFFFFFFFFll) return std::nullopt;
    }
    if (negative) v = -v;
    // Hexadecimal texts may name the full 32-bit pattern.
    if (base == 16 && !negative && v > INT32_MAX) return int32_t(uint32_t(v));
    if (v < INT32_MIN || v > INT32_MAX) return std::nullopt;
    return int32_t(v);
}

int32_t IniFile::readInteger(const std::string& section, const std::string& key, int32_t def) const {
    auto v = value(section, key);
    if (!v) return def;
    return parseInteger(*v).value_or(def);
}

bool IniFile::readBool(const std::string& section, const std::string& key, bool def) const {
    return readInteger(section, key, def ? 1 : 0) != 0;
}

std::optional<double> IniFile::parseFloat(const std::string& text) {
    std::string t = trim(text);
    if (!t.empty() && t[0] == '+') t.erase(0, 1);
    if (t.empty()) return std::nullopt;
    // A decimal comma (as the files of some languages have it) reads like a point. The parse
    // ignores the process locale, which the window's toolkit sets from the environment.
    for (char& c : t)
        if (c == ',') c = '.';
    double v = 0;
    auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v, std::chars_format::general);
    if (ec != std::errc() || end != t.data() + t.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

double IniFile::readFloat(const std::string& section, const std::string& key, double def) const {
    auto v = value(section, key);
    if (!v) return def;
    return parseFloat(*v).value_or(def);
}

std::string IniFile::formatFloat(double value) {
    // The shortest text that reads back as the same number, in the C locale whatever the process has.
    char text[64];
    auto [end, ec] = std::to_chars(text, text + sizeof text, value);
    return ec == std::errc() ? std::string(text, end) : std::string("0");
}

void IniFile::writeString(const std::string& section, const std::string& key, const std::string& text) {
    // A line break inside a value would start a new line of the file; it becomes a space.
    std::string value = text;
    for (char& c : value)
        if (c == '\r' || c == '\n') c = ' ';
    // Edge blanks and edge quotes would be lost or taken for quoting on the next load: such a
    // value goes in quotes, which the load removes, so a save and a load give it back unchanged.
    auto quoteChar = [](char c) { return c == '"' || c == '\''; };
    if (!value.empty() && (value != trim(value) || quoteChar(value.front()) || quoteChar(value.back())))
        value = '"' + value + '"';
    std::string raw = key + "=" + value;
    long i = findEntry(section, key);
    if (i >= 0) {
        // Keep the key as the file spells it.
        Line& line = lines_[size_t(i)];
        line.raw = line.raw.substr(0, line.raw.find('=') + 1) + value;
        return;
    }
    long s = findSection(section);
    if (s < 0) {
        if (!lines_.empty() && !trim(lines_.back().raw).empty()) lines_.push_back(classify(""));
        lines_.push_back(classify("[" + section + "]"));
        lines_.push_back(classify(raw));
        return;
    }
    // After the section's last entry, before its trailing blank lines and comments.
    size_t insertAt = size_t(s) + 1;
    for (size_t k = size_t(s) + 1; k < lines_.size() && !lines_[k].isSection; ++k)
        if (lines_[k].isEntry) insertAt = k + 1;
    lines_.insert(lines_.begin() + long(insertAt), classify(raw));
}

void IniFile::writeInteger(const std::string& section, const std::string& key, int64_t value) {
    writeString(section, key, std::to_string(value));
}

void IniFile::writeBool(const std::string& section, const std::string& key, bool value) {
    writeString(section, key, value ? "1" : "0");
}

void IniFile::writeFloat(const std::string& section, const std::string& key, double value) {
    writeString(section, key, formatFloat(value));
}

} // namespace korvane::shell
