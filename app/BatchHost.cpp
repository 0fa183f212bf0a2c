#include "BatchHost.h"
#include <windows.h>
#include <string>

unsigned int SystemBatchHost::AnsiCodePage() const { return GetACP(); }

unsigned int SystemBatchHost::OemCodePage() const { return GetOEMCP(); }

CString SystemBatchHost::ShortPath(const char* path) const
{
    // Through the wide call: the short name itself may hold characters of any code page.
    std::wstring wide;
    if (!AnsiToWide(path, CP_ACP, &wide) || wide.empty()) return CString();
    DWORD n = GetShortPathNameW(wide.c_str(), nullptr, 0);
    if (n == 0) return CString();
    std::wstring shortPath(n, L'\0');
    DWORD got = GetShortPathNameW(wide.c_str(), &shortPath[0], n);
    if (got == 0 || got >= n) return CString();
    shortPath.resize(got);
    CString ansi;
    return WideToCodePage(shortPath, CP_ACP, &ansi) ? ansi : CString();
}

namespace {

// A REG_DWORD value; 0 when the key or the value is missing or of another type.
unsigned int DwordValue(HKEY root, const wchar_t* key, const wchar_t* name, REGSAM view = 0)
{
    HKEY handle;
    if (RegOpenKeyExW(root, key, 0, KEY_QUERY_VALUE | view, &handle) != ERROR_SUCCESS) return 0;
    DWORD type = 0, value = 0, size = sizeof value;
    LONG rc = RegQueryValueExW(handle, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(handle);
    return rc == ERROR_SUCCESS && type == REG_DWORD ? value : 0;
}

bool ValueExists(HKEY root, const wchar_t* key, const wchar_t* name, REGSAM view)
{
    HKEY handle;
    if (RegOpenKeyExW(root, key, 0, KEY_QUERY_VALUE | view, &handle) != ERROR_SUCCESS) return false;
    DWORD size = 0;
    LONG rc = RegQueryValueExW(handle, name, nullptr, nullptr, nullptr, &size);
    RegCloseKey(handle);
    return rc == ERROR_SUCCESS && size > sizeof(wchar_t);   // an empty text runs nothing
}

} // namespace

ConsoleCodePageSettings SystemBatchHost::ConsoleSettings() const
{
    ConsoleCodePageSettings settings;
    settings.oemCodePage = GetOEMCP();
    settings.consoleValue = DwordValue(HKEY_CURRENT_USER, L"Console", L"CodePage");
    // A console's per-program key is named after its title, cmd's path with "_" for "\".
    // Which cmd runs the batch depends on the bitness: a value of either one counts, one
    // that differs from the OEM code page first.
    for (const wchar_t* key : {L"Console\\%SystemRoot%_System32_cmd.exe", L"Console\\%SystemRoot%_SysWOW64_cmd.exe"}) {
        unsigned int value = DwordValue(HKEY_CURRENT_USER, key, L"CodePage");
        if (value && (!settings.cmdValue || settings.cmdValue == settings.oemCodePage)) settings.cmdValue = value;
    }
    const wchar_t* processor = L"Software\\Microsoft\\Command Processor";
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
        for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY})
            if (ValueExists(root, processor, L"AutoRun", view)) settings.autoRun = true;
    return settings;
}

bool SystemBatchHost::HoldsCommand(const char* folder, const char* name) const
{
    // "attrib.*" also finds "attrib" itself; any extension counts, whatever PATHEXT says.
    CString pattern;
    pattern.Format("%s\\%s.*", folder, name);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
        return true;
    }
    CString bare;
    bare.Format("%s\\%s", folder, name);
    return GetFileAttributesA(bare) != INVALID_FILE_ATTRIBUTES;
}

const char* const NO_CURRENT_DIRECTORY_SEARCH = "NoDefaultCurrentDirectoryInExePath";

