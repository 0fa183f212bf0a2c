// Starting the real program under Wine: a package on the token drive V:, a private
// temporary directory and log folder, the device library's scenario and journal, and ways
// to watch the processes (command lines, environments, windows).
#pragma once
#include "ChildProcess.h"
#include "FileBytes.h"
#include "Occurrences.h"
#include "ProductFacts.h"
#include "RegistryKey.h"
#include <windows.h>
#include <gtest/gtest.h>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace apptest {

bool Exists(const std::string& path);
bool MakeDirs(const std::string& path);
void RemoveTree(const std::string& path);
std::vector<std::string> ListDir(const std::string& folder);   // no "." and ".."
bool WaitUntil(const std::function<bool()>& cond, DWORD timeoutMs);   // false on timeout

// An environment (names ignore letter case); OwnEnvironment() is the test's.
struct NoCase {
    bool operator()(const std::string& a, const std::string& b) const { return _stricmp(a.c_str(), b.c_str()) < 0; }
};
typedef std::map<std::string, std::string, NoCase> Environment;
Environment OwnEnvironment();

// Starts commandLine verbatim with CreateProcessA, as the package's launcher does.
HANDLE Launch(const std::string& commandLine, const std::string& workDir, const Environment& env, DWORD* pid);
// Running processes by executable path, or by module name ("cmd.exe"), letter case ignored.
std::vector<DWORD> ProcessesAt(const std::string& path);
std::vector<DWORD> ProcessesNamed(const std::string& exeName);
void KillProcess(DWORD pid);
bool WaitForExit(HANDLE process, DWORD timeoutMs);

// What a process's parameter block holds: its command line, environment, start-up window.
struct Remote {
    std::string commandLine;
    std::vector<std::string> env;   // "NAME=value"
    DWORD windowFlags, showWindow;
    std::string Var(const std::string& name) const;   // empty when missing
};
bool ReadRemote(DWORD pid, Remote& r);

// Device library scenarios for the second eject command (the first finds nothing).
extern const char* const SCENARIO_EJECTED;
extern const char* const SCENARIO_VETO_FOREVER;
extern const char* const SCENARIO_VETO_THEN_EJECTED;
const int SHIPPED_FILE_COUNT = 1 + ZV_PACKAGE_FILE_COUNT;
extern const char* const SHIPPED_FILES[SHIPPED_FILE_COUNT];   // program, device library, run-time files

class AppRun : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    void UseTemp(const std::string& temp, bool create = true);
    void WriteScenario(const char* text) { ASSERT_TRUE(WriteBytes(m_root + "\\scenario.txt", text)); }
    void PlacePackage(const std::string& folder);   // program, device library, run-time files
    // Starts exePath + " " + args in the program's folder.
    HANDLE Start(const std::string& exePath, const std::string& args, DWORD* pid = nullptr);
    HANDLE StartFromToken(const std::string& args, DWORD* pid = nullptr) { return Start(m_package + "\\Vacater.exe", args, pid); }
    DWORD RelocatedInstance();           // the one instance running from Temp; 0 if none came
    HWND WaitForDialog(DWORD pid);       // the removal dialog of a process
    void ExpectPackageCopied(const std::string& from);   // byte-equal copies in Temp
    int Requests() const;                // ejection requests the device library journaled
    int CountExec(const std::string& needle) const;
    std::string LogOf(DWORD pid);        // the process's trace log

    std::string m_root;      // C:\vactest\<test>: everything but the package
    std::string m_temp;
    std::string m_package;   // V:\<test>
    std::string m_logs;
    Environment m_env = OwnEnvironment();
    std::vector<HANDLE> m_processes;
    std::unique_ptr<RegistryKey> m_settings;   // the application's logging settings
};

} // namespace apptest
