#include "shell/IniFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <strings.h>
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
    size_t start = 0;
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

bool IniFile::load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        lines_.clear();
        return false;
    }
    std::ostringstream all;
    all << in.rdbuf();
    parse(all.str());
    return true;
}

std::string IniFile::text() const {
    std::string out;
    const char* eol = crlf_ ? "\r\n" : "\n";
    for (auto& l : lines_) out += l.raw + eol;
    return out;
}

bool IniFile::save(const std::string& path) const {
    std::string tmp = path + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out << text();
        out.flush();
        if (!out) {
            std::remove(tmp.c_str());
            return false;
        }
    }
    if (std::rename(tmp.c_str(), path.c_str()) != 0) {
        std::remove(tmp.c_str());
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
    if (t.empty()) return std::nullopt;
    // A decimal comma (as some locales write it) reads like a point.
    for (char& c : t)
        if (c == ',') c = '.';
    char* end = nullptr;
    errno = 0;
    double v = std::strtod(t.c_str(), &end);
    if (errno != 0 || end != t.c_str() + t.size()) return std::nullopt;
    return v;
}

double IniFile::readFloat(const std::string& section, const std::string& key, double def) const {
    auto v = value(section, key);
    if (!v) return def;
    return parseFloat(*v).value_or(def);
}

std::string IniFile::formatFloat(double value) {
    // The shortest text that reads back as the same number.
    char text[40];
    for (int precision = 1; precision <= 17; ++precision) {
        std::snprintf(text, sizeof text, "%.*g", precision, value);
        if (std::strtod(text, nullptr) == value) break;
    }
    return text;
}

void IniFile::writeString(const std::string& section, const std::string& key, const std::string& text) {
    // A line break inside a value would start a new line of the file; it becomes a space.
    std::string value = text;
    for (char& c : value)
        if (c == '\r' || c == '\n') c = ' ';
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
