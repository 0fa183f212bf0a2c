// Paths the program writes into the clean-up batch itself: the temporary directory, the
// launcher's delete path, the start folder and the batch's own path. The design writes
// them as they are, most of them unquoted, so cmd reads them as words of a command line. A
// path that cmd would read otherwise (a blank splits it, '&' starts a command, '%' expands,
// a letter without an OEM form turns into another one) is written in its short (8.3)
// form, which holds none of these; without one, the lines that use it are left out.
#pragma once
#include "CString.h"

// What the batch needs from the host: its code pages and the short names of its folders.
// The program uses SystemBatchHost; tests give fixed code pages and fake short names.
class BatchHost {
public:
    virtual ~BatchHost() {}
    virtual unsigned int AnsiCodePage() const = 0;
    virtual unsigned int OemCodePage() const = 0;
    // The short (8.3) form of an existing path, in the ANSI code page; empty when the path
    // has none or cannot be found.
    virtual CString ShortPath(const char* path) const = 0;
};

// This machine: GetACP(), GetOEMCP() and GetShortPathNameW.
class SystemBatchHost : public BatchHost {
public:
    unsigned int AnsiCodePage() const override;
    unsigned int OemCodePage() const override;
    CString ShortPath(const char* path) const override;
};

enum BatchWordPlace {
    BATCH_WORD_PLAIN,    // a word of a command line: a blank ends it, '&' starts a command
    BATCH_WORD_QUOTED,   // between double quotes: only '%', '!' and '"' keep a meaning
};

// What cmd does with character c of an unquoted word, or why no path holds it; null for a
// character that is plain there. at is its index: a ':' is plain only after the drive.
const char* CmdCharacterMeaning(wchar_t c, size_t at);

// Why path cannot stand in the batch as it is, at that place ("a blank, ..."); null when it can.
const char* BatchWordProblem(const char* path, BatchWordPlace place, unsigned int ansiCodePage,
                             unsigned int oemCodePage);

// The form of path to write at that place: path itself when it can stand there as it is,
// otherwise its short form. False when neither can; reason then says why, in words that
// follow "[path] ".
bool BatchWordFor(const char* path, BatchWordPlace place, const BatchHost& host, CString* word,
                  CString* reason = nullptr);
