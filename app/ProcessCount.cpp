#include "ProcessCount.h"
#include <tlhelp32.h>
#include <cctype>

namespace {

std::string Lower(std::string text)
{
    for (char& c : text) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string LastPathPart(const std::string& path)
{
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

int CountProcessesNamed(const char* exeName, const std::vector<ProcessEntry>& processes,
                        const MainModuleReader& readMainModule)
{
    const std::string wanted = Lower(exeName ? exeName : "");
    int count = 0;
    for (const ProcessEntry& process : processes) {
        if (Lower(LastPathPart(process.exeFile)) != wanted) continue;
        std::string module;
        if (readMainModule(process, &module) && Lower(module) == wanted) ++count;
    }
    return count;
}

bool ListProcesses(std::vector<ProcessEntry>* pProcesses)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        pProcesses->push_back(ProcessEntry{entry.th32ProcessID, entry.th32ModuleID, entry.szExeFile});
    CloseHandle(snapshot);
    return true;
}

bool ReadMainModuleName(const ProcessEntry& process, std::string* pModuleName)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, process.processId);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    MODULEENTRY32 module = {};
    module.dwSize = sizeof module;
    bool found = false;
    for (BOOL more = Module32First(snapshot, &module); more; more = Module32Next(snapshot, &module)) {
        if (module.th32ModuleID == process.moduleId + 1) {
            *pModuleName = module.szModule;
            found = true;
            break;
        }
    }
    CloseHandle(snapshot);
    return found;
}

int CountRunningProcessesNamed(const char* exeName)
{
    std::vector<ProcessEntry> processes;
    if (!ListProcesses(&processes)) return 0;
    return CountProcessesNamed(exeName, processes, ReadMainModuleName);
}
