#include "XParamList.h"
#include "XAssociation.h"
#include <cstring>
#include <new>

namespace {

const XString& EmptyName()
{
    static const XString empty("");
    return empty;
}

// The parser's states: between options, in a key, at the first character of a value, in a value.
enum ParseState { BETWEEN, IN_KEY, VALUE_START, IN_VALUE };

// The fixed token buffer: characters beyond its capacity are dropped, so it always
// stays terminated inside its 256 bytes.
struct TokenBuffer {
    char text[XParamList::TOKEN_BUFFER];
    int len;

    void Reset() { len = 0; text[0] = '\0'; }
    void Append(char c)
    {
        if (len >= XParamList::TOKEN_BUFFER - 1) return;
        text[len++] = c;
        text[len] = '\0';
    }
};

} // namespace

XParamList::XParamList()
    : m_pszCmdLine(nullptr), m_pArray(nullptr), m_strings(EmptyName())
{
    m_pszCmdLine = new (std::nothrow) char[1];
    if (m_pszCmdLine) m_pszCmdLine[0] = '\0';
}

XParamList::~XParamList()
{
    Clear();
}

void XParamList::Clear()
{
    delete[] m_pszCmdLine;
    m_pszCmdLine = nullptr;
    delete m_pArray;
    m_pArray = nullptr;
}

bool XParamList::SetCommandLine(const char* line)
{
    Clear();
    size_t n = line ? strlen(line) : 0;
    m_pszCmdLine = new (std::nothrow) char[n + 1];
    if (m_pszCmdLine) {
        if (n) memcpy(m_pszCmdLine, line, n);
        m_pszCmdLine[n] = '\0';
    }
    return true;
}

unsigned short XParamList::GetCount() const
{
    return m_pArray ? m_pArray->GetSize() : 0;
}

const char* XParamList::TextOf(const XObject* object) const
{
    if (object && XString::IsStringType(object->IsA()) && object->IsA() != XID_STRING_RESERVED2)
        return static_cast<const XString*>(object)->GetData();
    return "";
}

const char* XParamList::GetKey(int i) const
{
    if (!m_pArray || i < 0) return "";
    const XObject* object = m_pArray->At(static_cast<unsigned short>(i));
    if (object && object->IsA() == XID_ASSOCIATION)
        object = static_cast<const XAssociation*>(object)->Key();
    return TextOf(object);
}

const char* XParamList::GetValue(int i) const
{
    if (!m_pArray || i < 0) return "";
    const XObject* object = m_pArray->At(static_cast<unsigned short>(i));
    if (object && object->IsA() == XID_ASSOCIATION)
        object = static_cast<const XAssociation*>(object)->Value();
    return TextOf(object);
}

// A new string that m_strings owns from now on; null when it cannot be had.
XString* XParamList::NewString(const char* text)
{
    XString* s = new (std::nothrow) XString(text);
    if (!s) return nullptr;
    if (!m_strings.Append(s, 0, EmptyName())) {
        delete s;
        return nullptr;
    }
    return s;
}

void XParamList::EmitPair(XObjectList& pairs, XString* key, const char* value)
{
    XString* v = NewString(value);
    if (!key || !v) return;
    XAssociation* pair = new (std::nothrow) XAssociation(key, v);
    if (!pair) return;
    if (!pairs.Append(pair, 1, EmptyName())) delete pair;
}

bool XParamList::Parse()
{
    delete m_pArray;
    m_pArray = nullptr;
    if (!m_pszCmdLine) return false;

    XObjectList pairs(EmptyName());
    TokenBuffer token;
    token.Reset();
    ParseState state = BETWEEN;
    bool quoted = false;
    XString* key = nullptr;

    for (const char* p = m_pszCmdLine; *p; ++p) {
        const char c = *p;
        switch (state) {
        case BETWEEN:
            if (c == '/') {
                token.Reset();
                token.Append('/');
                state = IN_KEY;
            }
            break;
        case IN_KEY:
            if (c == ' ') {
                EmitPair(pairs, NewString(token.text), "");
                state = BETWEEN;
            } else if (c == ':' || c == '=') {
                key = NewString(token.text);
                token.Reset();
                state = VALUE_START;
            } else {
                token.Append(c);
                if (p[1] == '\0') {
                    EmitPair(pairs, NewString(token.text), "");
                    state = BETWEEN;
                }
            }
            break;
        case VALUE_START:
            if (c == '"') quoted = true;
            else token.Append(c);
            state = IN_VALUE;
            break;
        case IN_VALUE:
            if (c == ' ' && !quoted) {
                EmitPair(pairs, key, token.text);
                state = BETWEEN;
            } else if (c == '"' && quoted) {
                quoted = false;
                EmitPair(pairs, key, token.text);
                state = BETWEEN;
            } else {
                token.Append(c);
            }
            break;
        }
    }
    // An unterminated value still counts; a key with a separator but no value does not.
    if (state == IN_VALUE) EmitPair(pairs, key, token.text);

    if (pairs.GetCount() != 0) {
        m_pArray = new (std::nothrow) XObjectArray(pairs.GetCount(), "XObjectArray", 0);
        if (m_pArray && m_pArray->GetSize() != pairs.GetCount()) { // its element table failed
            delete m_pArray;
            m_pArray = nullptr;
        }
        if (m_pArray) {
            XListIterator it = pairs.Head();
            unsigned short i = 0;
            while (XObject* pair = pairs.Next(it)) m_pArray->SetAt(i++, pair);
        } else {
            // Nobody would own the pairs otherwise.
            for (XListIterator it = pairs.Head(); XObject* pair = pairs.Next(it);) delete pair;
        }
    }
    return m_pArray != nullptr;
}
