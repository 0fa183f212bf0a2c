// The log entry points. Each keeps the caller's last OS error, and each does nothing (or,
// for zvLogWrite with LogForce, prints to standard error) while no logger exists.
#include "LogInt.h"
#include "LogLine.h"
#include "SystemFormat.h"
#include <zvcrypt/Log.h>
#include <windows.h>
#include <cstdarg>
#include <cstdio>

using zvcrypt::zvLogTarget;

namespace {

volatile bool gbForce = false;  // LogForce: outlives the logger

// At most 4095 characters, always terminated (the platform's formatting, so "%p" prints
// as the system prints pointers).
void formatText(char* buffer, const char* format, va_list ap)
{
    int n = _vsnprintf(buffer, zvcrypt::LOG_LINE_MAX, format, ap);
    if (n < 0 || n >= static_cast<int>(zvcrypt::LOG_LINE_MAX)) buffer[zvcrypt::LOG_LINE_MAX] = '\0';
}

} // namespace

namespace zvcrypt {
zvLogTarget* volatile gpLogTarget = nullptr;
int giLogInitCount = 0;
} // namespace zvcrypt

void zvLogWrite(const char* sourceFile, int line, unsigned long mask, const char* format, ...)
{
    DWORD error = GetLastError();
    zvLogTarget* log = zvcrypt::gpLogTarget;
    if (log) {
        // A line the mask drops needs no formatting; only a profiler wants every call.
        if (log->passesMask(mask) || log->hasProfiler()) {
            if (format) {
                char text[zvcrypt::LOG_LINE_MAX + 1];
                va_list ap;
                va_start(ap, format);
                formatText(text, format, ap);
                va_end(ap);
                log->write(sourceFile, line, mask, text, error);
            } else {
                log->write(sourceFile, line, mask, nullptr, error);
            }
        }
    } else if (gbForce && format) {
        char text[zvcrypt::LOG_LINE_MAX + 1];
        va_list ap;
        va_start(ap, format);
        formatText(text, format, ap);
        va_end(ap);
        zvcrypt::writeTexts(stderr, {"*", text});
    }
    SetLastError(error);
}

bool zvLogWouldWrite(unsigned long mask)
{
    zvLogTarget* log = zvcrypt::gpLogTarget;
    if (log) return log->passesMask(mask) || log->hasProfiler();
    return gbForce;
}

void zvLogRaw(const char* format, ...)
{
    DWORD error = GetLastError();
    char text[zvcrypt::LOG_LINE_MAX + 1];
    text[0] = '\0';
    if (format) {
        va_list ap;
        va_start(ap, format);
        formatText(text, format, ap);
        va_end(ap);
    }
    char lineBuffer[zvcrypt::LOG_LINE_MAX + 1];
    zvcrypt::LogLine line(lineBuffer, zvcrypt::LOG_LINE_MAX);
    line.add(text);
    line.normaliseLineEnd();
    OutputDebugStringA(line.text());
    fputs(line.text(), stderr);
    SetLastError(error);
}

void zvLogSetTag(const char* tag)
{
    if (zvLogTarget* log = zvcrypt::gpLogTarget) log->setTag(tag);
}

void zvLogIndent()
{
    DWORD error = GetLastError();
    if (zvLogTarget* log = zvcrypt::gpLogTarget) log->indent(1);
    SetLastError(error);
}

void zvLogUnindent()
{
    DWORD error = GetLastError();
    if (zvLogTarget* log = zvcrypt::gpLogTarget) log->indent(-1);
    SetLastError(error);
}

void zvLogAddSubProc(const char* name)
{
    DWORD error = GetLastError();
    if (zvLogTarget* log = zvcrypt::gpLogTarget) log->addSubProc(name);
    SetLastError(error);
}

void zvLogRemoveSubProc(const char* name)
{
    DWORD error = GetLastError();
    if (zvLogTarget* log = zvcrypt::gpLogTarget) log->removeSubProc(name);
    SetLastError(error);
}

void zvLogConfigure(const zvcrypt::Config& store)
{
    if (zvLogTarget* log = zvcrypt::gpLogTarget) log->configure(store);
}

void zvLogSetForce(bool force)
{
    gbForce = force;
}

void zvLogClear()
{
    if (zvLogTarget* log = zvcrypt::gpLogTarget) log->clear();
}
