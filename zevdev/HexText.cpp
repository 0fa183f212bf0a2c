#include "HexText.h"

namespace zevdev {

std::string HexText(std::uint64_t value, size_t digits, bool upperCase)
{
    const char* set = upperCase ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string text(digits, '0');
    for (size_t i = digits; i-- > 0; value >>= 4) text[i] = set[value & 15];
    return text;
}

} // namespace zevdev
