// A batch host for tests: fixed code pages (a German Windows: 1252 and an OEM page, 850
// unless given) and the short names given; it counts the look-ups of short names.
#pragma once
#include "BatchWord.h"
#include <map>
#include <string>

class FakeBatchHost : public BatchHost {
public:
    explicit FakeBatchHost(std::map<std::string, std::string> shortNames = {}, unsigned int oem = 850)
        : m_shortNames(std::move(shortNames)), m_oem(oem) {}
    unsigned int AnsiCodePage() const override { return 1252; }
    unsigned int OemCodePage() const override { return m_oem; }
    CString ShortPath(const char* path) const override
    {
        ++asked;
        auto it = m_shortNames.find(path);
        return it == m_shortNames.end() ? CString() : CString(it->second);
    }
    mutable int asked = 0;

private:
    std::map<std::string, std::string> m_shortNames;
    unsigned int m_oem;
};
