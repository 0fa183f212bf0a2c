// A registry key of the test's own under HKEY_LOCAL_MACHINE, filled value by value and
// removed with its subkeys afterwards.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

class RegistryKey {
public:
    explicit RegistryKey(const std::string& path);  // emptied first if it exists
    ~RegistryKey();
    bool ok() const { return m_key != nullptr; }
    const char* path() const { return m_path.c_str(); }
    void dword(const wchar_t* name, DWORD value, const wchar_t* subkey = nullptr);
    void text(const wchar_t* name, const std::wstring& value, DWORD type = REG_SZ);
    void bytes(const wchar_t* name, const std::vector<BYTE>& value);

private:
    std::string m_path;
    HKEY m_key = nullptr;
};
