// Building one log line in a fixed buffer: every piece is appended only as far as it fits.
// Plain functions, so the formatting rules can be checked without a logger.
#pragma once
#include <cstddef>
#include <cstdarg>
#include <ctime>
#include <string>

namespace zvcrypt {

// Text room of every log buffer: 4096 bytes, at most 4095 characters and a terminating zero.
const size_t LOG_LINE_MAX = 4095;

class LogLine {
public:
    // buffer must hold capacity + 1 bytes.
    LogLine(char* buffer, size_t capacity);

    void add(const char* text);
    void add(const char* text, size_t n);
    void addf(const char* format, ...);
    void addv(const char* format, va_list ap);
    void blanks(size_t n);
    // Unless the text already ends with "\r\n": a lone final "\n" gets its "\r", a text
    // without a final "\n" gets "\r\n" (each as far as room is left).
    void normaliseLineEnd();

    const char* text() const { return mpBuf; }
    size_t length() const { return mulLen; }

private:
    char* mpBuf;
    size_t mulCap;
    size_t mulLen;
};

// The base name of a source file: the text after its last path separator when something
// follows it, otherwise empty; a closing parenthesis at its end is dropped.
// Returns the length; base receives a pointer into sourceFile.
size_t logBaseName(const char* sourceFile, const char** base);

// Whether a line from this base name passes the source filter text.
bool logFilterPasses(const char* filter, const char* base, size_t baseLen);

// Appends the source field "name(line): " with right alignment in width, widening width
// when the base name does not fit and the short form is off.
void logSourceField(LogLine& line, const char* sourceFile, const char* base, size_t baseLen,
                    int lineNo, bool shortPath, unsigned long& width);

// The local time as ctime shows it, without the final line feed (empty when ctime fails):
// the time stamps of the log frame and of the ring trailer.
std::string logTimeStamp(time_t when);

} // namespace zvcrypt
