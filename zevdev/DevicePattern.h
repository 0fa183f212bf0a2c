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

// The enumerator every id the pattern can match starts with: the text before its first
// backslash ("usb" of "usb\vid_3e7a&pid_41*"), or empty when that text holds a wildcard
// or there is no backslash. Instance ids begin with their enumerator, and a device's
// hardware ids with the same name, so only that enumerator's devices need to be read.
std::string PatternEnumerator(const std::string& pattern);

} // namespace zevdev
