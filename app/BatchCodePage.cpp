#include "BatchCodePage.h"
#include <windows.h>
#include <cstring>

bool AnsiToWide(const char* text, unsigned int ansiCodePage, std::wstring* wide)
{
    wide->clear();
    int length = text ? static_cast<int>(strlen(text)) : 0;
    if (length == 0) return true;
    int n = MultiByteToWideChar(ansiCodePage, MB_ERR_INVALID_CHARS, text, length, nullptr, 0);
    if (n <= 0) return false;
    wide->resize(static_cast<size_t>(n));
    return MultiByteToWideChar(ansiCodePage, MB_ERR_INVALID_CHARS, text, length, &(*wide)[0], n) == n;
}

bool WideToCodePage(const std::wstring& wide, unsigned int codePage, CString* bytes)
{
    bytes->Empty();
    if (wide.empty()) return true;
    int length = static_cast<int>(wide.size());
    BOOL usedDefault = FALSE;
    int n = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), length, nullptr, 0, nullptr,
                                &usedDefault);
    if (n <= 0 || usedDefault) return false;
    std::string out(static_cast<size_t>(n), '\0');
    if (WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), length, &out[0], n, nullptr,
                            &usedDefault) != n || usedDefault)
        return false;
    // A character the table maps to another one (no best fit asked, but some tables carry
    // such entries) would name another file: decoding must give the same text back.
    std::wstring back;
    if (!OemToWide(out.c_str(), codePage, &back) || back != wide) return false;
    *bytes = CString(out);
    return true;
}

bool AnsiToOemBytes(const char* text, unsigned int ansiCodePage, unsigned int oemCodePage, CString* oem)
{
    std::wstring wide;
    if (!AnsiToWide(text, ansiCodePage, &wide)) {
        oem->Empty();
        return false;
    }
    return WideToCodePage(wide, oemCodePage, oem);
}

bool SurvivesOem(const char* text, unsigned int ansiCodePage, unsigned int oemCodePage)
{
    CString oem;
    return AnsiToOemBytes(text, ansiCodePage, oemCodePage, &oem);
}

bool OemToWide(const char* bytes, unsigned int oemCodePage, std::wstring* wide)
{
    return AnsiToWide(bytes, oemCodePage, wide);   // the same decoding, in the other code page
}
