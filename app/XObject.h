// Root of the small container family that reads the command line. Every object tells its
// class by a 16-bit type identifier; booleans, sizes and indexes of the family are 16 bits.
#pragma once

typedef short XBool;            // 0 or 1
typedef unsigned short XTypeId;

// Type identifiers answered by IsA().
enum : XTypeId {
    XID_OBJECT = 0,
    XID_STRING = 3,
    XID_ASSOCIATION = 15,
    XID_OBJECTARRAY = 16,
    XID_LISTNODE = 265,
    XID_OBJECTLIST = 266,
    XID_STRING_RESERVED1 = 267, // further string-like classes; none exists
    XID_STRING_RESERVED2 = 268,
};

// Kind(): a simple object or a container.
enum : short { XKIND_SIMPLE = 1, XKIND_CONTAINER = 2 };

class XObject {
public:
    XObject() = default;
    virtual XBool IsEqual(const XObject& other) const;
    virtual XBool IsLess(const XObject& other) const;
    virtual XTypeId IsA() const;
    virtual const char* NameOf() const;
    virtual XBool HasValue() const;
    virtual short Kind() const;
    virtual ~XObject();
};
