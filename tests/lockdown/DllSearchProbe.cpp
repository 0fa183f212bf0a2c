// dll_search_probe.exe: loads userenv.dll and version.dll as a program would, and prints the
// file each came from, one a line ("-" where none was loaded).
//   plain       LoadLibrary by name, with Windows' standard search (the program's folder first)
//   restricted  as our programs do: the search restricted first, userenv through its
//               import slot loaded at the first call (GetProfilesDirectoryA), version through loadSystemLibrary
#include <zvcrypt/SystemLibrary.h>
#include <userenv.h>
#include <cstdio>
#include <cstring>

namespace {

void PrintModule(const char* name)
{
    char path[MAX_PATH] = "-";
    HMODULE module = GetModuleHandleA(name);
    if (module) GetModuleFileNameA(module, path, MAX_PATH);
    printf("%s\n", path);
}

} // namespace

int main(int argc, char** argv)
{
    bool restricted = argc > 1 && strcmp(argv[1], "restricted") == 0;
    if (restricted) {
        zvcrypt::restrictDllSearch();
        char profiles[MAX_PATH];
        DWORD size = MAX_PATH;
        GetProfilesDirectoryA(profiles, &size);
        zvcrypt::loadSystemLibrary("version.dll");
    } else {
        LoadLibraryA("userenv.dll");
        LoadLibraryA("version.dll");
    }
    PrintModule("userenv.dll");
    PrintModule("version.dll");
    return 0;
}
