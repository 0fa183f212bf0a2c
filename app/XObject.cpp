#include "XObject.h"

XBool XObject::IsEqual(const XObject&) const { return 0; }
XBool XObject::IsLess(const XObject&) const { return 0; }
XTypeId XObject::IsA() const { return XID_OBJECT; }
const char* XObject::NameOf() const { return "XObject"; }
XBool XObject::HasValue() const { return 1; }
short XObject::Kind() const { return XKIND_SIMPLE; }
XObject::~XObject() = default;
