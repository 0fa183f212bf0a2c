// Which devices an eject command means: the command's pattern and how it matches ids.
#pragma once
#include <string>

namespace zevdev {

// Reads `eject "PATTERN"` (or `eject PATTERN` without blanks or quotes). False for any
// other command, an empty pattern or unbalanced quotes.
bool ParseEjectCommand(const std::string& command, std::string& pattern);

// Matches a hardware or instance id without regard to letter case: `*` is any run of
// characters, `?` exactly one, every other character (`&` and `\` too) stands for itself.
bool MatchDevicePattern(const std::string& pattern, const std::string& id);

} // namespace zevdev
