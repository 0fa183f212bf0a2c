// Starting other programs from a test: verbatim command lines, their folder, environment,
// window state and standard streams, and waiting for them with a limit.
#pragma once
#include <windows.h>
#include <string>

// How a child starts. Empty fields take the test's own: folder, environment. A standard
// stream with a path goes to that file (the same path twice: one file for both); once
// either has a path, the other without one goes nowhere.
struct ChildStart {
    std::string workDir;
    std::string environment;  // "NAME=value" strings, each closed by a zero byte
    std::string outPath, errPath;
    int show = -1;            // SW_ value for the child's first window; -1 leaves it to the child
};

// Starts commandLine verbatim with CreateProcessA; the process handle, or null when it did
// not start. pid receives its id.
HANDLE StartChild(const std::string& commandLine, const ChildStart& how = ChildStart(), DWORD* pid = nullptr);

// Exit codes for a child that did not start, or did not end in time (it is ended then).
const DWORD CHILD_NOT_STARTED = 0xFFFFFFFF;
const DWORD CHILD_HUNG = 0xFFFFFFFE;
// Waits at most timeoutMs for the child, closes its handle and returns its exit code.
DWORD FinishChild(HANDLE process, DWORD timeoutMs);
// StartChild and FinishChild in one.
DWORD RunChild(const std::string& commandLine, const ChildStart& how, DWORD timeoutMs, DWORD* pid = nullptr);

// The folder of the running test program, where the programs it starts are built.
std::string ProgramDir();

struct ChildResult {
    unsigned long exitCode = CHILD_NOT_STARTED;
    std::string out, err;
};
// Runs a program and collects what it printed; runSibling runs one that lies next to the
// test program.
ChildResult runProgram(const std::string& exePath, const std::string& arguments = "");
ChildResult runSibling(const char* exeName, const std::string& arguments = "");
