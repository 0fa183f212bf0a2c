#include "RegisteredDevice.h"

namespace {
const char ENUM_USB[] = "System\\CurrentControlSet\\Enum\\USB\\";
}

RegisteredDevice::RegisteredDevice(const std::string& device, const std::string& serial,
                                   const std::vector<std::wstring>& hardwareIds, const std::wstring& description)
    : m_deviceKey(ENUM_USB + device)
{
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, m_deviceKey.c_str());  // left over by a test that crashed
    m_key.reset(new RegistryKey(m_deviceKey + "\\" + serial));
    std::wstring ids;
    for (const std::wstring& id : hardwareIds) ids += id + L'\0';
    m_key->text(L"HardwareID", ids, REG_MULTI_SZ);  // the helper adds the list's final terminator
    m_key->text(L"ClassGUID", L"{36fc9e60-c465-11cf-8056-444553540000}");
    m_key->text(L"DeviceDesc", description);
}

RegisteredDevice::~RegisteredDevice()
{
    m_key.reset();
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, m_deviceKey.c_str());
}
