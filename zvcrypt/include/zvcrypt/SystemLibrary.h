// Where a program's DLLs come from. Windows looks for a DLL that is not a KnownDLL in the
// program's own folder first; a program that runs from a folder others can write to (the
// temporary directory) must never take a system DLL from there.
#pragma once
#include <windows.h>

namespace zvcrypt {

// Restricts the DLL search of this process to the system folder; a DLL the program imports
// at load time (the device library beside it) is found before any code runs. Every program
// calls it first. False where the system lacks the call (Windows 7 without KB2533623): the
// current folder is then at least taken out of the search.
bool restrictDllSearch();

// Loads a system DLL (a plain file name) from the system folder, never from the program's
// folder or the current one; a side-by-side assembly the manifest names (comctl32) still
// wins. Null when it cannot be loaded, GetLastError tells why.
HMODULE loadSystemLibrary(const char* name);

} // namespace zvcrypt
