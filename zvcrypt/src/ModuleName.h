// The file name of a module of the process (the logger's LogFileAppendProcName).
#pragma once
#include <string>

namespace zvcrypt {

// The module's full file name as the system gives it (at most 260 characters); with
// baseNameOnly and a backslash followed by something, only the part after the last
// backslash. A null module is the process's executable.
std::string zvModuleFileName(void* hModule, bool baseNameOnly);

}  // namespace zvcrypt
