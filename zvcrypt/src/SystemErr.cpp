#include <zvcrypt/SystemErr.h>
#include <windows.h>
#include <cstring>

namespace {

constexpr DWORD ERROR_TEXT_SIZE = 4096;
char sErrorText[ERROR_TEXT_SIZE];      // zvErrorText, zvGetLastError
char sLastErrorText[ERROR_TEXT_SIZE];  // zvLastErrorText

// Fills buffer with the one-line system text of code; keeps the caller's last error.
const char* systemText(char* buffer, unsigned long code)
{
    DWORD saved = GetLastError();
    std::memset(buffer, 0, ERROR_TEXT_SIZE);
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                   0, buffer, ERROR_TEXT_SIZE - 1, nullptr);
    buffer[ERROR_TEXT_SIZE - 1] = 0;
    // Cut at the first line end: system texts end their lines with "\r\n", and both go.
    // A lone line feed goes alone, so no character of the text is lost.
    if (char* lf = std::strchr(buffer, '\n'))
        *(lf > buffer && lf[-1] == '\r' ? lf - 1 : lf) = 0;
    SetLastError(saved);
    return buffer;
}

}  // namespace

const char* zvErrorText(unsigned long code)
{
    return systemText(sErrorText, code);
}

const char* zvLastErrorText(const char* /*caption*/)
{
    return systemText(sLastErrorText, GetLastError());
}
