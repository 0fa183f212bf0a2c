// Names of the device manager's result codes and veto types, as reports show them.
#pragma once
#include <string>

namespace zevdev {

// "CR_REMOVE_VETOED", "CR_INVALID_DEVNODE", ...; a code without a name as "CR_0x0000003C".
std::string ConfigRetName(unsigned long configRet);
// "PNP_VetoOutstandingOpen", ...; a type without a name as "PNP_Veto_0x0000000E".
std::string VetoTypeName(int vetoType);

} // namespace zevdev
