// The relocation as it runs on the host: the instance on the token copies the program and
// the package into the temporary directory and starts the copy there; the copy, which
// stays, gets its HOME. The traces are the caller's (RelocationTrace), in this order.
#pragma once
#include "Relocation.h"
#include "RemovalHost.h"

struct RelocationRequest {
    CString tempDir;
    CString currentPath;   // the start folder: where the package is copied from
    long cleanUpOnly = 0;
    CString rmDir;
    CString rmAbsDir;
    CString vkDriveLetter;
};

class RelocationTrace {
public:
    virtual ~RelocationTrace() {}
    virtual void PackageFileCopied(const char* from, const char* to) = 0;
    virtual void ReadOnlyKept(const char* path, unsigned long error) = 0;
    // Before the copy is started: a folder value the line cannot carry was left off.
    virtual void FolderLeftOut(const RestartPlan& plan) = 0;
    virtual void StartingCopy(const RestartPlan& plan, const char* tempDir) = 0;
};

enum RelocationResult {
    RELOCATION_STARTED = 0,
    RELOCATION_TOO_MANY = -1,    // more instances run than allowed, also after one wait: nothing done
    RELOCATION_NOT_STARTED = -2, // copied, but the copy did not start (the user was told)
};

// Waits out the instance limit, copies the program and the package files, makes the
// temporary directory current and starts the copy with the restart line.
RelocationResult RelocateAndRestart(RemovalHost& host, const RelocationRequest& request, RelocationTrace& trace);

// The instance that runs the removal: a missing HOME becomes the temporary directory.
void PrepareRunHere(RemovalHost& host, const char* tempDir);
