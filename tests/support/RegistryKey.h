// A registry key under HKEY_LOCAL_MACHINE that a test fills value by value. A key of the
// test's own is removed with its subkeys afterwards; a shared key (the application's
// settings key) stays, only its values go, before the test and after it. The view is the
// test program's own unless one is named (KEY_WOW64_32KEY: the WOW6432Node view that 32-bit
// programs read under HKLM\Software).
#pragma once
#include <windows.h>
#include <string>
#include <vector>

class RegistryKey {
public:
    enum Scope { OWN_KEY, SHARED_KEY };
    explicit RegistryKey(const std::string& path, Scope scope = OWN_KEY, REGSAM view = 0);  // emptied first
    ~RegistryKey();
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    bool ok() const { return m_key != nullptr; }
    const char* path() const { return m_path.c_str(); }
    bool dword(const wchar_t* name, DWORD value, const wchar_t* subkey = nullptr);
    bool text(const wchar_t* name, const std::wstring& value, DWORD type = REG_SZ);
    bool bytes(const wchar_t* name, const std::vector<BYTE>& value);
    // The same through the ANSI calls. Each setter answers whether the registry took it.
    bool dword(const char* name, DWORD value);
    bool text(const char* name, const std::string& value);
    bool remove(const char* name);

private:
    void clearValues();
    void removeOwnKey();

    std::string m_path;
    Scope m_scope;
    REGSAM m_view;
    HKEY m_key = nullptr;
};
