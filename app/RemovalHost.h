// The machine as the relocation and the clean-up see it: the temporary directory and the
// environment, the files they copy and write, the processes they start and count, and the
// message boxes of the copy step. Everything that decides works on these calls; the
// program uses Win32RemovalHost, the tests a fake that records every call.
#pragma once
#include "BatchFolderCheck.h"
#include "BatchWord.h"
#include "CString.h"
#include <vector>

// What a start saw of the started program while it waited (ProcessStart::readyWaitMs).
struct StartOutcome {
    bool endedAtOnce = false;     // it ended before it waited for input
    unsigned long exitCode = 0;   // then: its exit code (e.g. 0xC0000135, a DLL it needs was not found)
};

// What starts a process. The window is always given: the show-window flag is set.
struct ProcessStart {
    const char* applicationName = nullptr;   // null: the command line's first word names the program
    CString commandLine;
    bool inheritHandles = false;
    unsigned long creationFlags = 0;
    const char* workDir = nullptr;           // null: this process's current directory
    unsigned short showWindow = 1;           // an SW_ value: 5 shows, 0 hides
    // Non-zero: after the start, wait up to this long until the program waits for input or
    // has ended, and say which in *pOutcome. Zero: no wait.
    unsigned long readyWaitMs = 0;
    StartOutcome* pOutcome = nullptr;
};

enum FileWriteResult {
    FILE_WRITTEN = 0,
    FILE_NOT_CREATED = -1,   // the file could not be created (nothing was written)
    FILE_NOT_WRITTEN = -2,   // created, but the write failed
};

class RemovalHost {
public:
    virtual ~RemovalHost() {}

    // "Temp" as read into a 260-character buffer; empty when it is not set or does not fit.
    virtual CString TempDir() = 0;
    virtual bool HasEnvironment(const char* name) = 0;
    // Sets name=value for this process and the processes it starts.
    virtual void PutEnvironment(const char* name, const char* value) = 0;

    // Copies the program file by 4096-byte reads. The source is opened open-always, so a
    // missing one is created empty. Each failure shows its message box ("Error") and the
    // copy goes on as far as it can. True when the target was created (it holds what was read).
    virtual bool CopyProgramFile(const char* source, const char* target) = 0;
    // Copies a package file, replacing the target. False when nothing was copied.
    virtual bool CopyPackageFile(const char* source, const char* target) = 0;
    // Clears the read-only attribute a copy keeps from a read-only source. False, with the
    // system error, when the attribute stays.
    virtual bool ClearReadOnly(const char* path, unsigned long* error) = 0;
    virtual bool RemoveFile(const char* path, unsigned long* error) = 0;
    virtual bool ChangeDirectory(const char* path) = 0;
    // Creates path (replacing it, no sharing) and writes bytes in one write.
    virtual FileWriteResult WriteWholeFile(const char* path, const CString& bytes) = 0;

    // Starts a process and lets its handles go. False, with the system error, when it did not start.
    virtual bool StartProcess(const ProcessStart& start, unsigned long* error) = 0;
    // Running processes whose executable module is named exeName, letter case ignored
    // (0 when the processes cannot be listed).
    virtual int CountProcessesByName(const char* exeName) = 0;

    // A message box without owner and icon, OK only.
    virtual void ShowMessage(const char* text, const char* caption) = 0;
    virtual void Wait(unsigned long ms) = 0;

    // Where an AutoRun command for cmd is set ("HKCU", "HKLM (64-bit view)", ...); empty when
    // none is. The system folder, where the batch's cmd.exe is taken from then.
    virtual std::vector<CString> CmdAutoRun() = 0;
    virtual CString SystemFolder() = 0;
    // True when another terminal than the console window is the default one.
    virtual bool TerminalDelegated() = 0;

    // What the batch text needs: code pages and short names, and the folders a batch must
    // never remove when it runs in workDir.
    virtual const BatchHost& Batch() = 0;
    virtual BatchFolderContext FolderContext(const char* workDir, const char* tempDir, const char* programDir) = 0;
};
