// A fixed-size array of object pointers with a cursor; deletes its elements unless told not to.
#pragma once
#include "XString.h"

// Cursor moves of Position(), Get() and Put().
enum : int { XPOS_FIRST = 0, XPOS_LAST = 1, XPOS_NEXT = 2, XPOS_PREV = 3 };

class XObjectArray : public XObject {
public:
    XObjectArray(unsigned short size, const char* name, XBool notOwner);
    XObjectArray(const XObjectArray&) = delete;
    XObjectArray& operator=(const XObjectArray&) = delete;

    XBool IsEqual(const XObject& other) const override;
    XBool IsLess(const XObject& other) const override;
    XTypeId IsA() const override;
    const char* NameOf() const override;
    XBool HasValue() const override;
    short Kind() const override;
    ~XObjectArray() override;

    virtual unsigned short GetSize() const;
    virtual XObject* Get(int op);
    virtual XObject* At(unsigned short i) const;
    virtual XObject* Put(int op, XObject* object);
    virtual XObject* SetAt(unsigned short i, XObject* object);
    virtual void RemoveAll(XBool notOwner);
    virtual unsigned short Position(int op);

private:
    XString m_name;
    XObject** m_elements;
    unsigned short m_size;
    unsigned short m_cursor;
    XBool m_notOwner;
};
