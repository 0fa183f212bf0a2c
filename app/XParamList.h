// Reads a command line into an ordered list of key/value pairs. A key runs from a "/" to
// ":" or "="; its value follows, optionally in double quotes. Keys and values are texts
// owned by the list; pairs come out in command-line order.
#pragma once
#include "XObjectArray.h"
#include "XObjectList.h"

class XParamList {
public:
    // A key or a value keeps at most this many characters; the rest is cut.
    static const int TOKEN_BUFFER = 256;

    XParamList();
    XParamList(const XParamList&) = delete;
    XParamList& operator=(const XParamList&) = delete;

    // Text of pair i; the empty text (never null) when there is no such string.
    virtual const char* GetValue(int i) const;
    virtual const char* GetKey(int i) const;
    virtual unsigned short GetCount() const;
    // Tokenizes the command line; true when at least one pair was found.
    virtual bool Parse();
    virtual bool SetCommandLine(const char* line);
    virtual ~XParamList();
    virtual void Clear();

private:
    const char* TextOf(const XObject* object) const;
    XString* NewString(const char* text);
    void EmitPair(XObjectList& pairs, XString* key, const char* value);

    char* m_pszCmdLine;
    XObjectArray* m_pArray;
    XObjectList m_strings;
};
