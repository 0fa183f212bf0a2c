// A package on the token drive, a private temporary directory and the device library's
// scenario and journal, for tests that start the real program.
#pragma once
#include "AppTestSupport.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace apptest {

// Scenarios of the device library for the second eject command (the first finds nothing).
extern const char* const SCENARIO_EJECTED;
extern const char* const SCENARIO_VETO_FOREVER;
extern const char* const SCENARIO_VETO_THEN_EJECTED;

// The package's run-time files besides the program, as the program copies them.
extern const std::vector<std::string> PACKAGE_FILE_NAMES;

class AppRun : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Places the temporary directory elsewhere (created unless told otherwise).
    void UseTemp(const std::string& temp, bool create = true);
    void WriteScenario(const char* text);
    // Puts the package (program, device library, run-time files) into folder.
    void PlacePackage(const std::string& folder);
    // Starts the program at exePath with the verbatim argument text; the working directory
    // is the program's folder. Fails the test when it cannot be started.
    HANDLE Start(const std::string& exePath, const std::string& args, DWORD* pid = nullptr);
    HANDLE StartFromToken(const std::string& args, DWORD* pid = nullptr);
    // The one instance running from the temporary directory, waited for; 0 if none came.
    DWORD RelocatedInstance(DWORD timeoutMs = 20000);
    // Waits for the hidden removal dialog of a process; null if it did not come.
    HWND WaitForDialog(DWORD pid, DWORD timeoutMs = 20000);
    std::vector<std::string> Journal() const { return JournalLines(m_journal); }
    int Requests() const { return CountExec(Journal(), "pid_41"); }

    std::string m_name;      // the test's name, used for its folders
    std::string m_root;      // C:\vactest\<name>: everything of the test but the package
    std::string m_temp;      // the temporary directory the program sees
    std::string m_package;   // V:\<name>: the package on the token drive
    std::string m_scenario;
    std::string m_journal;
    Environment m_env;

private:
    std::vector<HANDLE> m_processes;
};

} // namespace apptest
