#pragma once
#include "access/DriveSession.h"
#include "access/SelectionState.h"
#include "form/MainForm.h"
#include "shell/StartupState.h"

#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace korvane::shell {

class EventLog;

// Everything a settings key can feed.
struct SettingsTargets {
    form::MainForm& form;
    access::DriveSession& session;
    access::SelectionState& selection;
    StartupState& startup;
    EventLog& log;
};

enum class SettingType { Integer, Bool, Float, String };
using SettingValue = std::variant<int64_t, bool, double, std::string>;

// One key of the settings file: where it lives, its type and default, whether it is read at
// start-up and written at exit, and what it feeds.
struct SettingKey {
    std::string_view section;
    std::string_view key;
    SettingType type;
    // The value used when the key is missing, as the file would spell it; empty for none.
    // For a check box it is the box's design state (reading uses the box's current state).
    std::string_view defaultText;
    bool read;
    bool write;
    std::string_view feeds;
    SettingValue (*get)(SettingsTargets&);
    void (*set)(SettingsTargets&, const SettingValue&);
};

// The whole table, in the file's order.
const std::vector<SettingKey>& settingsKeys();

// Fixed text of [Info] Author.
inline constexpr std::string_view kSettingsAuthor = "Korvane developers";

} // namespace korvane::shell
