// A text owned on the heap, with its length counted including the terminating zero.
#pragma once
#include "XObject.h"

class XString : public XObject {
public:
    explicit XString(const char* text = nullptr);
    XString(const XString& other);
    XString& operator=(const XString& other);

    XBool IsEqual(const XObject& other) const override;
    XBool IsLess(const XObject& other) const override;
    XTypeId IsA() const override;
    const char* NameOf() const override;
    ~XString() override;

    virtual unsigned short Hash() const;
    virtual const char* GetData() const;
    // Text length without the terminating zero (0 for the empty text).
    virtual unsigned short GetLength() const;
    // Replaces the text by n bytes of s; false when s is null or no buffer could be had.
    virtual XBool Assign(const char* s, unsigned short n);
    // Copies at most n bytes into target and terminates it at byte n - 1.
    virtual XBool CopyTo(char* target, unsigned short n) const;
    virtual void Hook(void* p);

    // Tells whether an object of this type identifier carries a text.
    static bool IsStringType(XTypeId id);

private:
    unsigned short m_length; // bytes including the terminating zero
    char* m_data;
};
