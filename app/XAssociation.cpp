#include "XAssociation.h"

XBool XAssociation::IsEqual(const XObject& other) const { return m_key ? m_key->IsEqual(other) : 0; }
XBool XAssociation::IsLess(const XObject& other) const { return m_key ? m_key->IsLess(other) : 0; }
XTypeId XAssociation::IsA() const { return XID_ASSOCIATION; }
const char* XAssociation::NameOf() const { return "XAssociation"; }
XAssociation::~XAssociation() = default;
XObject* XAssociation::Key() const { return m_key; }
XObject* XAssociation::Value() const { return m_value; }
