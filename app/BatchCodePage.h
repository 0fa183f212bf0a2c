// The clean-up batch's code page. The program builds the batch text in the ANSI code page
// (its command line, environment and paths come in it), but cmd reads a batch file in the
// console's code page, which is the OEM one unless a setting changes it (850 on a German
// Windows, 437 on an English one, 65001 with the UTF-8 option). These functions convert
// between the two without best-fit guesses, so a character either keeps its meaning or is
// reported as having no OEM form. The code pages are parameters: tests pass them directly,
// the program GetACP() and GetOEMCP().
#pragma once
#include "CString.h"
#include <string>

// The system's two conversion calls, as Windows defines them. The program uses the system's
// own; tests use one that holds to Windows' rules where Wine is more lenient (Windows refuses
// for UTF-8 and GB18030 every flag but WC_ERR_INVALID_CHARS, and any default character).
class CodePageCalls {
public:
    virtual ~CodePageCalls() {}
    virtual int MultiByteToWide(unsigned int codePage, unsigned long flags, const char* bytes, int length,
                                wchar_t* wide, int wideLength) const = 0;
    virtual int WideToMultiByte(unsigned int codePage, unsigned long flags, const wchar_t* wide, int length,
                                char* bytes, int byteLength, const char* defaultChar, int* usedDefault) const = 0;
};

// MultiByteToWideChar and WideCharToMultiByte.
const CodePageCalls& SystemCodePageCalls();

// Text in ansiCodePage decoded to UTF-16; false when it holds a byte that code page does
// not define.
bool AnsiToWide(const char* text, unsigned int ansiCodePage, std::wstring* wide,
                const CodePageCalls& calls = SystemCodePageCalls());
// UTF-16 encoded in codePage; false when a character has no form there (no best fit, no
// default character).
bool WideToCodePage(const std::wstring& wide, unsigned int codePage, CString* bytes,
                    const CodePageCalls& calls = SystemCodePageCalls());
// The bytes cmd reads for an ANSI text; false when a character has no OEM form.
bool AnsiToOemBytes(const char* text, unsigned int ansiCodePage, unsigned int oemCodePage, CString* oem,
                    const CodePageCalls& calls = SystemCodePageCalls());
// True when the text comes through AnsiToOemBytes (an empty text does).
bool SurvivesOem(const char* text, unsigned int ansiCodePage, unsigned int oemCodePage,
                 const CodePageCalls& calls = SystemCodePageCalls());
// What cmd reads from OEM bytes, as UTF-16; false when a byte is undefined there.
bool OemToWide(const char* bytes, unsigned int oemCodePage, std::wstring* wide,
               const CodePageCalls& calls = SystemCodePageCalls());

// What decides the code page of the console that runs the batch. A new console starts in
// the OEM code page unless HKCU\Console, or its key for cmd's window title
// ("%SystemRoot%_System32_cmd.exe"), holds a "CodePage"; an AutoRun of cmd may run "chcp".
struct ConsoleCodePageSettings {
    unsigned int oemCodePage = 0;
    unsigned int consoleValue = 0;   // HKCU\Console "CodePage", 0 when not set
    unsigned int cmdValue = 0;       // the key for cmd's title (either cmd of a 64-bit Windows), 0 when not set
    bool autoRun = false;            // a "Command Processor" AutoRun value is set, in any hive or view
};

// The code page a new console for cmd starts in, found as Windows finds it: cmd's own
// key first, then HKCU\Console, then the OEM code page.
unsigned int NewConsoleCodePage(const ConsoleCodePageSettings& settings);

// 0 when cmd reads the batch in the OEM code page it is written in. Otherwise the code page
// the batch must set ("chcp") before its first path: the OEM one, which its bytes are in.
unsigned int BatchChcpCodePage(const ConsoleCodePageSettings& settings);
