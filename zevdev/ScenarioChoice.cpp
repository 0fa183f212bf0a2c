#include "ScenarioChoice.h"
#include "ScenarioBackend.h"
#include "SystemBackend.h"
#include <vector>
#include <windows.h>

namespace zevdev {

namespace {

const char SCENARIO_ENV[] = "ZEVDEV_SCENARIO";
const char SCENARIO_BESIDE_DLL[] = "zevdev-scenario.txt";

// Any length: a long scenario path cut to nothing would let the device tree answer instead.
// True when the variable is set, also to the empty text (a script's empty variable names
// no file: that must not mean "the device tree").
bool Env(const char* name, std::string& value)
{
    value.clear();
    SetLastError(ERROR_SUCCESS);
    DWORD size = GetEnvironmentVariableA(name, nullptr, 0);
    if (size == 0) return GetLastError() != ERROR_ENVVAR_NOT_FOUND;  // set, but empty
    value.assign(size, '\0');
    DWORD n = GetEnvironmentVariableA(name, &value[0], size);
    value.resize(n < size ? n : 0);
    return true;
}

std::string ModuleFolder()
{
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&ModuleFolder), &self);
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(self, path, MAX_PATH);
    std::string p(path, n < MAX_PATH ? n : 0);
    size_t slash = p.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : p.substr(0, slash + 1);
}

// The whole file, or false with the system's error code.
bool ReadWholeFile(const std::string& path, std::string& text, DWORD& error)
{
    text.clear();
    // Wide: the narrow call stops at MAX_PATH characters, where a long path still names the file.
    int chars = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    std::vector<wchar_t> wide(chars > 0 ? static_cast<size_t>(chars) : 1, L'\0');
    if (chars > 0) MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), chars);
    HANDLE file = CreateFileW(wide.data(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = GetLastError();
        return false;
    }
    char chunk[4096];
    DWORD n = 0;
    bool ok;
    while ((ok = ReadFile(file, chunk, sizeof chunk, &n, nullptr)) && n > 0) text.append(chunk, n);
    error = ok ? 0 : GetLastError();
    CloseHandle(file);
    return ok;
}

std::string ErrorText(DWORD error)
{
    char* text = nullptr;
    DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, error, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string s(text ? text : "", n);
    if (text) LocalFree(text);
    while (!s.empty() && (s.back() == '\r' || s.back() == '\n' || s.back() == ' ' || s.back() == '.')) s.pop_back();
    for (char& c : s)
        if (c == '\r' || c == '\n' || c == '\t') c = ' ';
    return s.empty() ? "no text" : s;
}

bool Missing(const std::string& path)
{
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

} // namespace

std::unique_ptr<Backend> ChooseScenarioOrDeviceTree(DeviceTree& tree, std::string& note)
{
    std::string path;
    bool named = Env(SCENARIO_ENV, path);
    if (!named) {
        path = ModuleFolder() + SCENARIO_BESIDE_DLL;
        if (Missing(path)) {
            note = "no scenario: " + path + ", the device tree answers";
            return std::unique_ptr<Backend>(new SystemBackend(tree));
        }
    }
    std::string text;
    DWORD error = 0;
    if (!ReadWholeFile(path, text, error)) {
        note = "scenario " + path + " unreadable, error " + std::to_string(error) + " (" + ErrorText(error) +
               "): no device answers";
        return std::unique_ptr<Backend>(new ScenarioBackend(Scenario()));
    }
    Scenario scenario;
    std::string why;
    if (!ParseScenario(text, scenario, why)) {
        note = "scenario " + path + " rejected, " + why;
        return std::unique_ptr<Backend>(new ScenarioBackend(Scenario()));
    }
    note = "scenario " + path;
    return std::unique_ptr<Backend>(new ScenarioBackend(scenario));
}

} // namespace zevdev
