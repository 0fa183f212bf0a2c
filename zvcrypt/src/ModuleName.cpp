// Module file names.
#include "ModuleName.h"
#include <windows.h>

namespace zvcrypt {

namespace {

// The part after the last backslash, or the whole path when nothing follows one.
std::string baseName(const std::string& path)
{
    std::string::size_type slash = path.rfind('\\');
    if (slash == std::string::npos || slash + 1 >= path.size())
        return path;
    return path.substr(slash + 1);
}

}  // namespace

std::string zvModuleFileName(void* hModule, bool baseNameOnly)
{
    char name[MAX_PATH + 1] = {};
    DWORD n = GetModuleFileNameA(static_cast<HMODULE>(hModule), name, MAX_PATH);
    if (n > MAX_PATH)
        n = MAX_PATH;
    std::string path(name, n);
    return baseNameOnly ? baseName(path) : path;
}

}  // namespace zvcrypt
