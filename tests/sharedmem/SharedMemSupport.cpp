#include "SharedMemSupport.h"
#include <windows.h>

uint32_t le32(const std::string& b, size_t o)
{
    if (o + 4 > b.size())
        return 0xDEADBEEF;
    auto at = [&](size_t i) { return uint32_t(static_cast<unsigned char>(b[o + i])); };
    return at(0) | at(1) << 8 | at(2) << 16 | at(3) << 24;
}

std::string uniqueName(const char* tag)
{
    static int counter = 0;
    return "zv-" + std::string(tag) + "-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
}
