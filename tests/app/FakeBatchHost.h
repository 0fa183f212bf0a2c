// A batch host for tests: fixed code pages (a German Windows unless given: 1252 and 850),
// the short names given, console settings and files named like commands; it counts the
// look-ups of short names. Its conversions hold to Windows' rules (StrictCodePages.h).
#pragma once
#include "BatchWord.h"
#include "StrictCodePages.h"
#include <map>
#include <set>
#include <string>

class FakeBatchHost : public BatchHost {
public:
    explicit FakeBatchHost(std::map<std::string, std::string> shortNames = {}, unsigned int oem = 850,
                           unsigned int ansi = 1252)
        : m_shortNames(std::move(shortNames)), m_oem(oem), m_ansi(ansi)
    {
        console.oemCodePage = oem;
    }
    unsigned int AnsiCodePage() const override { return m_ansi; }
    unsigned int OemCodePage() const override { return m_oem; }
    CString ShortPath(const char* path) const override
    {
        ++asked;
        auto it = m_shortNames.find(path);
        return it == m_shortNames.end() ? CString() : CString(it->second);
    }
    ConsoleCodePageSettings ConsoleSettings() const override { return console; }
    bool HoldsCommand(const char* folder, const char* name) const override
    {
        return planted.count(std::string(folder) + "\\" + name) != 0;
    }
    const CodePageCalls& CodePages() const override { return m_calls; }

    mutable int asked = 0;
    ConsoleCodePageSettings console;
    std::set<std::string> planted;   // "<folder>\<command name>"

private:
    std::map<std::string, std::string> m_shortNames;
    unsigned int m_oem, m_ansi;
    StrictCodePages m_calls;
};
