#include "SystemDeviceTree.h"
#include <windows.h>
#include <cfgmgr32.h>
#include <setupapi.h>

namespace zevdev {

namespace {

std::string Narrow(const wchar_t* text)
{
    int n = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) return std::string();
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, &out[0], n, nullptr, nullptr);
    out.resize(static_cast<size_t>(n - 1));
    return out;
}

// A registry property as wide text; REG_MULTI_SZ values keep their inner terminators.
std::wstring Property(HDEVINFO set, SP_DEVINFO_DATA& data, DWORD property)
{
    std::wstring value(256, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        DWORD type = 0, needed = 0;
        DWORD bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
        if (SetupDiGetDeviceRegistryPropertyW(set, &data, property, &type, reinterpret_cast<BYTE*>(&value[0]), bytes,
                                              &needed)) {
            value.resize(needed / sizeof(wchar_t));
            while (!value.empty() && value.back() == L'\0') value.pop_back();
            return value;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
        value.assign(needed / sizeof(wchar_t) + 2, L'\0');
    }
    return std::wstring();
}

std::string DeviceId(DEVINST devInst)
{
    wchar_t id[MAX_DEVICE_ID_LEN + 1] = L"";
    if (CM_Get_Device_IDW(devInst, id, MAX_DEVICE_ID_LEN, 0) != CR_SUCCESS) return std::string();
    return Narrow(id);
}

} // namespace

bool SystemDeviceTree::enumerate(std::vector<DeviceNode>& nodes, std::string& error)
{
    nodes.clear();
    HDEVINFO set = SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES | DIGCF_PRESENT);
    if (set == INVALID_HANDLE_VALUE) {
        error = "SetupDiGetClassDevs failed, error " + std::to_string(GetLastError());
        return false;
    }
    SP_DEVINFO_DATA data = {};
    data.cbSize = sizeof data;
    DWORD index = 0;
    for (; SetupDiEnumDeviceInfo(set, index, &data); ++index) {
        DeviceNode node;
        node.devInst = data.DevInst;
        wchar_t id[MAX_DEVICE_ID_LEN + 1] = L"";
        if (SetupDiGetDeviceInstanceIdW(set, &data, id, MAX_DEVICE_ID_LEN, nullptr)) node.instanceId = Narrow(id);
        std::wstring ids = Property(set, data, SPDRP_HARDWAREID);
        for (size_t at = 0; at < ids.size();) {
            size_t end = ids.find(L'\0', at);
            if (end == std::wstring::npos) end = ids.size();
            if (end > at) node.hardwareIds.push_back(Narrow(ids.substr(at, end - at).c_str()));
            at = end + 1;
        }
        std::wstring name = Property(set, data, SPDRP_FRIENDLYNAME);
        if (name.empty()) name = Property(set, data, SPDRP_DEVICEDESC);
        node.description = Narrow(name.c_str());
        DEVINST parent = 0;
        if (CM_Get_Parent(&parent, data.DevInst, 0) == CR_SUCCESS) node.parentId = DeviceId(parent);
        nodes.push_back(node);
    }
    DWORD last = GetLastError();
    SetupDiDestroyDeviceInfoList(set);
    if (last != ERROR_NO_MORE_ITEMS) {
        error = "SetupDiEnumDeviceInfo stopped at device " + std::to_string(index) + ", error " + std::to_string(last);
        return false;
    }
    return true;
}

EjectAnswer SystemDeviceTree::requestEject(const DeviceNode& node)
{
    EjectAnswer answer;
    PNP_VETO_TYPE vetoType = PNP_VetoTypeUnknown;
    wchar_t vetoName[MAX_PATH + 1] = L"";
    answer.configRet = CM_Request_Device_EjectW(node.devInst, &vetoType, vetoName, MAX_PATH, 0);
    answer.vetoType = vetoType;
    vetoName[MAX_PATH] = L'\0';
    answer.vetoName = Narrow(vetoName);
    return answer;
}

} // namespace zevdev
