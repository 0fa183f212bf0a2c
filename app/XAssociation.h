// A key/value pair of objects; the pair owns neither of them.
#pragma once
#include "XObject.h"

class XAssociation : public XObject {
public:
    XAssociation(XObject* key, XObject* value) : m_key(key), m_value(value) {}

    XBool IsEqual(const XObject& other) const override;
    XBool IsLess(const XObject& other) const override;
    XTypeId IsA() const override;
    const char* NameOf() const override;
    ~XAssociation() override;

    virtual XObject* Key() const;
    virtual XObject* Value() const;

private:
    XObject* m_key;
    XObject* m_value;
};
