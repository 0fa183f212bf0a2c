#include "RegistryKey.h"

RegistryKey::RegistryKey(const std::string& path) : m_path(path)
{
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, path.c_str());
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &m_key, nullptr) != ERROR_SUCCESS)
        m_key = nullptr;
}

RegistryKey::~RegistryKey()
{
    if (m_key)
        RegCloseKey(m_key);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, m_path.c_str());
}

void RegistryKey::dword(const wchar_t* name, DWORD value, const wchar_t* subkey)
{
    HKEY key = m_key;
    if (subkey && RegCreateKeyExW(m_key, subkey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                  nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    if (key != m_key)
        RegCloseKey(key);
}

void RegistryKey::text(const wchar_t* name, const std::wstring& value, DWORD type)
{
    RegSetValueExW(m_key, name, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void RegistryKey::bytes(const wchar_t* name, const std::vector<BYTE>& value)
{
    RegSetValueExW(m_key, name, 0, REG_BINARY, value.data(), static_cast<DWORD>(value.size()));
}
