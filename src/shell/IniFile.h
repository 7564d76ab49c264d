#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace korvane::shell {

// An INI file held as its lines, so that writing it back keeps comments, unknown keys and other
// sections as they were. Sections and keys match case-insensitively; the first of duplicates
// wins, as with the usual profile routines.
class IniFile {
public:
    // Loads `path`; false when it cannot be read or is not a regular file of at most
    // kMaxFileBytes (the file then starts empty).
    bool load(const std::string& path);
    static constexpr size_t kMaxFileBytes = 4u << 20;
    // Why a load failed: no file there, or a file that is no settings file (not a regular file,
    // larger than kMaxFileBytes, unreadable, or binary: it holds NUL bytes). A refused file is
    // never written over, since a settings file written from what could be read would lose it.
    enum class LoadResult { Loaded, Missing, Refused };
    LoadResult loadFile(const std::string& path);
    // The whole text of a small regular file, read without blocking; nullopt otherwise.
    static std::optional<std::string> readSettingsText(const std::string& path);
    void parse(const std::string& text);
    // Writes to a temporary file of its own beside the file `path` resolves to and renames it over,
    // so a crash never leaves half a file; the file keeps its mode. False for a target that is not
    // a regular file.
    bool save(const std::string& path) const;
    std::string text() const;

    std::optional<std::string> value(const std::string& section, const std::string& key) const;

    std::string readString(const std::string& section, const std::string& key, const std::string& def) const;
    // Decimal (or $hex / 0x hex) 32-bit integers; anything malformed or out of range gives `def`.
    int32_t readInteger(const std::string& section, const std::string& key, int32_t def) const;
    // An integer, non-zero meaning true.
    bool readBool(const std::string& section, const std::string& key, bool def) const;
    double readFloat(const std::string& section, const std::string& key, double def) const;

    void writeString(const std::string& section, const std::string& key, const std::string& value);
    void writeInteger(const std::string& section, const std::string& key, int64_t value);
    void writeBool(const std::string& section, const std::string& key, bool value);
    void writeFloat(const std::string& section, const std::string& key, double value);

    static std::optional<int32_t> parseInteger(const std::string& text);
    static std::optional<double> parseFloat(const std::string& text);
    static std::string formatFloat(double value);

private:
    struct Line {
        std::string raw;
        std::string section; // for a section header: its name
        std::string key;     // for an entry: its key, trimmed
        bool isSection = false;
        bool isEntry = false;
    };
    static Line classify(const std::string& raw);
    // Index of the first header of `section`, or -1.
    long findSection(const std::string& section) const;
    long findEntry(const std::string& section, const std::string& key) const;

    std::vector<Line> lines_;
    bool crlf_ = false;
};

} // namespace korvane::shell
