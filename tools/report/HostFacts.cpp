#include "HostFacts.h"
#include "DeviceChoice.h"
#include <windows.h>
#include <cstdio>
#include <cstring>

namespace report {

namespace {

// Text from and for the system stays wide (the W calls); it becomes UTF-8 only as a fact of
// the page, and text of the device library (ANSI) becomes wide first.
std::string Utf8(const wchar_t* text, int length = -1)
{
    int n = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return std::string();
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, &out[0], n, nullptr, nullptr);
    if (length == -1) out.resize(static_cast<size_t>(n - 1));
    return out;
}

std::string Utf8(const std::wstring& text) { return Utf8(text.c_str(), static_cast<int>(text.size())); }

std::wstring Wide(const std::string& text, UINT codePage)
{
    int n = MultiByteToWideChar(codePage, 0, text.c_str(), -1, nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, text.c_str(), -1, &out[0], n);
    out.resize(static_cast<size_t>(n - 1));
    return out;
}

// The device library's texts are in the ANSI code page; the page is UTF-8.
std::string FromAnsi(const std::string& text) { return Utf8(Wide(text, CP_ACP)); }

std::wstring Env(const wchar_t* name)
{
    DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0) return std::wstring();
    std::wstring value(size, L'\0');
    DWORD n = GetEnvironmentVariableW(name, &value[0], size);
    value.resize(n < size ? n : 0);
    return value;
}

std::wstring PathForm(const std::wstring& path, bool shortForm)
{
    if (path.empty()) return std::wstring();
    wchar_t buffer[32768];
    DWORD n = shortForm ? GetShortPathNameW(path.c_str(), buffer, 32768) : GetLongPathNameW(path.c_str(), buffer, 32768);
    return n == 0 || n >= 32768 ? std::wstring() : std::wstring(buffer, n);
}

std::string RegistryText(HKEY key, const wchar_t* sub, const wchar_t* name)
{
    wchar_t buffer[256] = L"";
    DWORD size = sizeof buffer - sizeof(wchar_t), type = 0;
    if (RegGetValueW(key, sub, name, RRF_RT_REG_SZ | RRF_RT_REG_DWORD, &type, buffer, &size) != ERROR_SUCCESS)
        return std::string();
    if (type == REG_DWORD) {
        DWORD number = 0;
        memcpy(&number, buffer, sizeof number);
        return std::to_string(number);
    }
    return Utf8(buffer);
}

void WindowsFacts(ReportFacts& f)
{
    // GetVersionEx answers what the manifest claims; ntdll tells the truth.
    typedef LONG(WINAPI * RtlGetVersionFn)(OSVERSIONINFOW*);
    OSVERSIONINFOW v = {};
    v.dwOSVersionInfoSize = sizeof v;
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    auto getVersion = ntdll ? reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion"))) : nullptr;
    if (getVersion) getVersion(&v);
    const wchar_t* cv = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
    std::string ubr = RegistryText(HKEY_LOCAL_MACHINE, cv, L"UBR");
    f.windowsVersion = std::to_string(v.dwMajorVersion) + "." + std::to_string(v.dwMinorVersion) + "." +
                       std::to_string(v.dwBuildNumber) + (ubr.empty() ? std::string() : "." + ubr);
    f.windowsName = RegistryText(HKEY_LOCAL_MACHINE, cv, L"ProductName");
    std::string display = RegistryText(HKEY_LOCAL_MACHINE, cv, L"DisplayVersion");
    if (!display.empty()) f.windowsName += " " + display;

    f.program64 = sizeof(void*) == 8;
    BOOL wow = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow);
    f.windows64 = f.program64 || wow;
    f.ansiCodePage = GetACP();
    f.oemCodePage = GetOEMCP();
    f.consoleCodePage = GetConsoleOutputCP();
}

std::string HexBytes(const BYTE* data, DWORD size)
{
    std::string out;
    char two[4];
    for (DWORD i = 0; i < size && i < 64; ++i) {
        snprintf(two, sizeof two, "%02X", data[i]);
        out += two;
    }
    if (size > 64) out += "...";
    return out;
}

// names: the values shown; empty: all of them.
SettingsView ReadView(const std::string& label, const std::wstring& key, REGSAM view, HKEY hive = HKEY_LOCAL_MACHINE,
                      std::vector<std::string> names = {})
{
    SettingsView s;
    s.label = label;
    s.hive = hive == HKEY_LOCAL_MACHINE ? "HKLM" : "HKCU";
    s.key = Utf8(key);
    HKEY h;
    if (RegOpenKeyExW(hive, key.c_str(), 0, KEY_READ | view, &h) != ERROR_SUCCESS)
        return s;
    s.found = true;
    for (DWORD i = 0;; ++i) {
        wchar_t name[16384];
        DWORD nameLength = 16384, type = 0, size = 0;
        if (RegEnumValueW(h, i, name, &nameLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
        std::vector<BYTE> data(size + sizeof(wchar_t) * 2, 0);
        nameLength = 16384;
        if (RegEnumValueW(h, i, name, &nameLength, nullptr, &type, data.data(), &size) != ERROR_SUCCESS) break;
        RegistryValue v;
        v.name = Utf8(name, static_cast<int>(nameLength));
        v.type = type;
        if (type == REG_DWORD && size >= 4) memcpy(&v.number, data.data(), 4);
        else if (type == REG_SZ || type == REG_EXPAND_SZ) v.text = v.expanded = Utf8(reinterpret_cast<wchar_t*>(data.data()));
        else v.text = HexBytes(data.data(), size);
        bool wanted = names.empty();
        for (const std::string& n : names) wanted = wanted || _stricmp(n.c_str(), v.name.c_str()) == 0;
        if (wanted) s.values.push_back(v);
    }
    RegCloseKey(h);
    return s;
}

std::string Modified(const FILETIME& written)
{
    FILETIME local;
    SYSTEMTIME t;
    if (!FileTimeToLocalFileTime(&written, &local) || !FileTimeToSystemTime(&local, &t)) return std::string();
    char buffer[32];
    snprintf(buffer, sizeof buffer, "%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
             t.wSecond);
    return buffer;
}

std::string FileVersion(const std::wstring& path)
{
    DWORD ignored = 0, size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return std::string();
    std::vector<BYTE> data(size);
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data()) ||
        !VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info)
        return std::string();
    return std::to_string(HIWORD(info->dwFileVersionMS)) + "." + std::to_string(LOWORD(info->dwFileVersionMS)) + "." +
           std::to_string(HIWORD(info->dwFileVersionLS)) + "." + std::to_string(LOWORD(info->dwFileVersionLS));
}

bool DriveIsRemote(char letter)
{
    wchar_t root[] = {static_cast<wchar_t>(letter), L':', L'\\', 0};
    return GetDriveTypeW(root) == DRIVE_REMOTE;
}

// The shell settings that change how cmd runs the batch: AutoRun commands (both hives and
// views), the console's code page (all consoles, cmd's own), the default terminal.
void ShellFacts(ReportFacts& f)
{
    const wchar_t* processor = L"Software\\Microsoft\\Command Processor";
    f.shell.push_back(ReadView("AutoRun, 64-bit view", processor, KEY_WOW64_64KEY, HKEY_LOCAL_MACHINE, {"AutoRun"}));
    if (f.windows64)
        f.shell.push_back(ReadView("AutoRun, 32-bit view", processor, KEY_WOW64_32KEY, HKEY_LOCAL_MACHINE, {"AutoRun"}));
    f.shell.push_back(ReadView("AutoRun", processor, 0, HKEY_CURRENT_USER, {"AutoRun"}));
    f.shell.push_back(ReadView("code page of new consoles", L"Console", 0, HKEY_CURRENT_USER, {"CodePage"}));
    f.shell.push_back(ReadView("code page of cmd's console", L"Console\\%SystemRoot%_System32_cmd.exe", 0,
                               HKEY_CURRENT_USER, {"CodePage"}));
    f.shell.push_back(ReadView("default terminal", L"Console\\%%Startup", 0, HKEY_CURRENT_USER,
                               {"DelegationConsole", "DelegationTerminal"}));

    DWORD setting = 0, size = sizeof setting;
    f.shortNameSettingFound =
        RegGetValueW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\FileSystem",
                     L"NtfsDisable8dot3NameCreation", RRF_RT_REG_DWORD, nullptr, &setting, &size) == ERROR_SUCCESS;
    f.shortNameSetting = setting;
}

FileFacts Facts(const std::wstring& path)
{
    FileFacts f;
    f.path = Utf8(path);
    // A share of a PC off the network blocks every call for half a minute: not even asked.
    f.network = IsNetworkPath(f.path, DriveIsRemote);
    if (f.network) return f;
    WIN32_FILE_ATTRIBUTE_DATA a;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &a) || (a.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return f;
    f.exists = true;
    f.size = (static_cast<unsigned long long>(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
    f.modified = Modified(a.ftLastWriteTime);
    f.version = FileVersion(path);
    return f;
}

// The files whose names start with base's file name in its folder: the log, the pieces
// the logger appends (process id, program name) and the redirected standard streams.
void LogFilesAt(const std::wstring& wide, std::vector<FileFacts>& files)
{
    size_t slash = wide.find_last_of(L'\\');
    std::wstring folder = slash == std::wstring::npos ? std::wstring(L".") : wide.substr(0, slash);
    // Both registry views often name the same files: each is listed once.
    auto add = [&files](const std::wstring& path) {
        FileFacts f = Facts(path);
        for (const FileFacts& known : files)
            if (_stricmp(known.path.c_str(), f.path.c_str()) == 0) return;
        files.push_back(f);
    };
    if (IsNetworkPath(Utf8(wide), DriveIsRemote)) {
        add(wide);   // shown, not opened
        return;
    }
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW((wide + L"*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) {
        add(wide);   // shown as missing
        return;
    }
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) add(folder + L"\\" + found.cFileName);
    } while (FindNextFileW(h, &found));
    FindClose(h);
}

// The process's environment for the store's %NAME% rule, in UTF-8.
bool EnvUtf8(const std::string& name, std::string& value)
{
    std::wstring wide = Env(Wide(name, CP_UTF8).c_str());
    if (wide.empty()) return false;
    value = Utf8(wide);
    return true;
}

bool NamesAFolder(const std::string& path)
{
    if (path.empty() || IsNetworkPath(path, DriveIsRemote)) return false;
    DWORD attributes = GetFileAttributesW(Wide(path, CP_UTF8).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The log files the logger writes with these settings, found through its own path rule: the
// store ZVCRYPT_LOG_CONF names first, then the application's key where its LogLevel is not
// 0. A program reads the view of its own bitness: each view is followed.
void LogFacts(ReportFacts& f, const SettingsView* conf)
{
    zvcrypt::EnvLookup env = EnvUtf8;
    for (SettingsView& view : f.settings)
        for (RegistryValue& v : view.values)
            if (v.type == REG_SZ) v.expanded = zvcrypt::expandFirstVariable(v.text, env);

    auto follow = [&f, &env](const zvcrypt::LogFilePath& start, const zvcrypt::LogPathSettings& s) {
        zvcrypt::LogFilePath path = zvcrypt::zvLogFilePath(start, s, env);
        if (s.mLogPath.mbPresent) {
            std::string named = s.mLogPath.mbExpand ? zvcrypt::expandFirstVariable(s.mLogPath.mText, env) : s.mLogPath.mText;
            if (NamesAFolder(named)) f.logFolders.push_back(named);
        }
        LogFilesAt(Wide(path.base(), CP_UTF8), f.logFiles);
        return path;
    };
    zvcrypt::LogFilePath start = zvcrypt::zvDefaultLogPath(env);
    zvcrypt::LogPathSettings confSettings;
    if (conf && conf->found) {
        confSettings = LogSettingsOf(conf->values, false, false);
        start = zvcrypt::zvLogFilePath(start, confSettings, env);
    }
    bool applied = false;
    for (const SettingsView& view : f.settings) {
        if (&view == conf || !view.found) continue;
        const RegistryValue* level = nullptr;
        for (const RegistryValue& v : view.values)
            if (_stricmp(v.name.c_str(), "LogLevel") == 0) level = &v;
        if (!level || level->type != REG_DWORD || level->number == 0) continue;
        zvcrypt::LogPathSettings s = LogSettingsOf(view.values, confSettings.mbAppendPid, confSettings.mbAppendProcName);
        follow(start, s);
        applied = true;
    }
    if (!applied) {
        if (conf && conf->found) follow(zvcrypt::zvDefaultLogPath(env), confSettings);
        else LogFilesAt(Wide(start.base(), CP_UTF8), f.logFiles);
    }
}

} // namespace

ReportFacts GatherHostFacts(const std::wstring& programFolder, zevdev::DeviceTree& tree)
{
    ReportFacts f;
    f.reportVersion = ZV_REPORT_VERSION;
    WindowsFacts(f);

    std::wstring temp = Env(L"Temp");
    f.tempVariable = Utf8(temp);
    f.tempLong = Utf8(PathForm(temp, false));
    f.tempShort = Utf8(PathForm(temp, true));
    f.userProfile = Utf8(Env(L"USERPROFILE"));
    wchar_t windows[MAX_PATH] = L"";
    UINT n = GetWindowsDirectoryW(windows, MAX_PATH);
    f.tempOnSystemVolume = n > 0 && n < MAX_PATH && temp.size() >= 2 && towupper(temp[0]) == towupper(windows[0]) &&
                           temp[1] == L':';
    std::wstring logConf = Env(L"ZVCRYPT_LOG_CONF");
    f.logConfVariable = Utf8(logConf);

    // A 32-bit program on 64-bit Windows reads the WOW6432Node twin: both are shown.
    std::wstring settingsKey = Wide(SETTINGS_KEY, CP_UTF8);
    f.settings.push_back(ReadView("64-bit programs' view", settingsKey, KEY_WOW64_64KEY));
    if (f.windows64)
        f.settings.push_back(ReadView("32-bit programs' view (WOW6432Node)", settingsKey, KEY_WOW64_32KEY));
    if (!logConf.empty())
        f.settings.push_back(
            ReadView("named by ZVCRYPT_LOG_CONF", logConf, f.program64 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY));
    LogFacts(f, logConf.empty() ? nullptr : &f.settings.back());

    ShellFacts(f);

    std::vector<zevdev::DeviceNode> nodes;
    std::string error;
    if (!tree.enumerate(nodes, error)) f.deviceError = FromAnsi(error);
    for (const char* pattern : TOKEN_PATTERNS) {
        std::string matched;
        for (const zevdev::DeviceNode& node : nodes) {
            if (!zevdev::MatchDevice(node, pattern, matched)) continue;
            DeviceFacts d;
            d.pattern = pattern;
            d.instanceId = FromAnsi(node.instanceId);
            d.hardwareId = FromAnsi(matched);
            d.description = FromAnsi(node.description);
            d.parentId = FromAnsi(node.parentId);
            f.devices.push_back(d);
        }
    }

    f.packageFolder = Utf8(programFolder);
    for (const char* name : PACKAGE_FILE_NAMES)
        f.packageFiles.push_back(Facts(programFolder + L"\\" + Wide(name, CP_UTF8)));
    return f;
}

} // namespace report
