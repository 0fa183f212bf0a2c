// Paths the program writes into the clean-up batch itself: the temporary directory, the
// launcher's delete path, the start folder and the batch's own path. The batch writes
// them as they are, most of them unquoted, so cmd reads them as words of a command line. A
// path that cmd would read otherwise (a blank splits it, '&' starts a command, '%' expands,
// a letter without an OEM form turns into another one) is written in its short (8.3)
// form, which holds none of these; without one, the lines that use it are left out.
#pragma once
#include "BatchHost.h"
#include "CString.h"

// A path's form for the batch, or why it has none.
class BatchWord {
public:
    static BatchWord Form(const CString& text) { return BatchWord(true, text); }
    static BatchWord None(const CString& reason) { return BatchWord(false, reason); }
    explicit operator bool() const { return m_bUsable; }
    // The form to write; empty when there is none (or when the path itself is empty).
    const CString& Text() const { return m_bUsable ? m_text : Empty(); }
    // Why there is none, in words that follow "[path] "; empty for a usable form.
    const CString& Reason() const { return m_bUsable ? Empty() : m_text; }

private:
    BatchWord(bool usable, const CString& text) : m_bUsable(usable), m_text(text) {}
    static const CString& Empty()
    {
        static const CString empty;
        return empty;
    }
    bool m_bUsable;
    CString m_text;   // the form, or the reason
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
                             unsigned int oemCodePage, const CodePageCalls& calls = SystemCodePageCalls());

// The form of path to write at that place: path itself when it can stand there as it is,
// otherwise its short form; none, with the reason, when neither can.
BatchWord BatchWordFor(const char* path, BatchWordPlace place, const BatchHost& host);
