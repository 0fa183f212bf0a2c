#include "CleanUpRun.h"
#include "BatchFolderCheck.h"
#include "BatchHost.h"

namespace {

// The value when the batch may remove its folder; otherwise a trace and no folder.
CString CheckedFolder(const char* option, const CString& value, BatchFolderKind kind,
                      const BatchFolderContext& context, CleanUpTrace& trace)
{
    CString reason;
    if (CheckBatchFolder(value, kind, context, &reason) == BATCH_FOLDER_OK) return value;
    trace.FolderRefused(option, value, reason);
    return CString();
}

} // namespace

CleanUpResult RunCleanUp(RemovalHost& host, const CleanUpRequest& request, CleanUpTrace& trace)
{
    if (request.removeOnly != 0) {
        trace.RemoveOnly(request.removeOnly);
        return CLEANUP_REMOVE_ONLY;
    }
    trace.Running();

    CleanUpPlan plan;
    plan.tempDir = host.TempDir();
    const char* tempDir = plan.tempDir;
    BatchFolderContext context = host.FolderContext(tempDir, tempDir, request.currentPath);
    CString rmDir = CheckedFolder("/RmDir", request.rmDir, BATCH_FOLDER_RELATIVE, context, trace);
    CString rmAbsDir = CheckedFolder("/RmAbsDir", request.rmAbsDir, BATCH_FOLDER_ABSOLUTE, context, trace);
    plan.batch = BuildCleanUpBatch(request.application, tempDir, request.currentPath, rmDir, rmAbsDir, host.Batch());
    trace.Planned(plan);
    if (!plan.batch.oemOk) {
        // Every value and path in it was checked; a letter cmd would misread names another file.
        trace.NoOemForm(plan);
        return CLEANUP_NO_OEM_FORM;
    }

    // cmd reads a batch in the OEM code page: the file holds the text in it.
    FileWriteResult written = host.WriteWholeFile(plan.batch.batchPath, plan.batch.oemText);
    if (written == FILE_NOT_CREATED) {
        trace.NotCreated(plan);
        return CLEANUP_NOT_WRITTEN;
    }
    trace.Created(plan);
    if (written != FILE_WRITTEN) {
        trace.NotWritten(plan);
        return CLEANUP_NOT_WRITTEN;
    }
    trace.Written(plan);

    plan.autoRun = host.CmdAutoRun();
    plan.start = DecideBatchStart(plan.batch.startCommand, !plan.autoRun.empty(),
                                  plan.autoRun.empty() ? CString() : host.SystemFolder(), host.TerminalDelegated());
    trace.Starting(plan);
    // cmd looks for the batch's commands ("attrib") in its current folder, %TEMP%, first.
    host.PutEnvironment(NO_CURRENT_DIRECTORY_SEARCH, "1");
    ProcessStart start;
    start.applicationName = plan.start.application.IsEmpty() ? nullptr : plan.start.application.GetString();
    start.commandLine = plan.start.commandLine;
    start.creationFlags = plan.start.creationFlags;
    start.inheritHandles = true;
    start.workDir = plan.batch.workDir.IsEmpty() ? nullptr : plan.batch.workDir.GetString();
    start.showWindow = 0;   // SW_HIDE
    unsigned long error = 0;
    bool started = host.StartProcess(start, &error);
    trace.Started(plan, started);
    return started ? CLEANUP_STARTED : CLEANUP_NOT_STARTED;
}
