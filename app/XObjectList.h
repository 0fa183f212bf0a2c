// A doubly linked list of named nodes, each holding one object. Besides its own operations
// it offers a traversal and a modification interface; iterators are node pointers.
#pragma once
#include "XListNode.h"

typedef XListNode* XListIterator;

class XListTraversal {
public:
    virtual XListIterator Head() const = 0;
    // The object at it; it moves to the following node.
    virtual XObject* Next(XListIterator& it) const = 0;
    // The object at it; it stays.
    virtual XObject* Current(XListIterator it) const = 0;
protected:
    ~XListTraversal() = default;
};

class XListModification {
public:
    virtual XListNode* Append(XObject* object, XBool notOwner, const XString& name) = 0;
    virtual XListNode* Prepend(XObject* object, XBool notOwner, const XString& name) = 0;
    virtual XListNode* InsertSorted(XObject* object, XBool notOwner, const XString& name) = 0;
    virtual XListNode* RemoveHead() = 0;
    virtual XListNode* RemoveTail() = 0;
    virtual XListNode* Remove(XListIterator& it) = 0;
protected:
    ~XListModification() = default;
};

class XObjectList : public XObject, public XListTraversal, public XListModification {
public:
    explicit XObjectList(const XString& name);
    XObjectList(const XObjectList&) = delete;
    XObjectList& operator=(const XObjectList&) = delete;

    XBool IsEqual(const XObject& other) const override;
    XBool IsLess(const XObject& other) const override;
    XTypeId IsA() const override;
    const char* NameOf() const override;
    XBool HasValue() const override;
    short Kind() const override;
    ~XObjectList() override;

    virtual unsigned short GetCount() const;
    // The name of the node at it (null at the end); it moves on as in Next.
    virtual const char* NextName(XListIterator& it) const;
    // The object of the first node whose name equals name, or null.
    virtual XObject* Find(const XString& name) const;
    virtual void RemoveAll();

    XListIterator Head() const override;
    XObject* Next(XListIterator& it) const override;
    XObject* Current(XListIterator it) const override;

    XListNode* Append(XObject* object, XBool notOwner, const XString& name) override;
    XListNode* Prepend(XObject* object, XBool notOwner, const XString& name) override;
    // Ascending by the objects' IsLess; equal objects keep their order of insertion.
    XListNode* InsertSorted(XObject* object, XBool notOwner, const XString& name) override;
    XListNode* RemoveHead() override;
    XListNode* RemoveTail() override;
    XListNode* Remove(XListIterator& it) override;

private:
    void InsertBefore(XListNode* node, XListNode* before);

    XString m_name;
    unsigned short m_count;
    XListNode* m_head;
    XListNode* m_tail;
};
