#include "SystemDeviceTree.h"
#include "DeviceChoice.h"
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

// A registry property as wide texts: one for REG_SZ, the list for REG_MULTI_SZ. (A vector,
// not std::wstring: the wide string class alone would cost the DLL kilobytes.)
std::vector<std::string> Property(HDEVINFO set, SP_DEVINFO_DATA& data, DWORD property)
{
    std::vector<wchar_t> value(256);
    std::vector<std::string> texts;
    for (int attempt = 0; attempt < 2; ++attempt) {
        DWORD type = 0, needed = 0;
        // Two characters stay zero behind what Windows writes: the list is always terminated.
        DWORD bytes = static_cast<DWORD>((value.size() - 2) * sizeof(wchar_t));
        if (SetupDiGetDeviceRegistryPropertyW(set, &data, property, &type, reinterpret_cast<BYTE*>(value.data()), bytes,
                                              &needed)) {
            for (const wchar_t* at = value.data(); *at; at += wcslen(at) + 1) texts.push_back(Narrow(at));
            return texts;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
        value.assign(needed / sizeof(wchar_t) + 4, L'\0');
    }
    return texts;
}

// A vector, not std::wstring (see Property).
std::vector<wchar_t> Wide(const std::string& text)
{
    int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::vector<wchar_t> out(n > 0 ? static_cast<size_t>(n) : 1, L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, out.data(), n);
    return out;
}

std::string DeviceId(DEVINST devInst)
{
    wchar_t id[MAX_DEVICE_ID_LEN + 1] = L"";
    if (CM_Get_Device_IDW(devInst, id, MAX_DEVICE_ID_LEN, 0) != CR_SUCCESS) return std::string();
    return Narrow(id);
}

} // namespace

bool SystemDeviceTree::enumerate(const DeviceQuery& query, std::vector<DeviceNode>& nodes, std::string& error)
{
    nodes.clear();
    std::vector<wchar_t> enumerator = Wide(query.enumerator);
    HDEVINFO set = SetupDiGetClassDevsW(nullptr, query.enumerator.empty() ? nullptr : enumerator.data(), nullptr,
                                        DIGCF_ALLCLASSES | DIGCF_PRESENT);
    if (set == INVALID_HANDLE_VALUE) {
        DWORD last = GetLastError();
        // No device of that enumerator has ever been installed: an empty list, not a fault.
        if (!query.enumerator.empty() && last == ERROR_INVALID_DATA) return true;
        error = "SetupDiGetClassDevs failed, error " + std::to_string(last);
        return false;
    }
    SP_DEVINFO_DATA data = {};
    data.cbSize = sizeof data;
    DWORD index = 0;
    std::string matched;
    for (; SetupDiEnumDeviceInfo(set, index, &data); ++index) {
        DeviceNode node;
        node.devInst = data.DevInst;
        wchar_t id[MAX_DEVICE_ID_LEN + 1] = L"";
        if (SetupDiGetDeviceInstanceIdW(set, &data, id, MAX_DEVICE_ID_LEN, nullptr)) node.instanceId = Narrow(id);
        node.hardwareIds = Property(set, data, SPDRP_HARDWAREID);
        // The description only where it is shown: two property reads saved on every other device.
        if (MatchDevice(node, query.described, matched)) {
            std::vector<std::string> name = Property(set, data, SPDRP_FRIENDLYNAME);
            if (name.empty()) name = Property(set, data, SPDRP_DEVICEDESC);
            if (!name.empty()) node.description = name[0];
        }
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
