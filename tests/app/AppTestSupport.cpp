#include "AppTestSupport.h"
#include "RemoveManager.h"
#include <tlhelp32.h>
#include <winternl.h>
#include <algorithm>
#include <cctype>
#include <cstring>

namespace apptest {

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool MakeDirs(const std::string& path)
{
    size_t slash = path.find_last_of('\\');
    if (slash != std::string::npos && slash > 2) MakeDirs(path.substr(0, slash));
    return CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
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
    std::sort(names.begin(), names.end());
    return names;
}

void RemoveTree(const std::string& path)
{
    for (const std::string& name : ListDir(path)) RemoveTree(path + "\\" + name);
    RemoveDirectoryA(path.c_str());
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
}

bool WaitUntil(const std::function<bool()>& cond, DWORD timeoutMs)
{
    for (DWORD start = GetTickCount(); !cond(); Sleep(20))
        if (GetTickCount() - start > timeoutMs) return false;
    return true;
}

Environment OwnEnvironment()
{
    Environment env;
    LPCH block = GetEnvironmentStringsA();
    for (const char* p = block; *p; p += strlen(p) + 1)
        if (const char* eq = strchr(p + 1, '=')) env[std::string(p, eq - p)] = eq + 1; // "=C:" names too
    FreeEnvironmentStringsA(block);
    return env;
}

HANDLE Launch(const std::string& commandLine, const std::string& workDir, const Environment& env, DWORD* pid)
{
    ChildStart how;
    how.workDir = workDir;
    for (const auto& v : env) how.environment += v.first + "=" + v.second + '\0';
    how.show = SW_SHOWNORMAL;
    return StartChild(commandLine, how, pid);
}

namespace {

// Processes whose full path (byPath) or module name equals what, letter case ignored.
std::vector<DWORD> FindProcesses(const std::string& what, bool byPath)
{
    std::vector<DWORD> pids;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 pe = {};
    pe.dwSize = sizeof pe;
    for (BOOL more = Process32First(snap, &pe); more; more = Process32Next(snap, &pe)) {
        char path[MAX_PATH * 2] = "";
        DWORD n = sizeof path;
        if (HANDLE h = byPath ? OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pe.th32ProcessID) : nullptr) {
            QueryFullProcessImageNameA(h, 0, path, &n);
            CloseHandle(h);
        }
        if (_stricmp(byPath ? path : pe.szExeFile, what.c_str()) == 0) pids.push_back(pe.th32ProcessID);
    }
    CloseHandle(snap);
    return pids;
}

} // namespace

std::vector<DWORD> ProcessesAt(const std::string& path) { return FindProcesses(path, true); }
std::vector<DWORD> ProcessesNamed(const std::string& exeName) { return FindProcesses(exeName, false); }

void KillProcess(DWORD pid)
{
    if (HANDLE h = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid))
        TerminateProcess(h, 99), WaitForSingleObject(h, 10000), CloseHandle(h);
}

bool WaitForExit(HANDLE process, DWORD timeoutMs) { return WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0; }

namespace {

// The start of the process parameter block, as far as these tests read it.
struct ProcessParameters {
    BYTE Reserved1[16];
    PVOID Reserved2[10];
    UNICODE_STRING ImagePathName, CommandLine;
    PVOID Environment;
    ULONG StartingX, StartingY, CountX, CountY, CountCharsX, CountCharsY, FillAttribute, WindowFlags, ShowWindow;
};

bool Read(HANDLE h, const void* address, void* buffer, SIZE_T size)
{
    SIZE_T got = 0;
    return ReadProcessMemory(h, address, buffer, size, &got) && got == size;
}

} // namespace

bool ReadRemote(DWORD pid, Remote& r)
{
    typedef NTSTATUS(NTAPI * QueryFn)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    static QueryFn query = reinterpret_cast<QueryFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    HANDLE h = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    PROCESS_BASIC_INFORMATION pbi = {};
    PEB peb;
    ProcessParameters params;
    std::wstring line(4096, L'\0'), block;
    bool ok = h && query(h, ProcessBasicInformation, &pbi, sizeof pbi, nullptr) == 0 &&
              Read(h, pbi.PebBaseAddress, &peb, sizeof peb) && Read(h, peb.ProcessParameters, &params, sizeof params) &&
              params.CommandLine.Length < 8192 && Read(h, params.CommandLine.Buffer, &line[0], params.CommandLine.Length);
    // The environment, chunk by chunk up to its closing empty string.
    const wchar_t* address = ok ? static_cast<const wchar_t*>(params.Environment) : nullptr;
    for (wchar_t chunk[512]; ok && block.find(std::wstring(2, L'\0')) == std::wstring::npos; address += 512)
        if ((ok = Read(h, address, chunk, sizeof chunk))) block.append(chunk, 512);
    if (h) CloseHandle(h);
    if (!ok) return false;
    r.commandLine.assign(line.begin(), line.begin() + params.CommandLine.Length / 2);   // plain ASCII
    r.env.clear();
    for (size_t at = 0; block[at]; at = block.find(L'\0', at) + 1) r.env.emplace_back(&block[at], &block[at] + wcslen(&block[at]));
    r.windowFlags = params.WindowFlags;
    r.showWindow = params.ShowWindow;
    return true;
}

std::string Remote::Var(const std::string& name) const
{
    for (const std::string& v : env)
        if (_strnicmp(v.c_str(), (name + "=").c_str(), name.size() + 1) == 0) return v.substr(name.size() + 1);
    return std::string();
}

namespace {

// Visible top-level dialog-class windows of a process with the given caption.
std::vector<HWND> DialogsOf(DWORD pid, const char* caption)
{
    std::vector<HWND> found;
    for (HWND h = FindWindowExA(nullptr, nullptr, "#32770", caption); h;
         h = FindWindowExA(nullptr, h, "#32770", caption)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(h, &owner);
        if (owner == pid) found.push_back(h);
    }
    return found;
}

} // namespace

#define EJECT "command " EJECT_COMMAND_2 "\npass\noutput " EJECT_COMMAND_2 "\\r\\n"
#define VETO EJECT "device_s_ejected=0\\r\\n\ninfo EJECTED_FAILED\nerror CR_REMOVE_VETOED\n"
const char* const SCENARIO_EJECTED = EJECT "device_s_ejected=1\\r\\n\ninfo EJECTED\n";
const char* const SCENARIO_VETO_FOREVER = VETO "repeat\n";
const char* const SCENARIO_VETO_THEN_EJECTED =
    VETO "pass\noutput " EJECT_COMMAND_2 "\\r\\ndevice_s_ejected=1\\r\\n\ninfo EJECTED\n";

const char* const SETTINGS_KEY = ZV_SETTINGS_KEY;
const char* const SHIPPED_FILES[SHIPPED_FILE_COUNT] = {ZV_PROGRAM_FILE, ZV_PACKAGE_FILE_LIST};

void AppRun::SetUp()
{
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    m_root = "C:\\vactest\\" + name;
    m_package = "V:\\" + name;   // the test set-up maps V: to a folder of the build tree
    ASSERT_TRUE(Exists("V:\\")) << "drive V: is missing: run the tests through ctest";
    RemoveTree(m_root);
    RemoveTree(m_package);
    m_logs = m_root + "\\logs";
    ASSERT_TRUE(MakeDirs(m_logs));
    PlacePackage(m_package);
    UseTemp(m_root + "\\temp");
    WriteScenario(SCENARIO_EJECTED);
    m_env["ZEVDEV_SCENARIO"] = m_root + "\\scenario.txt";
    m_env["ZEVDEV_JOURNAL"] = m_root + "\\journal.txt";
    m_env.erase("HOME");
    // Every process traces into its own file in m_logs.
    m_settings.reset(new RegistryKey(SETTINGS_KEY, RegistryKey::SHARED_KEY));
    ASSERT_TRUE(m_settings->dword("LogLevel", 0x01000000));
    ASSERT_TRUE(m_settings->dword("LogFileAppendPID", 1));
    ASSERT_TRUE(m_settings->text("LogPath", m_logs + "\\vac"));
}

void AppRun::TearDown()
{
    for (const std::string& exe : {m_package + "\\Vacater.exe", m_package + "\\Remover.exe", m_temp + "\\Vacater.exe"})
        for (DWORD pid : ProcessesAt(exe)) KillProcess(pid);   // whatever still runs from here ends
    for (HANDLE h : m_processes) CloseHandle(h);
    m_settings.reset();
    Sleep(200);   // a batch may still be at work in the folders
    RemoveTree(m_root);
    RemoveTree(m_package);
}

void AppRun::UseTemp(const std::string& temp, bool create)
{
    m_temp = temp;
    if (create) { ASSERT_TRUE(MakeDirs(temp)); }
    m_env["TEMP"] = m_env["TMP"] = temp;
}

void AppRun::PlacePackage(const std::string& folder)
{
    ASSERT_TRUE(MakeDirs(folder));
    for (const char* name : {"Vacater.exe", "ZevDevDll.dll"})
        ASSERT_TRUE(CopyFileA((ProgramDir() + "\\" + name).c_str(), (folder + "\\" + name).c_str(), FALSE));
    // No splash pictures are named, so the ejection neither shows nor waits.
    ASSERT_TRUE(WriteBytes(folder + "\\application.ini", "[Application]\r\nEjectOKTime=1000\r\n"));
    ASSERT_TRUE(WriteBytes(folder + "\\removesplash.bmp", "not a picture 1"));
    ASSERT_TRUE(WriteBytes(folder + "\\ejectoksplash.bmp", "not a picture 2"));
    ASSERT_TRUE(WriteBytes(folder + "\\msvcp60.dll", "runtime stand-in"));
}

HANDLE AppRun::Start(const std::string& exePath, const std::string& args, DWORD* pid)
{
    std::string folder = exePath.substr(0, exePath.find_last_of('\\'));
    HANDLE h = Launch(exePath + " " + args, folder.size() == 2 ? folder + "\\" : folder, m_env, pid);
    EXPECT_NE(nullptr, h) << "cannot start " << exePath << ", error " << GetLastError();
    if (h) m_processes.push_back(h);
    return h;
}

DWORD AppRun::RelocatedInstance()
{
    std::vector<DWORD> pids;
    WaitUntil([&] { return !(pids = ProcessesAt(m_temp + "\\Vacater.exe")).empty(); }, 20000);
    EXPECT_EQ(1u, pids.size());
    return pids.empty() ? 0 : pids[0];
}

HWND AppRun::WaitForDialog(DWORD pid)
{
    std::vector<HWND> found;
    WaitUntil([&] { return !(found = DialogsOf(pid, "Vacater")).empty(); }, 20000);
    return found.empty() ? nullptr : found[0];
}

void AppRun::ExpectPackageCopied(const std::string& from)
{
    for (const char* name : SHIPPED_FILES)
        EXPECT_EQ(ReadBytes(from + "\\" + name), ReadBytes(m_temp + "\\" + name)) << name << " not copied";
}

int AppRun::CountExec(const std::string& needle) const
{
    int n = 0;
    std::string journal = ReadBytes(m_root + "\\journal.txt");
    for (size_t at = journal.find("ZDAPI_ZevDevExec\t"); at != std::string::npos;
         at = journal.find("ZDAPI_ZevDevExec\t", at + 1))
        if (journal.substr(at, journal.find('\n', at) - at).find(needle) != std::string::npos) ++n;
    return n;
}

int AppRun::Requests() const { return CountExec("pid_41"); }

std::string AppRun::LogOf(DWORD pid)
{
    // The logger appends "<separator><pid>.log": pid 12 must not find the log of pid 312.
    const std::string tail = std::to_string(pid) + ".log";
    for (const std::string& name : ListDir(m_logs))
        if (name.size() > tail.size() && name.compare(name.size() - tail.size(), tail.size(), tail) == 0 &&
            !isdigit(static_cast<unsigned char>(name[name.size() - tail.size() - 1]))) {
            std::string text = ReadBytes(m_logs + "\\" + name);
            text.erase(std::remove(text.begin(), text.end(), '\0'), text.end()); // 2-byte encoding
            return text;
        }
    return std::string();
}

} // namespace apptest
