#include "XObjectArray.h"
#include <new>

XObjectArray::XObjectArray(unsigned short size, const char* name, XBool notOwner)
    : m_name(name), m_elements(new (std::nothrow) XObject*[size ? size : 1]()),
      m_size(m_elements ? size : 0), m_cursor(0), m_notOwner(notOwner)
{
}

XObjectArray::~XObjectArray()
{
    if (m_elements) {
        RemoveAll(m_notOwner);
        delete[] m_elements;
    }
}

XBool XObjectArray::IsEqual(const XObject& other) const
{
    if (other.IsA() == XID_STRING) return m_name.IsEqual(other);
    if (other.IsA() == XID_OBJECTARRAY) return m_name.IsEqual(XString(other.NameOf()));
    return 0;
}

XBool XObjectArray::IsLess(const XObject&) const { return 0; }
XTypeId XObjectArray::IsA() const { return XID_OBJECTARRAY; }
const char* XObjectArray::NameOf() const { return m_name.GetData(); }
XBool XObjectArray::HasValue() const { return 1; }
short XObjectArray::Kind() const { return XKIND_CONTAINER; }
unsigned short XObjectArray::GetSize() const { return m_size; }

XObject* XObjectArray::Get(int op)
{
    Position(op);
    return m_cursor < m_size ? m_elements[m_cursor] : nullptr;
}

XObject* XObjectArray::At(unsigned short i) const
{
    return i < m_size ? m_elements[i] : nullptr;
}

XObject* XObjectArray::Put(int op, XObject* object)
{
    Position(op);
    if (m_cursor >= m_size) return nullptr;
    m_elements[m_cursor] = object;
    return object;
}

XObject* XObjectArray::SetAt(unsigned short i, XObject* object)
{
    if (i >= m_size) return nullptr;
    m_elements[i] = object;
    return object;
}

void XObjectArray::RemoveAll(XBool notOwner)
{
    for (Position(XPOS_FIRST); m_cursor < m_size; Position(XPOS_NEXT)) {
        if (!notOwner) delete m_elements[m_cursor];
        m_elements[m_cursor] = nullptr;
    }
}

unsigned short XObjectArray::Position(int op)
{
    switch (op) {
    case XPOS_FIRST: m_cursor = 0; break;
    case XPOS_LAST: m_cursor = static_cast<unsigned short>(m_size - 1); break;
    case XPOS_NEXT: ++m_cursor; break;
    case XPOS_PREV: --m_cursor; break;
    default: break;
    }
    return m_cursor;
}
