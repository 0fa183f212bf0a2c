#include "BatchWord.h"
#include "BatchCodePage.h"
#include <windows.h>
#include <string>

const char* CmdCharacterMeaning(wchar_t c, size_t at)
{
    if (c == L'\t') return "a tab, which ends a word for cmd";
    // cmd's parser is known to take the OEM byte FF (the no-break blank in 437 and 850)
    // for a blank: refused, as no folder name of ours needs it.
    if (c == 0x00A0) return "a character cmd may take for a blank";
    if (c < 0x20 || (c >= 0x7F && c < 0xA0)) return "a control character";
    switch (c) {
    case L' ': return "a blank, which ends a word for cmd";
    case L',': case L';': case L'=': return "a separator, which ends a word for cmd";
    case L'&': case L'|': return "a command separator";
    case L'<': case L'>': return "a redirection";
    case L'^': return "cmd's escape character";
    case L'%': return "a '%', which cmd expands";
    case L'!': return "a '!', which delayed expansion expands";
    case L'"': return "a double quote";
    case L'(': case L')': return "a parenthesis, which groups commands";
    case L'*': case L'?': return "a wildcard";
    case L'/': return "a '/', which starts a switch";
    case L':': return at == 1 ? nullptr : "a ':' after the drive";
    }
    return nullptr;
}

const char* BatchWordProblem(const char* path, BatchWordPlace place, unsigned int ansiCodePage,
                             unsigned int oemCodePage, const CodePageCalls& calls)
{
    CString oem;
    if (!AnsiToOemBytes(path, ansiCodePage, oemCodePage, &oem, calls))
        return "a character without a form in cmd's (OEM) code page";
    std::wstring read;
    OemToWide(oem, oemCodePage, &read, calls);
    for (size_t i = 0; i < read.size(); ++i) {
        wchar_t c = read[i];
        if (place == BATCH_WORD_QUOTED) {
            // Between quotes only expansion and the closing quote still act.
            if (c == L'%' || c == L'!' || c == L'"' || c < 0x20) return CmdCharacterMeaning(c, i);
        } else if (const char* meaning = CmdCharacterMeaning(c, i)) {
            return meaning;
        }
    }
    return nullptr;
}

BatchWord BatchWordFor(const char* path, BatchWordPlace place, const BatchHost& host)
{
    const unsigned int ansi = host.AnsiCodePage(), oem = host.OemCodePage();
    const char* problem = BatchWordProblem(path, place, ansi, oem, host.CodePages());
    if (!problem) return BatchWord::Form(path);
    CString shortPath = host.ShortPath(path);
    CString why;
    if (shortPath.IsEmpty()) {
        why.Format("holds %s and has no short form", problem);
        return BatchWord::None(why);
    }
    const char* shortProblem = BatchWordProblem(shortPath, place, ansi, oem, host.CodePages());
    if (!shortProblem) return BatchWord::Form(shortPath);
    why.Format("holds %s, and its short form [%s] holds %s", problem, shortPath.GetString(), shortProblem);
    return BatchWord::None(why);
}
