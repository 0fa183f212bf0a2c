// A DLL planted beside a program under the name of a system DLL (userenv.dll, version.dll):
// when a process loads it, it writes "<dll> loaded by <program>" into planted.log in its own
// folder. It exports what the real ones give our programs, each failing.
#include <windows.h>
#include <string>

namespace {

std::string ModulePath(HMODULE module)
{
    char path[MAX_PATH] = "";
    DWORD n = GetModuleFileNameA(module, path, MAX_PATH);
    return std::string(path, n < MAX_PATH ? n : 0);
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, void*)
{
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    std::string dll = ModulePath(self);
    std::string log = dll.substr(0, dll.find_last_of('\\') + 1) + "planted.log";
    std::string line = dll + " loaded by " + ModulePath(nullptr) + "\r\n";
    HANDLE file = CreateFileA(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return TRUE;
    // Appended by hand: Wine writes a handle with append rights alone at its position.
    SetFilePointer(file, 0, nullptr, FILE_END);
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
    return TRUE;
}

extern "C" __declspec(dllexport) BOOL WINAPI GetProfilesDirectoryA(LPSTR, LPDWORD) { return FALSE; }
extern "C" __declspec(dllexport) DWORD WINAPI GetFileVersionInfoSizeW(LPCWSTR, LPDWORD) { return 0; }
extern "C" __declspec(dllexport) BOOL WINAPI GetFileVersionInfoW(LPCWSTR, DWORD, DWORD, LPVOID) { return FALSE; }
extern "C" __declspec(dllexport) BOOL WINAPI VerQueryValueW(LPCVOID, LPCWSTR, LPVOID*, PUINT) { return FALSE; }
