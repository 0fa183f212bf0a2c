#include "RelocationRun.h"
#include "InstanceLimit.h"
#include "PackageFiles.h"

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
    host.CopyProgramFile(source, target);

    for (const char* name : PACKAGE_FILES) {
        CString from, to;
        from.Format("%s\\%s", currentPath, name);
        to.Format("%s\\%s", tempDir, name);
        if (!host.CopyPackageFile(from, to)) continue;   // a package without it: the copy starts anyway
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
    start.commandLine = plan.commandLine;
    start.workDir = tempDir;
    start.showWindow = 5;   // SW_SHOW
    unsigned long error = 0;
    if (host.StartProcess(start, &error)) return RELOCATION_STARTED;
    host.ShowMessage("Vacater-Tool could not be started", "Error");
    return RELOCATION_NOT_STARTED;
}

void PrepareRunHere(RemovalHost& host, const char* tempDir)
{
    if (!host.HasEnvironment("HOME")) host.PutEnvironment("HOME", tempDir);
}
