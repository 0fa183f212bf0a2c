// Log entry points while no logger exists yet.
#include <zvcrypt/Log.h>
#include <windows.h>
#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

constexpr size_t LOG_TEXT_SIZE = 4096;  // at most 4095 characters per call

// Process-wide, outside any logger, so that it outlives the logger.
std::atomic<bool> sbLogForce{false};

// Appends c when the text still has room; returns whether it did.
bool appendChar(char* text, size_t& length, char c)
{
    if (length >= LOG_TEXT_SIZE - 1)
        return false;
    text[length++] = c;
    text[length] = 0;
    return true;
}

// Line-end rules of the direct trace: a lone final "\n" becomes "\r\n", a text without a
// final "\n" gets "\r\n", as far as the buffer allows.
void endLine(char* text)
{
    size_t length = std::strlen(text);
    if (length > 0 && text[length - 1] == '\n' && (length < 2 || text[length - 2] != '\r')) {
        if (length < LOG_TEXT_SIZE - 1) {
            text[length - 1] = '\r';
            text[length] = '\n';
            text[++length] = 0;
        }
    }
    if (length == 0 || text[length - 1] != '\n') {
        if (appendChar(text, length, '\r'))
            appendChar(text, length, '\n');
    }
}

}  // namespace

// Both entry points save the last error with GetLastError, not zvGetLastError: that one
// also refills the shared error-text buffer, which would change a zvErrorText result the
// caller passes as an argument before it is formatted.
void zvLogRaw(const char* format, ...)
{
    DWORD err = GetLastError();
    char text[LOG_TEXT_SIZE] = {};
    if (format) {
        va_list args;
        va_start(args, format);
        std::vsnprintf(text, LOG_TEXT_SIZE, format, args);
        va_end(args);
    }
    endLine(text);
    OutputDebugStringA(text);
    std::fprintf(stderr, "%s", text);
    SetLastError(err);
}

void zvLogWrite(const char* sourceFile, int line, unsigned long mask, const char* format, ...)
{
    DWORD err = GetLastError();
    if (format) {
        char text[LOG_TEXT_SIZE] = {};
        va_list args;
        va_start(args, format);
        std::vsnprintf(text, LOG_TEXT_SIZE, format, args);
        va_end(args);
        // No logger: shown only when forced, otherwise dropped.
        if (sbLogForce.load())
            std::fprintf(stderr, "*%s", text);
    }
    SetLastError(err);
}

void zvLogSetForce(bool force)
{
    sbLogForce.store(force);
}
