#include <zvcrypt/zvSysErr.h>
#include <windows.h>

unsigned long zvGetLastError()
{
    DWORD code = GetLastError();
    zvErrorText(code);  // keeps the last error
    return code;
}

void zvSetLastError(unsigned long code)
{
    SetLastError(code);
}
