#include "LogLine.h"
#include <cstdio>
#include <cstring>

namespace zvcrypt {

LogLine::LogLine(char* buffer, size_t capacity)
    : mpBuf(buffer), mulCap(capacity), mulLen(0)
{
    mpBuf[0] = '\0';
}

void LogLine::add(const char* text, size_t n)
{
    if (!text) return;
    size_t room = mulCap - mulLen;
    if (n > room) n = room;
    memcpy(mpBuf + mulLen, text, n);
    mulLen += n;
    mpBuf[mulLen] = '\0';
}

void LogLine::add(const char* text)
{
    if (text) add(text, strlen(text));
}

void LogLine::addv(const char* format, va_list ap)
{
    size_t room = mulCap - mulLen;
    if (room == 0) return;
    // The platform's formatting: "%p" prints as the system prints pointers (upper case).
    // It returns -1 when the text is cut and then leaves it unterminated.
    int n = _vsnprintf(mpBuf + mulLen, room, format, ap);
    mulLen += (n < 0 || static_cast<size_t>(n) > room) ? room : static_cast<size_t>(n);
    mpBuf[mulLen] = '\0';
}

void LogLine::addf(const char* format, ...)
{
    va_list ap;
    va_start(ap, format);
    addv(format, ap);
    va_end(ap);
}

void LogLine::blanks(size_t n)
{
    size_t room = mulCap - mulLen;
    if (n > room) n = room;
    memset(mpBuf + mulLen, ' ', n);
    mulLen += n;
    mpBuf[mulLen] = '\0';
}

void LogLine::normaliseLineEnd()
{
    if (mulLen > 0 && mpBuf[mulLen - 1] == '\n' && (mulLen < 2 || mpBuf[mulLen - 2] != '\r')
        && mulLen < mulCap) {
        mpBuf[mulLen - 1] = '\r';
        mpBuf[mulLen++] = '\n';
        mpBuf[mulLen] = '\0';
    }
    if (mulLen == 0 || mpBuf[mulLen - 1] != '\n') add("\r\n", 2);
}

size_t logBaseName(const char* sourceFile, const char** base)
{
    // The compiler names sources with backslashes on Windows and with slashes when the
    // library is cross-built: both separate path components.
    const char* last = nullptr;
    for (const char* p = sourceFile; *p; ++p)
        if (*p == '\\' || *p == '/') last = p;
    if (!last || last[1] == '\0') {
        *base = "";
        return 0;
    }
    *base = last + 1;
    size_t n = strlen(*base);
    if ((*base)[n - 1] == ')') --n;
    return n;
}

bool logFilterPasses(const char* filter, const char* base, size_t baseLen)
{
    if (baseLen == 0) return true;
    if (strstr(filter, "all")) return true;
    for (const char* p = filter; *p; ++p)
        if (strncmp(p, base, baseLen) == 0) return true;
    return false;
}

void logSourceField(LogLine& line, const char* sourceFile, const char* base, size_t baseLen,
                    int lineNo, bool shortPath, unsigned long& width)
{
    const char* shown = shortPath ? base : sourceFile;
    size_t shownLen = shortPath ? baseLen : strlen(sourceFile);
    if (baseLen > width) {
        if (shortPath) {
            shown = base + (baseLen - width);
            shownLen = width;
        } else {
            width = static_cast<unsigned long>(shownLen);
        }
    }
    if (shownLen < width) {
        size_t pad = width - shownLen;
        line.blanks(pad > 46 ? 46 : pad);
    }
    line.add(shown, shownLen);
    line.addf("(%4d): ", lineNo);
}

std::string logTimeStamp(time_t when)
{
    const char* text = ctime(&when);
    if (!text) return std::string();
    std::string stamp(text);
    if (!stamp.empty() && stamp[stamp.size() - 1] == '\n') stamp.erase(stamp.size() - 1);
    return stamp;
}

} // namespace zvcrypt
