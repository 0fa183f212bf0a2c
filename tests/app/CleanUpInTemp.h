// The program's clean-up, run in this test process against the real system: "Temp" set to
// a folder of the test's own for the time of the run, no traces.
#pragma once
#include "CleanUpRun.h"
#include "Win32RemovalHost.h"
#include <windows.h>
#include <string>

class QuietCleanUpTrace : public CleanUpTrace {
public:
    void RemoveOnly(long) override {}
    void Running() override {}
    void FolderRefused(const char*, const char*, const char*) override {}
    void Planned(const CleanUpPlan&) override {}
    void NoOemForm(const CleanUpPlan&) override {}
    void NotCreated(const CleanUpPlan&) override {}
    void Created(const CleanUpPlan&) override {}
    void NotWritten(const CleanUpPlan&) override {}
    void Written(const CleanUpPlan&) override {}
    void Starting(const CleanUpPlan&) override {}
    void Started(const CleanUpPlan&, bool) override {}
};

inline CleanUpResult RunCleanUpIn(const std::string& temp)
{
    char own[MAX_PATH] = "";
    GetEnvironmentVariableA("Temp", own, MAX_PATH);
    SetEnvironmentVariableA("Temp", temp.c_str());
    Win32RemovalHost host;
    QuietCleanUpTrace trace;
    CleanUpRequest request;
    request.currentPath = "V:\\pkg";
    CleanUpResult result = RunCleanUp(host, request, trace);
    SetEnvironmentVariableA("Temp", own);
    return result;
}

// Waits up to 30 s for the batch to delete itself, its last line.
inline bool BatchRanToItsEnd(const std::string& temp)
{
    const std::string batch = temp + "\\remove.bat";
    for (int i = 0; i < 300 && GetFileAttributesA(batch.c_str()) != INVALID_FILE_ATTRIBUTES; ++i) Sleep(100);
    return GetFileAttributesA(batch.c_str()) == INVALID_FILE_ATTRIBUTES;
}
