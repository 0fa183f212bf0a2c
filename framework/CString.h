// The framework's string class: a narrow, growable text with Format, GetBuffer and the usual operators.
#pragma once
#include <string>
#include <cstdarg>

class CString {
public:
    CString() = default;
    CString(const char* s) : m_str(s ? s : "") {}
    CString(const char* s, int n) : m_str(s ? std::string(s, n < 0 ? 0 : n) : std::string()) {}
    CString(const std::string& s) : m_str(s) {}

    int GetLength() const { return static_cast<int>(m_str.size()); }
    bool IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    char GetAt(int i) const { return m_str[static_cast<size_t>(i)]; }
    operator const char*() const { return m_str.c_str(); }
    const char* GetString() const { return m_str.c_str(); }
    const std::string& str() const { return m_str; }

    // printf-style; the whole result is kept, whatever its length.
    void Format(const char* format, ...);
    void FormatV(const char* format, va_list ap);

    // Position of the first occurrence at or after start, or -1.
    int Find(const char* sub, int start = 0) const;
    int Find(char ch, int start = 0) const;
    int ReverseFind(char ch) const;
    CString Left(int n) const;
    CString Mid(int first) const;
    CString Mid(int first, int n) const;
    CString Right(int n) const;
    void MakeLower();
    void MakeUpper();
    int Compare(const char* s) const;
    int CompareNoCase(const char* s) const;
    int Replace(const char* oldText, const char* newText);
    void TrimLeft();
    void TrimRight();

    // Direct access for API calls that fill a buffer: GetBuffer(n), then ReleaseBuffer().
    char* GetBuffer(int minLength);
    void ReleaseBuffer(int newLength = -1);

    CString& operator=(const char* s) { m_str = s ? s : ""; return *this; }
    CString& operator+=(const CString& s) { m_str += s.m_str; return *this; }
    CString& operator+=(const char* s) { if (s) m_str += s; return *this; }
    CString& operator+=(char c) { m_str += c; return *this; }

    friend CString operator+(const CString& a, const CString& b) { return CString(a.m_str + b.m_str); }
    friend CString operator+(const CString& a, const char* b) { return CString(a.m_str + (b ? b : "")); }
    friend CString operator+(const char* a, const CString& b) { return CString((a ? a : "") + b.m_str); }
    friend bool operator==(const CString& a, const CString& b) { return a.m_str == b.m_str; }
    friend bool operator==(const CString& a, const char* b) { return a.m_str == (b ? b : ""); }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator!=(const CString& a, const char* b) { return !(a == b); }

private:
    std::string m_str;
};
