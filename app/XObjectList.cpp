#include "XObjectList.h"
#include <new>

XObjectList::XObjectList(const XString& name)
    : m_name(name), m_count(0), m_head(nullptr), m_tail(nullptr)
{
}

XObjectList::~XObjectList()
{
    RemoveAll();
}

XBool XObjectList::IsEqual(const XObject&) const { return 0; }
XBool XObjectList::IsLess(const XObject&) const { return 0; }
XTypeId XObjectList::IsA() const { return XID_OBJECTLIST; }
const char* XObjectList::NameOf() const { return m_name.GetData(); }
XBool XObjectList::HasValue() const { return 1; }
short XObjectList::Kind() const { return XKIND_CONTAINER; }
unsigned short XObjectList::GetCount() const { return m_count; }

const char* XObjectList::NextName(XListIterator& it) const
{
    if (!it) return nullptr;
    const char* name = it->NameOf();
    it = it->m_next;
    return name;
}

XObject* XObjectList::Find(const XString& name) const
{
    for (XListNode* node = m_head; node; node = node->m_next)
        if (node->NameEquals(name)) return node->Object();
    return nullptr;
}

void XObjectList::RemoveAll()
{
    if (m_count == 0 && !m_head) return;
    XListNode* node = m_head;
    while (node) {
        XListNode* next = node->m_next;
        delete node;
        node = next;
    }
    m_count = 0;
    m_head = m_tail = nullptr;
}

XListIterator XObjectList::Head() const { return m_head; }

XObject* XObjectList::Next(XListIterator& it) const
{
    if (!it) return nullptr;
    XObject* object = it->Object();
    it = it->m_next;
    return object;
}

XObject* XObjectList::Current(XListIterator it) const
{
    return it ? it->Object() : nullptr;
}

XListNode* XObjectList::Append(XObject* object, XBool notOwner, const XString& name)
{
    XListNode* node = new (std::nothrow) XListNode(object, notOwner, name);
    if (!node) return nullptr;
    node->m_prev = m_tail;
    if (m_tail) m_tail->m_next = node;
    else m_head = node;
    m_tail = node;
    ++m_count;
    return node;
}

XListNode* XObjectList::Prepend(XObject* object, XBool notOwner, const XString& name)
{
    XListNode* node = new (std::nothrow) XListNode(object, notOwner, name);
    if (!node) return nullptr;
    InsertBefore(node, m_head);
    return node;
}

XListNode* XObjectList::InsertSorted(XObject* object, XBool notOwner, const XString& name)
{
    if (!m_head || !object) return Append(object, notOwner, name);
    XListNode* before = m_head;
    while (before && !(before->Object() && object->IsLess(*before->Object())))
        before = before->m_next;
    if (!before) return Append(object, notOwner, name);
    XListNode* node = new (std::nothrow) XListNode(object, notOwner, name);
    if (!node) return nullptr;
    InsertBefore(node, before);
    return node;
}

void XObjectList::InsertBefore(XListNode* node, XListNode* before)
{
    if (!before) { // empty list
        m_head = m_tail = node;
        ++m_count;
        return;
    }
    node->m_next = before;
    node->m_prev = before->m_prev;
    if (before->m_prev) before->m_prev->m_next = node;
    else m_head = node;
    before->m_prev = node;
    ++m_count;
}

XListNode* XObjectList::RemoveHead()
{
    if (!m_head) return nullptr;
    XListNode* old = m_head;
    m_head = old->m_next;
    if (m_head) m_head->m_prev = nullptr;
    else m_tail = nullptr;
    delete old;
    --m_count;
    return m_head;
}

XListNode* XObjectList::RemoveTail()
{
    if (!m_tail) return nullptr;
    XListNode* old = m_tail;
    m_tail = old->m_prev;
    if (m_tail) m_tail->m_next = nullptr;
    else m_head = nullptr;
    delete old;
    --m_count;
    return m_tail;
}

XListNode* XObjectList::Remove(XListIterator& it)
{
    if (!it) return nullptr;
    if (it == m_head) return it = RemoveHead();
    if (it == m_tail) return it = RemoveTail();
    XListNode* node = it;
    node->m_prev->m_next = node->m_next;
    node->m_next->m_prev = node->m_prev;
    it = node->m_next ? node->m_next : node->m_prev;
    delete node;
    --m_count;
    return it;
}
