// Log entry points while no logger exists yet.
#include <zvcrypt/Log.h>
#include <windows.h>
#include <cstdarg>
#include <cstdio>

void zvLogRaw(const char* format, ...)
{
    DWORD err = GetLastError();
    char buf[4096];
    va_list ap;
    va_start(ap, format);
    vsnprintf(buf, sizeof buf, format ? format : "", ap);
    va_end(ap);
    OutputDebugStringA(buf);
    fputs(buf, stderr);
    SetLastError(err);
}

void zvLogWrite(const char*, int, unsigned long, const char*, ...)
{
}
