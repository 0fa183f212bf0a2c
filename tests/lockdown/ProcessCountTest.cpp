// Counting the program's running instances: the same processes count as when every process's
// modules are read, but only processes of the program's name are looked into.
#include <ProcessCount.h>
#include "ChildProcess.h"
#include <gtest/gtest.h>
#include <cstring>
#include <map>
#include <string>

namespace {

// A process list of `others` unrelated programs plus the given entries; the fake module
// reader answers from `modules` (no entry: the process cannot be inspected) and counts.
struct FakeProcesses {
    std::vector<ProcessEntry> list;
    std::map<DWORD, std::string> modules;
    int reads = 0;

    FakeProcesses(int others)
    {
        for (int i = 0; i < others; ++i) Add("svchost" + std::to_string(i % 7) + ".exe", "svchost.exe");
    }
    void Add(const std::string& exeFile, const char* module)
    {
        DWORD pid = static_cast<DWORD>(4 * (list.size() + 1));
        list.push_back(ProcessEntry{pid, 0, exeFile});
        if (module) modules[pid] = module;
    }
    int Count(const char* name)
    {
        return CountProcessesNamed(name, list, [this](const ProcessEntry& p, std::string* pName) {
            ++reads;
            auto it = modules.find(p.processId);
            if (it == modules.end()) return false;
            *pName = it->second;
            return true;
        });
    }
};

} // namespace

TEST(InstanceCount, CountsTheProgramsProcessesAndLooksOnlyIntoThose)
{
    struct Entry {
        const char* exeFile;
        const char* module;   // nullptr: its modules cannot be listed
    };
    struct Case {
        const char* name;
        std::vector<Entry> entries;
        int count, reads;
    } cases[] = {
        {"none of the program", {}, 0, 0},
        {"names in any letter case", {{"Vacater.exe", "Vacater.exe"}, {"VACATER.EXE", "VACATER.EXE"},
                                      {"vacater.exe", "vacater.exe"}}, 3, 3},
        {"a full path in the list (older systems)", {{"C:\\Users\\x\\Temp\\Vacater.exe", "Vacater.exe"}}, 1, 1},
        {"a process that cannot be inspected does not count", {{"Vacater.exe", nullptr}, {"Vacater.exe", "Vacater.exe"}},
         1, 2},
        {"the executable module decides", {{"Vacater.exe", "Vacater.exe.tmp"}}, 0, 1},
        {"similar names are not looked into", {{"Vacater.exe.old", "Vacater.exe"}, {"MyVacater.exe", "Vacater.exe"},
                                               {"Vacater", "Vacater.exe"}}, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeProcesses processes(300);
        for (const Entry& e : c.entries) processes.Add(e.exeFile, e.module);
        EXPECT_EQ(c.count, processes.Count("Vacater.exe"));
        EXPECT_EQ(c.reads, processes.reads) << "module snapshots only for the program's name";
    }
}

TEST(InstanceCount, FindsRunningProcessesOfTheProgram)
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string self = strrchr(path, '\\') + 1;
    EXPECT_EQ(1, CountRunningProcessesNamed(self.c_str()));
    EXPECT_EQ(0, CountRunningProcessesNamed("no-such-program.exe"));
    // Two more of a program that waits: three in all.
    ChildStart how;
    DWORD pids[2];
    HANDLE children[2];
    for (int i = 0; i < 2; ++i) {
        children[i] = StartChild("\"" + ProgramDir() + "\\Vacater.exe\" /Sleep=20000", how, &pids[i]);
        ASSERT_NE(nullptr, children[i]);
    }
    Sleep(1500);
    EXPECT_EQ(2, CountRunningProcessesNamed("VACATER.exe"));
    for (HANDLE h : children) {
        TerminateProcess(h, 0);
        FinishChild(h, 5000);
    }
}
