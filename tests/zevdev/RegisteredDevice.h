// A USB device in the Wine prefix's device tree (HKLM\System\CurrentControlSet\Enum\USB),
// which Wine's SetupAPI lists as present; removed again, with its device key, afterwards.
#pragma once
#include "RegistryKey.h"
#include <memory>
#include <string>
#include <vector>

class RegisteredDevice {
public:
    RegisteredDevice(const std::string& device, const std::string& serial, const std::vector<std::wstring>& hardwareIds,
                     const std::wstring& description);
    ~RegisteredDevice();
    bool ok() const { return m_key && m_key->ok(); }

private:
    std::string m_deviceKey;
    std::unique_ptr<RegistryKey> m_key;
};
