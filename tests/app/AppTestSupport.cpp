#include "AppTestSupport.h"
#include <tlhelp32.h>
#include <winternl.h>
#include <cstring>
#include <set>

namespace apptest {

const char* const TOKEN_DRIVE = "V:";

std::string BinDir()
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string p(path, n);
    return p.substr(0, p.find_last_of('\\'));
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsDir(const std::string& path)
{
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool ReadBytes(const std::string& path, std::string& bytes)
{
    bytes.clear();
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    char buf[8192];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got) bytes.append(buf, got);
    CloseHandle(h);
    return true;
}

bool WriteBytes(const std::string& path, const std::string& bytes)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD done = 0;
    BOOL ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
    CloseHandle(h);
    return ok && done == bytes.size();
}

bool CopyInto(const std::string& source, const std::string& target)
{
    return CopyFileA(source.c_str(), target.c_str(), FALSE) != 0;
}

bool MakeDirs(const std::string& path)
{
    if (path.empty() || IsDir(path)) return true;
    size_t slash = path.find_last_of('\\');
    if (slash != std::string::npos && slash > 2) MakeDirs(path.substr(0, slash));
    return CreateDirectoryA(path.c_str(), nullptr) || IsDir(path);
}

std::vector<std::string> ListDir(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        if (strcmp(fd.cFileName, ".") && strcmp(fd.cFileName, "..")) names.push_back(fd.cFileName);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return names;
}

void RemoveTree(const std::string& path)
{
    DWORD a = GetFileAttributesA(path.c_str());
    if (a == INVALID_FILE_ATTRIBUTES) return;
    if (a & FILE_ATTRIBUTE_DIRECTORY) {
        for (const std::string& name : ListDir(path)) RemoveTree(path + "\\" + name);
        RemoveDirectoryA(path.c_str());
    } else {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
    }
}

bool WaitUntil(const std::function<bool()>& cond, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (cond()) return true;
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(20);
    }
}

Environment::Environment()
{
    LPCH block = GetEnvironmentStringsA();
    for (const char* p = block; p && *p; p += strlen(p) + 1) {
        const char* eq = strchr(p + 1, '='); // names may start with '=' (per-drive folders)
        if (!eq) continue;
        m_vars[std::string(p, eq - p)] = eq + 1;
    }
    FreeEnvironmentStringsA(block);
}

void Environment::Set(const std::string& name, const std::string& value)
{
    m_vars.erase(name);
    m_vars[name] = value;
}

void Environment::Remove(const std::string& name) { m_vars.erase(name); }

std::vector<char> Environment::Block() const
{
    std::vector<char> block;
    for (const auto& v : m_vars) {
        std::string entry = v.first + "=" + v.second;
        block.insert(block.end(), entry.begin(), entry.end());
        block.push_back('\0');
    }
    block.push_back('\0');
    return block;
}

HANDLE Launch(const std::string& commandLine, const std::string& workDir, const Environment* env, DWORD* pid,
              WORD showWindow)
{
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    std::vector<char> block;
    if (env) block = env->Block();
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = showWindow;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, env ? block.data() : nullptr,
                        workDir.empty() ? nullptr : workDir.c_str(), &si, &pi))
        return nullptr;
    CloseHandle(pi.hThread);
    if (pid) *pid = pi.dwProcessId;
    return pi.hProcess;
}

std::vector<ProcessInfo> Processes()
{
    std::vector<ProcessInfo> list;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return list;
    PROCESSENTRY32 pe = {};
    pe.dwSize = sizeof pe;
    for (BOOL more = Process32First(snap, &pe); more; more = Process32Next(snap, &pe)) {
        ProcessInfo info = {pe.th32ProcessID, pe.th32ParentProcessID, pe.szExeFile, std::string()};
        HANDLE h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pe.th32ProcessID);
        if (h) {
            char path[MAX_PATH * 2];
            DWORD n = sizeof path;
            if (QueryFullProcessImageNameA(h, 0, path, &n)) info.exePath.assign(path, n);
            CloseHandle(h);
        }
        list.push_back(info);
    }
    CloseHandle(snap);
    return list;
}

std::vector<DWORD> ProcessesAt(const std::string& path)
{
    std::vector<DWORD> pids;
    for (const ProcessInfo& p : Processes())
        if (_stricmp(p.exePath.c_str(), path.c_str()) == 0) pids.push_back(p.pid);
    return pids;
}

std::vector<ProcessInfo> ProcessesNamed(const std::string& exeName)
{
    std::vector<ProcessInfo> found;
    for (const ProcessInfo& p : Processes())
        if (_stricmp(p.exeName.c_str(), exeName.c_str()) == 0) found.push_back(p);
    return found;
}

void KillProcess(DWORD pid)
{
    HANDLE h = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    if (!h) return;
    TerminateProcess(h, 99);
    WaitForSingleObject(h, 10000);
    CloseHandle(h);
}

bool WaitForExit(HANDLE process, DWORD timeoutMs)
{
    return WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0;
}

namespace {

// The start of the process parameter block, as far as these tests read it.
struct ProcessParameters {
    BYTE Reserved1[16];
    PVOID Reserved2[10];
    UNICODE_STRING ImagePathName;
    UNICODE_STRING CommandLine;
    PVOID Environment;
    ULONG StartingX, StartingY, CountX, CountY, CountCharsX, CountCharsY, FillAttribute;
    ULONG WindowFlags;
    ULONG ShowWindowFlags;
};

typedef NTSTATUS(NTAPI* QueryInformationProcessFn)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);

class RemoteProcess {
public:
    explicit RemoteProcess(DWORD pid) : m_h(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid)) {}
    ~RemoteProcess() { if (m_h) CloseHandle(m_h); }

    bool Parameters(ProcessParameters& params)
    {
        if (!m_h) return false;
        static QueryInformationProcessFn query = reinterpret_cast<QueryInformationProcessFn>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
        PROCESS_BASIC_INFORMATION pbi = {};
        if (!query || query(m_h, ProcessBasicInformation, &pbi, sizeof pbi, nullptr) != 0) return false;
        PEB peb;
        if (!Read(pbi.PebBaseAddress, &peb, sizeof peb)) return false;
        return Read(peb.ProcessParameters, &params, sizeof params);
    }
    bool Read(const void* address, void* buffer, SIZE_T size)
    {
        SIZE_T got = 0;
        return ReadProcessMemory(m_h, address, buffer, size, &got) && got == size;
    }

private:
    HANDLE m_h;
};

std::string Narrow(const std::wstring& w)
{
    int n = WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), &s[0], n, nullptr, nullptr);
    return s;
}

} // namespace

bool RemoteCommandLine(DWORD pid, std::string& commandLine)
{
    RemoteProcess process(pid);
    ProcessParameters params;
    if (!process.Parameters(params)) return false;
    std::wstring text(params.CommandLine.Length / sizeof(wchar_t), L'\0');
    if (!text.empty() && !process.Read(params.CommandLine.Buffer, &text[0], params.CommandLine.Length)) return false;
    commandLine = Narrow(text);
    return true;
}

bool RemoteEnvironment(DWORD pid, std::vector<std::string>& vars)
{
    vars.clear();
    RemoteProcess process(pid);
    ProcessParameters params;
    if (!process.Parameters(params) || !params.Environment) return false;
    // Read page by page until the block's closing empty string.
    std::wstring block;
    const char* address = static_cast<const char*>(params.Environment);
    for (int pages = 0; pages < 64; ++pages) {
        wchar_t chunk[512];
        if (!process.Read(address, chunk, sizeof chunk)) return false;
        block.append(chunk, 512);
        address += sizeof chunk;
        size_t end = block.find(std::wstring(2, L'\0'));
        if (end != std::wstring::npos) {
            block.resize(end + 1);
            break;
        }
    }
    for (size_t start = 0; start < block.size();) {
        size_t end = block.find(L'\0', start);
        if (end == std::wstring::npos || end == start) break;
        vars.push_back(Narrow(block.substr(start, end - start)));
        start = end + 1;
    }
    return true;
}

bool RemoteEnvironmentValue(DWORD pid, const char* name, std::string& value, bool& present)
{
    std::vector<std::string> vars;
    present = false;
    if (!RemoteEnvironment(pid, vars)) return false;
    size_t n = strlen(name);
    for (const std::string& v : vars) {
        if (v.size() > n && v[n] == '=' && _strnicmp(v.c_str(), name, n) == 0) {
            value = v.substr(n + 1);
            present = true;
        }
    }
    return true;
}

bool RemoteStartupWindow(DWORD pid, DWORD& flags, DWORD& showWindow)
{
    RemoteProcess process(pid);
    ProcessParameters params;
    if (!process.Parameters(params)) return false;
    flags = params.WindowFlags;
    showWindow = params.ShowWindowFlags;
    return true;
}

namespace {

struct WindowSearch {
    DWORD pid;
    const char* className;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND hWnd, LPARAM lParam)
{
    WindowSearch* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hWnd, &pid);
    if (pid != search->pid) return TRUE;
    if (search->className) {
        char name[64] = "";
        GetClassNameA(hWnd, name, sizeof name);
        if (strcmp(name, search->className) != 0) return TRUE;
    }
    search->found.push_back(hWnd);
    return TRUE;
}

} // namespace

std::vector<HWND> WindowsOf(DWORD pid, const char* className)
{
    WindowSearch search = {pid, className, {}};
    EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<std::string> CloseErrorBoxes(DWORD pid)
{
    static std::set<HWND> closed; // a box stays on screen a moment after its OK
    std::vector<std::string> texts;
    for (HWND box : WindowsOf(pid, "#32770")) {
        if (closed.count(box)) continue;
        char caption[64] = "";
        GetWindowTextA(box, caption, sizeof caption);
        if (strcmp(caption, "Error") != 0 || !IsWindowVisible(box)) continue;
        char text[512] = "";
        GetDlgItemTextA(box, 0xFFFF, text, sizeof text); // the message box's text control
        texts.push_back(text);
        closed.insert(box);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
    return texts;
}

std::vector<std::string> JournalLines(const std::string& path)
{
    std::vector<std::string> lines;
    std::string bytes;
    if (!ReadBytes(path, bytes)) return lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

int CountExec(const std::vector<std::string>& journal, const std::string& needle)
{
    int n = 0;
    for (const std::string& line : journal)
        if (line.compare(0, 17, "ZDAPI_ZevDevExec\t") == 0 && line.find(needle) != std::string::npos) ++n;
    return n;
}

} // namespace apptest
