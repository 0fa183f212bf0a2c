#include "DevicePattern.h"

namespace zevdev {

namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

} // namespace

bool ParseEjectCommand(const std::string& command, std::string& pattern)
{
    pattern.clear();
    if (command.compare(0, 6, "eject ") != 0) return false;
    size_t begin = command.find_first_not_of(' ', 6);
    size_t end = command.find_last_not_of(' ');
    if (begin == std::string::npos) return false;
    std::string arg = command.substr(begin, end + 1 - begin);
    if (arg[0] == '"') {
        if (arg.size() < 2 || arg.back() != '"') return false;
        arg = arg.substr(1, arg.size() - 2);
    } else if (arg.find(' ') != std::string::npos) {
        return false;
    }
    if (arg.empty() || arg.find('"') != std::string::npos) return false;
    pattern = arg;
    return true;
}

bool MatchDevicePattern(const std::string& pattern, const std::string& id)
{
    // Greedy scan that backtracks only to the last `*`: linear for ids of any length.
    size_t p = 0, s = 0, star = std::string::npos, mark = 0;
    while (s < id.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || (pattern[p] != '*' && Upper(pattern[p]) == Upper(id[s])))) {
            ++p;
            ++s;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            mark = s;
        } else if (star != std::string::npos) {
            p = star + 1;
            s = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

std::string PatternEnumerator(const std::string& pattern)
{
    size_t slash = pattern.find('\\');
    if (slash == std::string::npos || slash == 0) return std::string();
    std::string enumerator = pattern.substr(0, slash);
    if (enumerator.find_first_of("*?") != std::string::npos) return std::string();
    return enumerator;
}

} // namespace zevdev
