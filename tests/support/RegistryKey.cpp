#include "RegistryKey.h"

RegistryKey::RegistryKey(const std::string& path, Scope scope, REGSAM view) : m_path(path), m_scope(scope), m_view(view)
{
    if (scope == OWN_KEY) removeOwnKey();
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &m_key,
                        nullptr) != ERROR_SUCCESS)
        m_key = nullptr;
    else if (scope == SHARED_KEY)
        clearValues();
}

RegistryKey::~RegistryKey()
{
    if (m_scope == SHARED_KEY && m_key) clearValues();
    if (m_key) RegCloseKey(m_key);
    if (m_scope == OWN_KEY) removeOwnKey();
}

// RegDeleteTree knows no view: the key is opened in its view and emptied, then deleted there.
void RegistryKey::removeOwnKey()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, m_path.c_str(), 0, KEY_ALL_ACCESS | m_view, &key) != ERROR_SUCCESS) return;
    RegDeleteTreeA(key, nullptr);
    RegCloseKey(key);
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, m_path.c_str(), m_view, 0);
}

void RegistryKey::clearValues()
{
    char name[256];
    for (DWORD n = sizeof name; RegEnumValueA(m_key, 0, name, &n, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
                                RegDeleteValueA(m_key, name) == ERROR_SUCCESS;
         n = sizeof name) {
    }
}

bool RegistryKey::dword(const wchar_t* name, DWORD value, const wchar_t* subkey)
{
    HKEY key = m_key;
    if (subkey && RegCreateKeyExW(m_key, subkey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                  nullptr) != ERROR_SUCCESS)
        return false;
    LONG result = RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    if (key != m_key)
        RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

bool RegistryKey::text(const wchar_t* name, const std::wstring& value, DWORD type)
{
    return RegSetValueExW(m_key, name, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool RegistryKey::bytes(const wchar_t* name, const std::vector<BYTE>& value)
{
    return RegSetValueExW(m_key, name, 0, REG_BINARY, value.data(), static_cast<DWORD>(value.size())) == ERROR_SUCCESS;
}

bool RegistryKey::dword(const char* name, DWORD value)
{
    return RegSetValueExA(m_key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) ==
           ERROR_SUCCESS;
}

bool RegistryKey::text(const char* name, const std::string& value)
{
    return RegSetValueExA(m_key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

bool RegistryKey::remove(const char* name) { return RegDeleteValueA(m_key, name) == ERROR_SUCCESS; }
