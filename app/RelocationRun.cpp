#include "RelocationRun.h"
#include "InstanceLimit.h"
#include "PackageFiles.h"
#include <vector>

namespace {

const unsigned long COPY_READY_WAIT_MS = 2000;

} // namespace

RelocationResult RelocateAndRestart(RemovalHost& host, const RelocationRequest& request, RelocationTrace& trace)
{
    if (!InstanceLimitAllows([&host] { return host.CountProcessesByName(PROGRAM_FILE_NAME); },
                             [&host](unsigned long ms) { host.Wait(ms); }))
        return RELOCATION_TOO_MANY;

    const char* tempDir = request.tempDir;
    const char* currentPath = request.currentPath;
    CString source, target;
    source.Format("%s\\%s", currentPath, PROGRAM_FILE_NAME);
    target.Format("%s\\%s", tempDir, PROGRAM_FILE_NAME);
    // What this run put into the temporary directory: what it takes away if the copy cannot start.
    std::vector<CString> copied;
    if (host.CopyProgramFile(source, target)) copied.push_back(target);

    for (const char* name : PACKAGE_FILES) {
        CString from, to;
        from.Format("%s\\%s", currentPath, name);
        to.Format("%s\\%s", tempDir, name);
        if (!host.CopyPackageFile(from, to)) continue;   // a package without it: the copy starts anyway
        copied.push_back(to);
        trace.PackageFileCopied(from, to);
        // A read-only package (a CD-ROM-like partition) makes read-only copies, which the
        // batch's "del" could not delete and the next run could not replace.
        unsigned long error = 0;
        if (!host.ClearReadOnly(to, &error)) trace.ReadOnlyKept(to, error);
    }

    host.ChangeDirectory(tempDir);
    // The package's drive letter: the first character of the start folder.
    RestartPlan plan = PlanRestart({.tempDir = tempDir,
                                    .driveLetter = request.currentPath.IsEmpty() ? ' ' : request.currentPath.GetAt(0),
                                    .cleanUpOnly = request.cleanUpOnly,
                                    .rmDir = request.rmDir,
                                    .rmAbsDir = request.rmAbsDir,
                                    .vkDriveLetter = request.vkDriveLetter});
    if (!plan.leftOutOption.IsEmpty()) trace.FolderLeftOut(plan);
    trace.StartingCopy(plan, tempDir);

    ProcessStart start;
    // The copy named as the program: with the line alone, Windows would try a Temp path with a
    // blank cut at each blank first ("C:\Users\John.exe").
    start.applicationName = target;
    start.commandLine = plan.commandLine;
    start.workDir = tempDir;
    start.showWindow = 5;   // SW_SHOW
    // Until the copy's message loop runs, or it has ended: so that a copy that dies at once is
    // traced here. The copy asks for the eject only half a second after its loop runs, and
    // this instance (whose program file is on the token) is gone by then.
    StartOutcome outcome;
    start.readyWaitMs = COPY_READY_WAIT_MS;
    start.pOutcome = &outcome;
    unsigned long error = 0;
    if (host.StartProcess(start, &error)) {
        if (outcome.endedAtOnce) trace.CopyEndedAtOnce(plan, outcome.exitCode);
        return RELOCATION_STARTED;
    }
    trace.CopyNotStarted(plan, error);
    for (const CString& path : copied) {
        unsigned long removeError = 0;
        bool removed = host.RemoveFile(path, &removeError);
        trace.CopyRemoved(path, removed, removeError);
    }
    host.ShowMessage("Vacater-Tool could not be started", "Error");
    return RELOCATION_NOT_STARTED;
}

void PrepareRunHere(RemovalHost& host, const char* tempDir)
{
    if (!host.HasEnvironment("HOME")) host.PutEnvironment("HOME", tempDir);
}
