// Counting the running processes of a program: a process counts when its executable module
// is named like the program, letter case ignored. The process list already names each
// process's program file, so only processes of that name get a module snapshot: no look
// into every process on the PC (slow, and what process discovery by malware looks like).
#pragma once
#include <windows.h>
#include <functional>
#include <string>
#include <vector>

// One entry of the process list.
struct ProcessEntry {
    DWORD processId;
    DWORD moduleId;        // as the process list gives it (0); the executable's module id is one more
    std::string exeFile;   // the program file's name (older systems give a full path)
};

// Reads the name of a process's executable module; false when its modules cannot be listed.
typedef std::function<bool(const ProcessEntry& process, std::string* pModuleName)> MainModuleReader;

// The number of processes whose executable module is named exeName (letter case ignored).
// Only entries whose program file name (its last path part) equals exeName are read with
// readMainModule; a process whose modules cannot be listed does not count.
int CountProcessesNamed(const char* exeName, const std::vector<ProcessEntry>& processes,
                        const MainModuleReader& readMainModule);

// The running processes (a tool-help process snapshot); false when it cannot be taken.
bool ListProcesses(std::vector<ProcessEntry>* pProcesses);
// The executable module's name of a process, from a module snapshot of it: the module whose
// id is the entry's module id plus one.
bool ReadMainModuleName(const ProcessEntry& process, std::string* pModuleName);
// CountProcessesNamed over the running processes; 0 when the process list cannot be read.
int CountRunningProcessesNamed(const char* exeName);
