// The functions of system DLLs that are not KnownDLLs (userenv, version, comctl32), which
// Windows would look for in the program's own folder first: a program that imports them
// at load time would take a DLL planted beside it in %TEMP%. Instead of an import library,
// this file supplies the import slots (__imp_...) that the callers' declarations read
// through: each slot points to a stub that loads the DLL from the system folder at the
// first call and forwards to it. The callers keep the system's headers and names.
// (binutils' delay-load libraries would do the same, but their 32-bit thunks jump to 0.)
#include <zvcrypt/SystemLibrary.h>
#include <commctrl.h>
#include <userenv.h>
#include <winver.h>

namespace {

template <typename Fn>
Fn SystemProc(const char* dll, const char* name)
{
    HMODULE module = zvcrypt::loadSystemLibrary(dll);
    FARPROC proc = module ? GetProcAddress(module, name) : nullptr;
    Fn fn = nullptr;
    static_assert(sizeof fn == sizeof proc, "a function pointer");
    __builtin_memcpy(&fn, &proc, sizeof fn);
    return fn;
}

// Each stub fails the way its function fails (zero) when the DLL or the function is
// missing; GetLastError then says why.
BOOL WINAPI LoadGetProfilesDirectoryA(LPSTR dir, LPDWORD size)
{
    static auto fn = SystemProc<decltype(&GetProfilesDirectoryA)>("userenv.dll", "GetProfilesDirectoryA");
    return fn ? fn(dir, size) : FALSE;
}

DWORD WINAPI LoadGetFileVersionInfoSizeW(LPCWSTR file, LPDWORD handle)
{
    static auto fn = SystemProc<decltype(&GetFileVersionInfoSizeW)>("version.dll", "GetFileVersionInfoSizeW");
    return fn ? fn(file, handle) : 0;
}

BOOL WINAPI LoadGetFileVersionInfoW(LPCWSTR file, DWORD handle, DWORD size, LPVOID data)
{
    static auto fn = SystemProc<decltype(&GetFileVersionInfoW)>("version.dll", "GetFileVersionInfoW");
    return fn ? fn(file, handle, size, data) : FALSE;
}

BOOL WINAPI LoadVerQueryValueW(LPCVOID block, LPCWSTR subBlock, LPVOID* buffer, PUINT length)
{
    static auto fn = SystemProc<decltype(&VerQueryValueW)>("version.dll", "VerQueryValueW");
    return fn ? fn(block, subBlock, buffer, length) : FALSE;
}

BOOL WINAPI LoadInitCommonControlsEx(const INITCOMMONCONTROLSEX* controls)
{
    // comctl32 comes from the side-by-side assembly the manifest names, as at load time.
    static auto fn = SystemProc<decltype(&InitCommonControlsEx)>("comctl32.dll", "InitCommonControlsEx");
    return fn ? fn(controls) : FALSE;
}

} // namespace

// The import slots under the names the compiler gives them: __imp_Name on x64,
// __imp__Name@ArgumentBytes (stdcall) on x86.
#ifdef _WIN64
#define ZV_IMPORT_SLOT(name, bytes) asm("__imp_" #name)
#else
#define ZV_IMPORT_SLOT(name, bytes) asm("__imp__" #name "@" #bytes)
#endif

extern "C" {
extern void* const zvImportGetProfilesDirectoryA ZV_IMPORT_SLOT(GetProfilesDirectoryA, 8);
extern void* const zvImportGetFileVersionInfoSizeW ZV_IMPORT_SLOT(GetFileVersionInfoSizeW, 8);
extern void* const zvImportGetFileVersionInfoW ZV_IMPORT_SLOT(GetFileVersionInfoW, 16);
extern void* const zvImportVerQueryValueW ZV_IMPORT_SLOT(VerQueryValueW, 16);
extern void* const zvImportInitCommonControlsEx ZV_IMPORT_SLOT(InitCommonControlsEx, 4);

void* const zvImportGetProfilesDirectoryA = reinterpret_cast<void*>(&LoadGetProfilesDirectoryA);
void* const zvImportGetFileVersionInfoSizeW = reinterpret_cast<void*>(&LoadGetFileVersionInfoSizeW);
void* const zvImportGetFileVersionInfoW = reinterpret_cast<void*>(&LoadGetFileVersionInfoW);
void* const zvImportVerQueryValueW = reinterpret_cast<void*>(&LoadVerQueryValueW);
void* const zvImportInitCommonControlsEx = reinterpret_cast<void*>(&LoadInitCommonControlsEx);
}
