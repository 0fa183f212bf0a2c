// The file name of a module of the process (the logger's LogFileAppendProcName).
#pragma once
#include <string>

namespace zvcrypt {

// The module's full file name as the system gives it (at most 260 characters); with
// baseNameOnly and a backslash followed by something, only the part after the last
// backslash. A null module is the process's executable.
std::string zvModuleFileName(void* hModule, bool baseNameOnly);

// The part of a path after its last backslash, or the whole path when there is none
// or nothing follows it.
std::string zvBaseName(const std::string& path);

}  // namespace zvcrypt
