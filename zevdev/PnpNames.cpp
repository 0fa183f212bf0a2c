#include "PnpNames.h"
#include "HexText.h"
#include <windows.h>
#include <cfgmgr32.h>

namespace zevdev {

namespace {

#define ZV_NAME(code) {code, #code}

struct CodeName {
    unsigned long code;
    const char* name;
};

const CodeName CONFIGRET_NAMES[] = {
    ZV_NAME(CR_SUCCESS), ZV_NAME(CR_DEFAULT), ZV_NAME(CR_OUT_OF_MEMORY), ZV_NAME(CR_INVALID_POINTER),
    ZV_NAME(CR_INVALID_FLAG), ZV_NAME(CR_INVALID_DEVNODE), ZV_NAME(CR_INVALID_RES_DES),
    ZV_NAME(CR_INVALID_LOG_CONF), ZV_NAME(CR_INVALID_ARBITRATOR), ZV_NAME(CR_INVALID_NODELIST),
    ZV_NAME(CR_DEVNODE_HAS_REQS), ZV_NAME(CR_INVALID_RESOURCEID), ZV_NAME(CR_DLVXD_NOT_FOUND),
    ZV_NAME(CR_NO_SUCH_DEVNODE), ZV_NAME(CR_NO_MORE_LOG_CONF), ZV_NAME(CR_NO_MORE_RES_DES),
    ZV_NAME(CR_ALREADY_SUCH_DEVNODE), ZV_NAME(CR_INVALID_RANGE_LIST), ZV_NAME(CR_INVALID_RANGE),
    ZV_NAME(CR_FAILURE), ZV_NAME(CR_NO_SUCH_LOGICAL_DEV), ZV_NAME(CR_CREATE_BLOCKED),
    ZV_NAME(CR_NOT_SYSTEM_VM), ZV_NAME(CR_REMOVE_VETOED), ZV_NAME(CR_APM_VETOED),
    ZV_NAME(CR_INVALID_LOAD_TYPE), ZV_NAME(CR_BUFFER_SMALL), ZV_NAME(CR_NO_ARBITRATOR),
    ZV_NAME(CR_NO_REGISTRY_HANDLE), ZV_NAME(CR_REGISTRY_ERROR), ZV_NAME(CR_INVALID_DEVICE_ID),
    ZV_NAME(CR_INVALID_DATA), ZV_NAME(CR_INVALID_API), ZV_NAME(CR_DEVLOADER_NOT_READY),
    ZV_NAME(CR_NEED_RESTART), ZV_NAME(CR_NO_MORE_HW_PROFILES), ZV_NAME(CR_DEVICE_NOT_THERE),
    ZV_NAME(CR_NO_SUCH_VALUE), ZV_NAME(CR_WRONG_TYPE), ZV_NAME(CR_INVALID_PRIORITY),
    ZV_NAME(CR_NOT_DISABLEABLE), ZV_NAME(CR_FREE_RESOURCES), ZV_NAME(CR_QUERY_VETOED),
    ZV_NAME(CR_CANT_SHARE_IRQ), ZV_NAME(CR_NO_DEPENDENT), ZV_NAME(CR_SAME_RESOURCES),
    ZV_NAME(CR_NO_SUCH_REGISTRY_KEY), ZV_NAME(CR_INVALID_MACHINENAME), ZV_NAME(CR_REMOTE_COMM_FAILURE),
    ZV_NAME(CR_MACHINE_UNAVAILABLE), ZV_NAME(CR_NO_CM_SERVICES), ZV_NAME(CR_ACCESS_DENIED),
    ZV_NAME(CR_CALL_NOT_IMPLEMENTED), ZV_NAME(CR_INVALID_PROPERTY), ZV_NAME(CR_DEVICE_INTERFACE_ACTIVE),
    ZV_NAME(CR_NO_SUCH_DEVICE_INTERFACE), ZV_NAME(CR_INVALID_REFERENCE_STRING),
    ZV_NAME(CR_INVALID_CONFLICT_LIST), ZV_NAME(CR_INVALID_INDEX), ZV_NAME(CR_INVALID_STRUCTURE_SIZE),
};

const CodeName VETO_NAMES[] = {
    ZV_NAME(PNP_VetoTypeUnknown), ZV_NAME(PNP_VetoLegacyDevice), ZV_NAME(PNP_VetoPendingClose),
    ZV_NAME(PNP_VetoWindowsApp), ZV_NAME(PNP_VetoWindowsService), ZV_NAME(PNP_VetoOutstandingOpen),
    ZV_NAME(PNP_VetoDevice), ZV_NAME(PNP_VetoDriver), ZV_NAME(PNP_VetoIllegalDeviceRequest),
    ZV_NAME(PNP_VetoInsufficientPower), ZV_NAME(PNP_VetoNonDisableable), ZV_NAME(PNP_VetoLegacyDriver),
    ZV_NAME(PNP_VetoInsufficientRights), ZV_NAME(PNP_VetoAlreadyRemoved),
};

#undef ZV_NAME

template <size_t N>
std::string Lookup(const CodeName (&table)[N], unsigned long code, const char* prefix)
{
    for (const CodeName& entry : table)
        if (entry.code == code) return entry.name;
    return std::string(prefix) + "0x" + HexText(code, 8, true);
}

} // namespace

std::string ConfigRetName(unsigned long configRet) { return Lookup(CONFIGRET_NAMES, configRet, "CR_"); }

std::string VetoTypeName(int vetoType)
{
    return Lookup(VETO_NAMES, static_cast<unsigned long>(vetoType), "PNP_Veto_");
}

} // namespace zevdev
