#include "XString.h"
#include <cstring>
#include <mbstring.h>
#include <new>

namespace {

// Allocation failures leave the string empty instead of throwing: the parser drops the pair.
char* AllocText(size_t bytes)
{
    return new (std::nothrow) char[bytes];
}

int CompareText(const char* a, const char* b)
{
    return _mbscmp(reinterpret_cast<const unsigned char*>(a ? a : ""),
                   reinterpret_cast<const unsigned char*>(b ? b : ""));
}

} // namespace

XString::XString(const char* text)
    : m_length(1), m_data(nullptr)
{
    size_t n = text ? strlen(text) : 0;
    if (n > 0xFFFE) n = 0xFFFE; // the length field counts the zero too
    m_data = AllocText(n + 1);
    if (m_data) {
        if (n) memcpy(m_data, text, n);
        m_data[n] = '\0';
        m_length = static_cast<unsigned short>(n + 1);
    }
}

XString::XString(const XString& other)
    : XObject(other), m_length(other.m_length), m_data(AllocText(other.m_length))
{
    if (m_data && other.m_data) memcpy(m_data, other.m_data, m_length);
    else if (m_data) m_data[0] = '\0';
}

XString& XString::operator=(const XString& other)
{
    if (this != &other) Assign(other.GetData(), other.GetLength());
    return *this;
}

XString::~XString()
{
    delete[] m_data;
}

bool XString::IsStringType(XTypeId id)
{
    return id == XID_STRING || id == XID_STRING_RESERVED1 || id == XID_STRING_RESERVED2;
}

XBool XString::IsEqual(const XObject& other) const
{
    if (other.IsA() == IsA()) {
        const XString& s = static_cast<const XString&>(other);
        return m_length == s.m_length && CompareText(m_data, s.m_data) == 0;
    }
    if (IsStringType(other.IsA()))
        return CompareText(m_data, static_cast<const XString&>(other).GetData()) == 0;
    return 0;
}

XBool XString::IsLess(const XObject& other) const
{
    if (other.IsA() != IsA()) return 0;
    return CompareText(m_data, static_cast<const XString&>(other).m_data) < 0;
}

XTypeId XString::IsA() const { return XID_STRING; }
const char* XString::NameOf() const { return "XString"; }

unsigned short XString::Hash() const
{
    unsigned short hash = 0;
    if (!m_data) return hash;
    for (unsigned i = 0; i < m_length; ++i) {
        unsigned short b = static_cast<unsigned short>(static_cast<short>(static_cast<signed char>(m_data[i])));
        hash = static_cast<unsigned short>((hash ^ b) << 1);
    }
    return hash;
}

const char* XString::GetData() const
{
    return m_data ? m_data : "";
}

unsigned short XString::GetLength() const
{
    return m_length > 1 ? static_cast<unsigned short>(m_length - 1) : 0;
}

XBool XString::Assign(const char* s, unsigned short n)
{
    if (n == 0xFFFF) n = 0xFFFE;
    if (m_length != n + 1 || !m_data) {
        char* fresh = AllocText(static_cast<size_t>(n) + 1);
        delete[] m_data;
        m_data = fresh;
        m_length = static_cast<unsigned short>(n + 1);
    }
    if (!s || !m_data) {
        if (!m_data) m_length = 1;
        return 0;
    }
    memmove(m_data, s, n);
    m_data[n] = '\0';
    return 1;
}

XBool XString::CopyTo(char* target, unsigned short n) const
{
    if (!target) return 0;
    if (n == 0) return 1; // no byte to terminate
    _mbsnbcpy(reinterpret_cast<unsigned char*>(target),
              reinterpret_cast<const unsigned char*>(GetData()), n);
    target[n - 1] = '\0';
    return 1;
}

void XString::Hook(void*) {}
