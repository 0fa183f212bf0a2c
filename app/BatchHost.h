// What the clean-up batch needs to know about the PC it runs on: the code pages, the
// console's settings, the short names of its folders and the files lying in them. The
// program uses SystemBatchHost; tests give fixed answers.
#pragma once
#include "BatchCodePage.h"
#include "CString.h"

class BatchHost {
public:
    virtual ~BatchHost() {}
    virtual unsigned int AnsiCodePage() const = 0;
    virtual unsigned int OemCodePage() const = 0;
    // The short (8.3) form of an existing path, in the ANSI code page; empty when the path
    // has none or cannot be found.
    virtual CString ShortPath(const char* path) const = 0;
    // The settings that decide the code page of the console that runs the batch.
    virtual ConsoleCodePageSettings ConsoleSettings() const = 0;
    // True when folder holds a file that cmd would run for the command name ("attrib.bat",
    // "attrib.exe", "attrib", ...): cmd looks in its current folder before PATH.
    virtual bool HoldsCommand(const char* folder, const char* name) const = 0;
    // The conversion calls behind the code-page functions.
    virtual const CodePageCalls& CodePages() const { return SystemCodePageCalls(); }
};

// This machine: GetACP(), GetOEMCP(), GetShortPathNameW, the registry of the current user
// and the machine, and the folder's files.
class SystemBatchHost : public BatchHost {
public:
    unsigned int AnsiCodePage() const override;
    unsigned int OemCodePage() const override;
    CString ShortPath(const char* path) const override;
    ConsoleCodePageSettings ConsoleSettings() const override;
    bool HoldsCommand(const char* folder, const char* name) const override;
};

// The variable that keeps cmd (from Windows Vista on) from looking for a command in its
// current folder before PATH: the batch runs in %TEMP%, where anyone may leave an
// "attrib.bat".
extern const char* const NO_CURRENT_DIRECTORY_SEARCH;

