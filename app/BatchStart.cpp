#include "BatchStart.h"
#include <windows.h>

BatchStart DecideBatchStart(const char* startCommand, bool autoRunSet, const char* systemDir,
                            bool terminalDelegated)
{
    BatchStart start;
    start.creationFlags = terminalDelegated ? CREATE_NO_WINDOW : 0;
    start.commandLine = startCommand;
    // Without the system folder cmd would be searched for, first in the batch's folder.
    if (!autoRunSet || !systemDir || !*systemDir) return start;
    start.application = CString(systemDir) + "\\cmd.exe";
    // cmd drops the first and the last quote of what follows "/c" and runs the rest: the
    // start command exactly, whether it is a plain word or a quoted path.
    start.commandLine = CString("cmd.exe /d /c \"") + startCommand + "\"";
    return start;
}

namespace {

// True when the key holds a non-empty AutoRun text: cmd reads string values only.
bool HasAutoRun(HKEY root, REGSAM view)
{
    HKEY key;
    if (RegOpenKeyExW(root, L"Software\\Microsoft\\Command Processor", 0, KEY_QUERY_VALUE | view, &key) !=
        ERROR_SUCCESS)
        return false;
    DWORD type = 0, size = 0;
    bool set = false;
    if (RegQueryValueExW(key, L"AutoRun", nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ) && size >= sizeof(wchar_t)) {
        std::vector<wchar_t> text(size / sizeof(wchar_t) + 1, L'\0');
        set = RegQueryValueExW(key, L"AutoRun", nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size) ==
                  ERROR_SUCCESS &&
              text[0] != L'\0';
    }
    RegCloseKey(key);
    return set;
}

} // namespace

std::vector<CString> CmdAutoRunValues()
{
    std::vector<CString> found;
    // HKCU\Software is one key for 32- and 64-bit programs; HKLM\Software has two views,
    // and the 32-bit cmd reads the other one.
    if (HasAutoRun(HKEY_CURRENT_USER, 0)) found.push_back("HKCU");
    if (HasAutoRun(HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY)) found.push_back("HKLM (64-bit view)");
    if (HasAutoRun(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY)) found.push_back("HKLM (32-bit view)");
    return found;
}

bool DefaultTerminalDelegated()
{
    wchar_t console[64] = L"";
    DWORD size = sizeof console;
    if (RegGetValueW(HKEY_CURRENT_USER, L"Console\\%%Startup", L"DelegationConsole", RRF_RT_REG_SZ, nullptr, console,
                     &size) != ERROR_SUCCESS)
        return false;
    return _wcsicmp(console, L"{00000000-0000-0000-0000-000000000000}") != 0 &&
           _wcsicmp(console, L"{B23D10C0-E52E-411E-9D5B-C09FDF709C7D}") != 0;   // the console window
}
