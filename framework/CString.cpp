#include "CString.h"
#include "SystemFormat.h"
#include <algorithm>
#include <cctype>
#include <cstring>
#include <strings.h>

void CString::Format(const char* format, ...)
{
    va_list ap;
    va_start(ap, format);
    FormatV(format, ap);
    va_end(ap);
}

void CString::FormatV(const char* format, va_list ap)
{
    // Into a new string first: an argument may point into the old text.
    std::string out;
    if (!format || !FormatStringV(out, format, ap)) { m_str.clear(); return; }
    m_str.swap(out);
}

int CString::Find(const char* sub, int start) const
{
    if (!sub || start < 0 || start > GetLength()) return -1;
    size_t pos = m_str.find(sub, static_cast<size_t>(start));
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::Find(char ch, int start) const
{
    if (start < 0 || start > GetLength()) return -1;
    size_t pos = m_str.find(ch, static_cast<size_t>(start));
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::ReverseFind(char ch) const
{
    size_t pos = m_str.rfind(ch);
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

CString CString::Left(int n) const
{
    n = std::max(0, std::min(n, GetLength()));
    return CString(m_str.substr(0, static_cast<size_t>(n)));
}

CString CString::Mid(int first) const
{
    return Mid(first, GetLength());
}

CString CString::Mid(int first, int n) const
{
    first = std::max(0, first);
    if (first >= GetLength() || n <= 0) return CString();
    return CString(m_str.substr(static_cast<size_t>(first), static_cast<size_t>(n)));
}

CString CString::Right(int n) const
{
    n = std::max(0, std::min(n, GetLength()));
    return CString(m_str.substr(m_str.size() - static_cast<size_t>(n)));
}

void CString::MakeLower()
{
    for (char& c : m_str) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
}

void CString::MakeUpper()
{
    for (char& c : m_str) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
}

int CString::Compare(const char* s) const
{
    return strcmp(m_str.c_str(), s ? s : "");
}

int CString::CompareNoCase(const char* s) const
{
    return _stricmp(m_str.c_str(), s ? s : "");
}

int CString::Replace(const char* oldText, const char* newText)
{
    if (!oldText || !*oldText) return 0;
    std::string with = newText ? newText : "";
    size_t oldLen = strlen(oldText);
    int count = 0;
    for (size_t pos = m_str.find(oldText); pos != std::string::npos;
         pos = m_str.find(oldText, pos + with.size())) {
        m_str.replace(pos, oldLen, with);
        ++count;
    }
    return count;
}

void CString::TrimLeft()
{
    size_t i = 0;
    while (i < m_str.size() && isspace(static_cast<unsigned char>(m_str[i]))) ++i;
    m_str.erase(0, i);
}

void CString::TrimRight()
{
    while (!m_str.empty() && isspace(static_cast<unsigned char>(m_str.back()))) m_str.pop_back();
}

char* CString::GetBuffer(int minLength)
{
    if (minLength > GetLength()) m_str.resize(static_cast<size_t>(minLength));
    return &m_str[0];
}

void CString::ReleaseBuffer(int newLength)
{
    if (newLength < 0) newLength = static_cast<int>(strlen(m_str.c_str()));
    m_str.resize(static_cast<size_t>(std::min(newLength, GetLength())));
}
