#include "XListNode.h"

XListNode::XListNode(XObject* object, XBool notOwner, const XString& name)
    : m_name(name), m_next(nullptr), m_prev(nullptr), m_object(object), m_notOwner(notOwner)
{
}

XListNode::~XListNode()
{
    Release();
}

XBool XListNode::IsEqual(const XObject& other) const { return m_object ? m_object->IsEqual(other) : 0; }
XBool XListNode::IsLess(const XObject& other) const { return m_name.IsLess(other); }
XTypeId XListNode::IsA() const { return XID_LISTNODE; }
const char* XListNode::NameOf() const { return m_name.GetData(); }
XBool XListNode::HasValue() const { return m_object ? m_object->HasValue() : 0; }
short XListNode::Kind() const { return m_object ? m_object->Kind() : static_cast<short>(XKIND_SIMPLE); }
XObject* XListNode::Object() const { return m_object; }

void XListNode::Rebind(XObject* object, XBool notOwner, const XString& name)
{
    Release();
    m_name = name;
    m_object = object;
    m_notOwner = notOwner;
}

XBool XListNode::NameEquals(const XString& name) const { return m_name.IsEqual(name); }

void XListNode::Release()
{
    if (!m_notOwner && m_object) {
        delete m_object;
        m_object = nullptr;
    }
}
