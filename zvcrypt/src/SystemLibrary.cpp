#include <zvcrypt/SystemLibrary.h>
#include <cstring>
#include <delayimp.h>

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

namespace {

// Delay-loaded system DLLs (userenv, version, comctl32) come from the system folder too:
// the delay-load helper asks here before it would search for them itself.
FARPROC WINAPI PreLoadFromSystemFolder(unsigned notification, PDelayLoadInfo pInfo)
{
    if (notification != dliNotePreLoadLibrary || !pInfo || !pInfo->szDll) return nullptr;
    return reinterpret_cast<FARPROC>(zvcrypt::loadSystemLibrary(pInfo->szDll));
}

} // namespace

// The delay-load helper's notification hook (it takes this definition over its empty one).
PfnDliHook __pfnDliNotifyHook2 = PreLoadFromSystemFolder;

namespace zvcrypt {

bool restrictDllSearch()
{
    typedef BOOL(WINAPI * SetDefaultDllDirectoriesFn)(DWORD);
    // Looked up, not imported: a program that imports it does not start where it is missing.
    FARPROC proc = GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories");
    if (proc) {
        SetDefaultDllDirectoriesFn setDirectories;
        memcpy(&setDirectories, &proc, sizeof proc);
        if (setDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) return true;
    }
    SetDllDirectoryA("");
    return false;
}

HMODULE loadSystemLibrary(const char* name)
{
    if (!name || !*name || strpbrk(name, "\\/:")) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    HMODULE module = LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Systems before the search flags refuse the flag as an invalid parameter: full path.
    if (module || GetLastError() != ERROR_INVALID_PARAMETER) return module;
    char path[MAX_PATH];
    UINT n = GetSystemDirectoryA(path, MAX_PATH);
    size_t length = strlen(name);
    if (n == 0 || n + 1 + length >= MAX_PATH) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return nullptr;
    }
    path[n] = '\\';
    memcpy(path + n + 1, name, length + 1);
    return LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

} // namespace zvcrypt
