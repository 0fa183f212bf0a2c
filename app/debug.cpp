#include "debug.h"
#include <zvcrypt/Config.h>
#include <zvcrypt/Log.h>
#include <windows.h>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace {

zvCLogInit s_logInit;
// The application's settings, loaded by DebugInit.
zvcrypt::Config s_config;

const size_t TRACE_BUFFER = 40960;
const size_t TRACE_WBUFFER = 20480;

// The text reaches the logger only as the argument of "%s", so '%' in it stays literal.
void WriteTrace(int level, const char* text)
{
    if (level == 1)
        zvLogWrite(__FILE__, __LINE__, LOGMASK_TRACE, "   %s\n", text);
    else if (level == 2)
        zvLogWrite(__FILE__, __LINE__, LOGMASK_TRACE, "      %s\n", text);
    else
        zvLogWrite(__FILE__, __LINE__, LOGMASK_TRACE, "%s\n", text);
}

} // namespace

void DebugInit(const char* configKey, const char* tag)
{
    s_config.load(configKey);
    unsigned long level = 0;
    s_config.getValue("LogLevel", level);
    if (level == 0) return;  // the logger keeps what it has
    zvLogConfigure(s_config);
    zvLogSetTag(tag);
    zvLogClear();
}

namespace {

// The formatting halves of the trace calls: their 40 KB buffers are set up only for a line
// the logger keeps.
__attribute__((noinline)) void FormatTrace(int level, const char* format, va_list ap)
{
    char buffer[TRACE_BUFFER];
    buffer[0] = '\0';
    if (format) {
        // The platform's formatting, as the log call uses: "%p" in upper case.
        int n = _vsnprintf(buffer, TRACE_BUFFER - 1, format, ap);
        if (n < 0 || static_cast<size_t>(n) >= TRACE_BUFFER - 1) buffer[TRACE_BUFFER - 1] = '\0';
    }
    WriteTrace(level, buffer);
}

__attribute__((noinline)) void FormatTraceW(int level, const wchar_t* format, va_list ap)
{
    wchar_t wide[TRACE_WBUFFER];
    wide[0] = L'\0';
    if (format) {
        int n = _vsnwprintf(wide, TRACE_WBUFFER - 1, format, ap);
        if (n < 0 || static_cast<size_t>(n) >= TRACE_WBUFFER - 1) wide[TRACE_WBUFFER - 1] = L'\0';
    }
    char buffer[TRACE_BUFFER];
    buffer[0] = '\0';
    // Converts character by character, so a character the code page cannot represent
    // ends the text there and what came before it is kept.
    size_t used = 0;
    char mb[16];
    for (const wchar_t* p = wide; *p; ++p) {
        int n = wctomb(mb, *p);
        if (n < 0 || used + static_cast<size_t>(n) > TRACE_BUFFER - 1) break;
        memcpy(buffer + used, mb, static_cast<size_t>(n));
        used += static_cast<size_t>(n);
    }
    buffer[used] = '\0';
    WriteTrace(level, buffer);
}

} // namespace

void DebugTrace(int level, const char* format, ...)
{
    if (!zvLogWouldWrite(LOGMASK_TRACE)) return;   // the text would only be dropped
    va_list ap;
    va_start(ap, format);
    FormatTrace(level, format, ap);
    va_end(ap);
}

void DebugTraceW(int level, const wchar_t* format, ...)
{
    if (!zvLogWouldWrite(LOGMASK_TRACE)) return;
    va_list ap;
    va_start(ap, format);
    FormatTraceW(level, format, ap);
    va_end(ap);
}

CScopeTrace::CScopeTrace(const char* file, int line)
    : m_file(file), m_line(line)
{
    CString text;
    text.Format("cs  %s %d", static_cast<const char*>(m_file), m_line);
    OutputDebugStringA(text);
}

CScopeTrace::~CScopeTrace()
{
    CString text;
    text.Format("ds  %s %d", static_cast<const char*>(m_file), m_line);
    OutputDebugStringA(text);
}
