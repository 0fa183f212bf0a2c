// The clean-up as it runs on the host: the folder values checked, "remove.bat" built,
// written in one piece and started hidden. The traces are the caller's (CleanUpTrace), in
// this order; every failure is only traced.
#pragma once
#include "BatchStart.h"
#include "CleanUpBatch.h"
#include "RemovalHost.h"

struct CleanUpRequest {
    long removeOnly = 0;
    CString application;   // "/Application": chooses the batch's setting
    CString currentPath;
    CString rmDir;
    CString rmAbsDir;
};

// The batch as planned: what the trace of each step shows.
struct CleanUpPlan {
    CString tempDir;
    CleanUpBatch batch;
    std::vector<CString> autoRun;   // where cmd's AutoRun is set; the batch is started without it then
    BatchStart start;
};

class CleanUpTrace {
public:
    virtual ~CleanUpTrace() {}
    virtual void RemoveOnly(long removeOnly) = 0;   // no batch: the dialog ran in place
    virtual void Running() = 0;
    // A folder value the check refuses: the batch removes no folder for it.
    virtual void FolderRefused(const char* option, const char* value, const char* reason) = 0;
    virtual void Planned(const CleanUpPlan& plan) = 0;
    virtual void NoOemForm(const CleanUpPlan& plan) = 0;
    virtual void NotCreated(const CleanUpPlan& plan) = 0;
    virtual void Created(const CleanUpPlan& plan) = 0;   // before the text is written
    virtual void NotWritten(const CleanUpPlan& plan) = 0;
    virtual void Written(const CleanUpPlan& plan) = 0;
    virtual void Starting(const CleanUpPlan& plan) = 0;
    virtual void Started(const CleanUpPlan& plan, bool started) = 0;
};

enum CleanUpResult {
    CLEANUP_STARTED = 0,
    CLEANUP_REMOVE_ONLY = -1,   // "/RemoveOnly" other than 0: nothing written
    CLEANUP_NO_OEM_FORM = -2,   // the text has a letter cmd would misread: nothing written
    CLEANUP_NOT_WRITTEN = -3,   // the batch file could not be created or written
    CLEANUP_NOT_STARTED = -4,
};

CleanUpResult RunCleanUp(RemovalHost& host, const CleanUpRequest& request, CleanUpTrace& trace);
