#include "BatchCodePage.h"
#include <windows.h>
#include <cstring>

namespace {

class SystemCalls : public CodePageCalls {
public:
    int MultiByteToWide(unsigned int codePage, unsigned long flags, const char* bytes, int length, wchar_t* wide,
                        int wideLength) const override
    {
        return MultiByteToWideChar(codePage, flags, bytes, length, wide, wideLength);
    }
    int WideToMultiByte(unsigned int codePage, unsigned long flags, const wchar_t* wide, int length, char* bytes,
                        int byteLength, const char* defaultChar, int* usedDefault) const override
    {
        BOOL used = FALSE;
        int n = WideCharToMultiByte(codePage, flags, wide, length, bytes, byteLength, defaultChar,
                                    usedDefault ? &used : nullptr);
        if (usedDefault) *usedDefault = used;
        return n;
    }
};

// UTF-8 and GB18030 give every character a form; Windows refuses both the best-fit flag
// and the default-character arguments for them. WC_ERR_INVALID_CHARS still refuses a
// lone surrogate, which names no file.
bool EncodesEverything(unsigned int codePage) { return codePage == CP_UTF8 || codePage == 54936; }

} // namespace

const CodePageCalls& SystemCodePageCalls()
{
    static const SystemCalls calls;
    return calls;
}

bool AnsiToWide(const char* text, unsigned int ansiCodePage, std::wstring* wide, const CodePageCalls& calls)
{
    wide->clear();
    int length = text ? static_cast<int>(strlen(text)) : 0;
    if (length == 0) return true;
    int n = calls.MultiByteToWide(ansiCodePage, MB_ERR_INVALID_CHARS, text, length, nullptr, 0);
    if (n <= 0) return false;
    wide->resize(static_cast<size_t>(n));
    return calls.MultiByteToWide(ansiCodePage, MB_ERR_INVALID_CHARS, text, length, &(*wide)[0], n) == n;
}

bool WideToCodePage(const std::wstring& wide, unsigned int codePage, CString* bytes, const CodePageCalls& calls)
{
    bytes->Empty();
    if (wide.empty()) return true;
    int length = static_cast<int>(wide.size());
    const bool all = EncodesEverything(codePage);
    const unsigned long flags = all ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    int usedDefault = 0;
    int* used = all ? nullptr : &usedDefault;
    int n = calls.WideToMultiByte(codePage, flags, wide.data(), length, nullptr, 0, nullptr, used);
    if (n <= 0 || usedDefault) return false;
    std::string out(static_cast<size_t>(n), '\0');
    if (calls.WideToMultiByte(codePage, flags, wide.data(), length, &out[0], n, nullptr, used) != n || usedDefault)
        return false;
    // A character the table maps to another one (no best fit asked, but some tables carry
    // such entries) would name another file: decoding must give the same text back.
    std::wstring back;
    if (!OemToWide(out.c_str(), codePage, &back, calls) || back != wide) return false;
    *bytes = CString(out);
    return true;
}

bool AnsiToOemBytes(const char* text, unsigned int ansiCodePage, unsigned int oemCodePage, CString* oem,
                    const CodePageCalls& calls)
{
    std::wstring wide;
    if (!AnsiToWide(text, ansiCodePage, &wide, calls)) {
        oem->Empty();
        return false;
    }
    return WideToCodePage(wide, oemCodePage, oem, calls);
}

bool SurvivesOem(const char* text, unsigned int ansiCodePage, unsigned int oemCodePage, const CodePageCalls& calls)
{
    CString oem;
    return AnsiToOemBytes(text, ansiCodePage, oemCodePage, &oem, calls);
}

bool OemToWide(const char* bytes, unsigned int oemCodePage, std::wstring* wide, const CodePageCalls& calls)
{
    return AnsiToWide(bytes, oemCodePage, wide, calls);   // the same decoding, in the other code page
}

unsigned int NewConsoleCodePage(const ConsoleCodePageSettings& settings)
{
    if (settings.cmdValue) return settings.cmdValue;
    if (settings.consoleValue) return settings.consoleValue;
    return settings.oemCodePage;
}

unsigned int BatchChcpCodePage(const ConsoleCodePageSettings& settings)
{
    // An AutoRun runs before the batch and may change the code page in ways no setting shows.
    if (settings.autoRun || NewConsoleCodePage(settings) != settings.oemCodePage) return settings.oemCodePage;
    return 0;
}
