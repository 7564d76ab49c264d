#include "info/SmartAttributes.h"

#include "info/SmartNames.h"

#include <algorithm>
#include <cmath>

namespace korvane::info {

namespace {

bool lowWordOnly(uint8_t id) {
    return id == 5 || id == 191 || id == 196 || id == 197 || id == 198 || id == 221;
}

bool countsSectors(uint8_t id) {
    switch (id) {
    case 5: case 184: case 187: case 191: case 196: case 197: case 198: case 199: case 200: return true;
    default: return false;
    }
}

bool extraTemperatureRows(uint8_t family) {
    return family == 1 || family == 2 || family == 4 || family == 6 || family == 7 || family == 15;
}

// Characters, not bytes: the bullets and the degree sign take more than one byte.
size_t displayLength(const std::string& s) {
    return size_t(std::count_if(s.begin(), s.end(), [](char c) { return (uint8_t(c) & 0xC0) != 0x80; }));
}

std::string padLeft(const std::string& s, size_t width) {
    size_t n = displayLength(s);
    return n >= width ? s : std::string(width - n, ' ') + s;
}

std::string padRight(const std::string& s, size_t width) {
    size_t n = displayLength(s);
    return n >= width ? s : s + std::string(width - n, ' ');
}

} // namespace

bool isTemperatureId(uint8_t id) { return id == 190 || id == 194 || id == 231; }

std::string temperatureText(int16_t t) {
    const long f = long(std::trunc(double(t) * 1.8 + 32.0));
    return std::to_string(t) + "\xC2\xB0" "C/" + std::to_string(f) + "\xC2\xB0" "F";
}

std::string healthMark(int value) {
    const int n = std::max(std::min(value, 100) / 20, 1);
    std::string mark = " ";
    for (int i = 0; i < n; ++i) mark += kHealthBullet;
    return mark;
}

std::string healthCode(int value) {
    const int n = std::max(std::min(value, 100) / 20, 1);
    return n <= 2 ? "r" : n <= 4 ? "y" : "g";
}

SmartAttribute decodeSmartSlot(const uint8_t* data, const uint8_t* thresholds, size_t k, uint8_t family) {
    const uint8_t* e = data + 2 + 12 * k;
    SmartAttribute a;
    a.id = e[0];
    a.preFailure = e[1] & 0x01;
    a.value = e[3];
    a.worst = e[4];
    a.threshold = thresholds[2 + 12 * k + 1];
    for (int i = 5; i >= 0; --i) a.raw48 = a.raw48 << 8 | e[5 + i];
    const uint16_t w0 = uint16_t(a.raw48);
    a.shownRaw = lowWordOnly(a.id) ? w0 : a.raw48;
    a.healthValue = a.value;
    if (isTemperatureId(a.id)) {
        a.rawText = family == 15 ? std::to_string(a.raw48) : temperatureText(int16_t(w0));
        a.healthValue = 90;
    } else {
        a.rawText = std::to_string(a.shownRaw);
    }
    return a;
}

std::vector<SmartRowCells> smartRows(const SmartAttribute& a, uint8_t family) {
    std::vector<SmartRowCells> rows;
    rows.push_back({"", std::to_string(a.id), attributeName(a.id, family), std::to_string(a.value),
                    std::to_string(a.worst), std::to_string(a.threshold), a.rawText, healthMark(a.healthValue),
                    a.preFailure ? kPreFailureMark : " ", healthCode(a.healthValue)});
    if (a.id != 194 || !extraTemperatureRows(family)) return rows;
    const uint16_t w1 = uint16_t(a.raw48 >> 16), w2 = uint16_t(a.raw48 >> 32);
    auto extra = [&](const char* name, uint16_t word) {
        rows.push_back({"", "194", name, "90", std::to_string(a.worst), std::to_string(a.threshold),
                        temperatureText(int16_t(word)), " -", " ", "g"});
    };
    // Family 4 lists the highest first; every family keeps the lowest in w1 and the highest in w2,
    // except the SSDs (15), which keep them the other way round.
    const bool maxFirst = family == 4;
    const uint16_t lowest = family == 15 ? w2 : w1, highest = family == 15 ? w1 : w2;
    if (w1 != 0) extra(maxFirst ? "Maximum temperature" : "Minimum temperature", maxFirst ? highest : lowest);
    if (w2 != 0) extra(maxFirst ? "Minimum temperature" : "Maximum temperature", maxFirst ? lowest : highest);
    return rows;
}

form::Colour smartCellColour(const SmartRowCells& row, size_t column, uint8_t family) {
    using namespace form::colours;
    if (row.size() < 10 || row[1].empty()) return form::kDefaultColour;
    const int id = std::atoi(row[1].c_str());
    const bool temperature = isTemperatureId(uint8_t(id));
    switch (column) {
    case 1: return Navy;
    case 2: {
        form::Colour c = row[8] == kPreFailureMark ? Green : Black;
        if (id == 5 || id == 184 || id == 187 || id == 196 || id == 197 || id == 198 || id == 200) c = Purple;
        if (temperature) c = Blue;
        if (id == 231 && family == 15) c = Green;
        return c;
    }
    case 3: return Teal;
    case 4: return Grey;
    case 5: return Olive;
    case 6:
        if (countsSectors(uint8_t(id))) {
            const std::string& raw = row[6];
            const bool number = !raw.empty() && std::all_of(raw.begin(), raw.end(), ::isdigit);
            const bool above0 = number && raw.find_first_not_of('0') != std::string::npos;
            return above0 ? Red : Green;
        }
        return temperature ? Blue : Maroon;
    case 7: return row[9] == "r" ? Red : row[9] == "y" ? form::Colour(0xFFC437) : form::Colour(0x007300);
    default: return form::kDefaultColour;
    }
}

std::string smartCopyText(const std::string& model, const std::string& serial, const std::vector<SmartRowCells>& rows) {
    const std::string dashes(73, '-');
    std::string text = model + "   " + serial + "\n" + dashes + "\n" +
                       "  ID      Name                   Value  Worst  Tresh       Raw    Health\n" + dashes + "\n";
    for (const SmartRowCells& r : rows) {
        auto cell = [&r](size_t i) -> const std::string& {
            static const std::string none;
            return i < r.size() ? r[i] : none;
        };
        text += padLeft(cell(1), 3) + " " + padRight(cell(2), 24) + padLeft(cell(3), 9) + padLeft(cell(4), 7) +
                padLeft(cell(5), 7) + "  " + padLeft(cell(6), 11) + "  " + padRight(cell(7), 7) + "\n";
    }
    return text;
}

} // namespace korvane::info
