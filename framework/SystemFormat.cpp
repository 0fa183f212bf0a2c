#include "SystemFormat.h"
#include <cstdio>

bool FormatStringV(std::string& out, const char* format, va_list ap)
{
    out.clear();
    // msvcrt's _vsnprintf cannot count; _vscprintf does.
    va_list copy;
    va_copy(copy, ap);
    int n = _vscprintf(format, copy);
    va_end(copy);
    if (n < 0) return false;
    // Room for exactly n characters: msvcrt writes no terminator then, the string has its own.
    out.assign(static_cast<size_t>(n), '\0');
    if (n > 0 && _vsnprintf(&out[0], out.size(), format, ap) != n) {
        out.clear();
        return false;
    }
    return true;
}

bool FormatString(std::string& out, const char* format, ...)
{
    va_list ap;
    va_start(ap, format);
    bool ok = FormatStringV(out, format, ap);
    va_end(ap);
    return ok;
}
