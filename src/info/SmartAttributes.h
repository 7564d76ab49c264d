#pragma once
#include "form/Control.h"

#include <cstdint>
#include <string>
#include <vector>

namespace korvane::info {

// One slot of the SMART data block with its threshold, decoded as the attribute list shows it.
struct SmartAttribute {
    uint8_t id = 0;
    bool preFailure = false;
    uint8_t value = 0, worst = 0, threshold = 0;
    uint64_t raw48 = 0;    // the six raw bytes, little-endian
    uint64_t shownRaw = 0; // what the list counts with: only the low word for the sector counters
    std::string rawText;
    int healthValue = 0;   // the value the health mark is made from
};

// The columns of one list row: 0 (empty), ID, name, VAL, Wrst, Tresh, raw, health mark,
// pre-failure marker, health code.
using SmartRowCells = std::vector<std::string>;

inline constexpr size_t kSmartSlots = 30;
// The pre-failure marker of column 8 (a no-break space) and the health bullet.
inline const std::string kPreFailureMark = "\xC2\xA0";
inline const std::string kHealthBullet = "\xE2\x80\xA2";

// Slot k (0..29) of `data` with threshold slot k of `thresholds` (matched by position).
SmartAttribute decodeSmartSlot(const uint8_t* data, const uint8_t* thresholds, size_t k, uint8_t familyCode);

// The rows of one attribute: its own, then for the temperature 194 of some families the lowest
// and highest temperatures the drive keeps.
std::vector<SmartRowCells> smartRows(const SmartAttribute& a, uint8_t familyCode);

// 190, 194 and 231 hold temperatures.
bool isTemperatureId(uint8_t id);

// "40°C/104°F".
std::string temperatureText(int16_t celsius);
// Column 7 (" " and one to five bullets) and column 9 ("r", "y" or "g") for a health value.
std::string healthMark(int value);
std::string healthCode(int value);

// The colour of a cell of an attribute row.
form::Colour smartCellColour(const SmartRowCells& row, size_t column, uint8_t familyCode);

// The "Copy ALL to Clipboard" text of the attribute list.
std::string smartCopyText(const std::string& model, const std::string& serial, const std::vector<SmartRowCells>& rows);

} // namespace korvane::info
