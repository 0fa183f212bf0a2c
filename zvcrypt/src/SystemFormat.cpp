#include "SystemFormat.h"

namespace zvcrypt {

size_t formatTextV(char* out, size_t size, const char* format, va_list args)
{
    if (size == 0)
        return 0;
    // A text that fills the room exactly gets no terminator from msvcrt, a longer one a
    // result of -1: both end at the last byte.
    int n = _vsnprintf(out, size - 1, format, args);
    size_t written = (n < 0 || static_cast<size_t>(n) > size - 1) ? size - 1 : static_cast<size_t>(n);
    out[written] = '\0';
    return written;
}

size_t formatText(char* out, size_t size, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    size_t written = formatTextV(out, size, format, args);
    va_end(args);
    return written;
}

void writeTexts(FILE* stream, std::initializer_list<const char*> texts)
{
    _lock_file(stream);
    for (const char* text : texts)
        if (text)
            std::fputs(text, stream);
    _unlock_file(stream);
}

}  // namespace zvcrypt
