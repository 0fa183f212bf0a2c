// A node of XObjectList: a named holder of one object, which it deletes unless told not to.
#pragma once
#include "XString.h"

class XListNode : public XObject {
public:
    XListNode(XObject* object, XBool notOwner, const XString& name);
    XListNode(const XListNode&) = delete;
    XListNode& operator=(const XListNode&) = delete;

    XBool IsEqual(const XObject& other) const override;
    XBool IsLess(const XObject& other) const override;
    XTypeId IsA() const override;
    const char* NameOf() const override;
    XBool HasValue() const override;
    short Kind() const override;
    ~XListNode() override;

    virtual XObject* Object() const;
    virtual void Rebind(XObject* object, XBool notOwner, const XString& name);
    virtual XBool NameEquals(const XString& name) const;
    virtual void Release();

private:
    friend class XObjectList;
    XString m_name;
    XListNode* m_next;
    XListNode* m_prev;
    XObject* m_object;
    XBool m_notOwner;
};
