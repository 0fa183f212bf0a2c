// Fixtures for starting the real program under Wine: a token drive with the package, a
// private temporary directory, the device library's scenario and journal, and ways to watch
// the processes (their command lines, environments, windows and message boxes).
#pragma once
#include <windows.h>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace apptest {

// The drive the test set-up maps to a folder of the build tree (tests/app/CMakeLists.txt).
extern const char* const TOKEN_DRIVE;   // "V:"

std::string BinDir();                          // folder of this test program, with the program
bool Exists(const std::string& path);
bool IsDir(const std::string& path);
bool ReadBytes(const std::string& path, std::string& bytes);
bool WriteBytes(const std::string& path, const std::string& bytes);
bool CopyInto(const std::string& source, const std::string& target);
void RemoveTree(const std::string& path);
bool MakeDirs(const std::string& path);
// File names directly inside a folder (no "." and "..").
std::vector<std::string> ListDir(const std::string& folder);

// Polls cond every 20 ms; false when it did not hold within timeoutMs.
bool WaitUntil(const std::function<bool()>& cond, DWORD timeoutMs);

// An environment block: the test's own, with variables set or removed (names ignore case).
class Environment {
public:
    Environment();
    void Set(const std::string& name, const std::string& value);
    void Remove(const std::string& name);
    std::vector<char> Block() const;
private:
    struct Less {
        bool operator()(const std::string& a, const std::string& b) const { return _stricmp(a.c_str(), b.c_str()) < 0; }
    };
    std::map<std::string, std::string, Less> m_vars;
};

// Starts commandLine verbatim (no quoting added) with CreateProcessA; null on failure.
HANDLE Launch(const std::string& commandLine, const std::string& workDir, const Environment* env,
              DWORD* pid = nullptr, WORD showWindow = SW_SHOWNORMAL);

struct ProcessInfo {
    DWORD pid;
    DWORD parentPid;
    std::string exeName;   // module name, as the snapshot gives it
    std::string exePath;   // full path of the executable
};
std::vector<ProcessInfo> Processes();
// Running processes whose executable path equals path (letter case ignored).
std::vector<DWORD> ProcessesAt(const std::string& path);
// Processes named exeName (letter case ignored).
std::vector<ProcessInfo> ProcessesNamed(const std::string& exeName);
void KillProcess(DWORD pid);
bool WaitForExit(HANDLE process, DWORD timeoutMs);

// Read from the process's own parameter block: the command line as the process sees it,
// its current environment ("NAME=value" strings), and its start-up window flags.
bool RemoteCommandLine(DWORD pid, std::string& commandLine);
bool RemoteEnvironment(DWORD pid, std::vector<std::string>& vars);
bool RemoteEnvironmentValue(DWORD pid, const char* name, std::string& value, bool& present);
bool RemoteStartupWindow(DWORD pid, DWORD& flags, DWORD& showWindow);

// Top-level windows of a process (hidden ones included) with the given class, or all.
std::vector<HWND> WindowsOf(DWORD pid, const char* className = nullptr);
// Finds message boxes captioned "Error" of the process, records their texts and closes them
// with OK. Returns the texts of the boxes closed by this call.
std::vector<std::string> CloseErrorBoxes(DWORD pid);

// The device library's journal: lines of calls.
std::vector<std::string> JournalLines(const std::string& path);
// Number of ZDAPI_ZevDevExec calls for the command whose text contains needle.
int CountExec(const std::vector<std::string>& journal, const std::string& needle);

} // namespace apptest
