#pragma once
#include "app/cli/CliCommands.h"

#include <optional>
#include <string>

namespace korvane::cli {

// What the commands share: a failure message, the command's own options, the drive's readiness
// and the confirmation of a write.
bool fail(CliContext& c, const std::string& why);
// A word of digits only (a count, a level, milliseconds).
bool allDigits(const std::string& s);
// A sector or size text the fields would take: it holds a digit and fits in 64 bits. The fields
// read a text without digits as 0, which on a command line is a slip, not the first sector.
bool sizeTextValid(const std::string& s);
bool hasFlag(const CliContext& c, const std::string& flag);

// A command worked when the drive took it and nothing it relies on afterwards (the passport read
// that shows the new state, the walk over the tables) logged an error line.
class ErrorWatch {
public:
    explicit ErrorWatch(CliContext& c) : c_(c), before_(c.app.eventLog.errorLines()) {}
    int status(bool ok) const { return ok && c_.app.eventLog.errorLines() == before_ ? 0 : 1; }

private:
    CliContext& c_;
    uint64_t before_;
};
std::optional<std::string> flagValue(const CliContext& c, const std::string& flag);
// In PIO mode the ports must be granted.
bool prepareDrive(CliContext& c);
// A JSON string literal of `s` (quotes, backslashes and control bytes escaped).
std::string jsonText(const std::string& s);
// A command that writes to the drive goes ahead only with --yes.
bool confirmedWrite(CliContext& c, const std::string& what);

} // namespace korvane::cli
