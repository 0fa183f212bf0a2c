// The removal host of a running program: the Win32 calls behind RemovalHost, each thin.
#pragma once
#include "BatchStart.h"
#include "RemovalHost.h"
#include <windows.h>

class Win32RemovalHost : public RemovalHost {
public:
    CString TempDir() override;
    bool HasEnvironment(const char* name) override;
    void PutEnvironment(const char* name, const char* value) override;
    bool CopyProgramFile(const char* source, const char* target) override;
    bool CopyPackageFile(const char* source, const char* target) override;
    bool ClearReadOnly(const char* path, unsigned long* error) override;
    bool RemoveFile(const char* path, unsigned long* error) override;
    bool ChangeDirectory(const char* path) override;
    FileWriteResult WriteWholeFile(const char* path, const CString& bytes) override;
    bool StartProcess(const ProcessStart& start, unsigned long* error) override;
    int CountProcessesByName(const char* exeName) override;
    void ShowMessage(const char* text, const char* caption) override;
    void Wait(unsigned long ms) override;
    std::vector<CString> CmdAutoRun() override;
    CString SystemFolder() override;
    bool TerminalDelegated() override { return DefaultTerminalDelegated(); }
    const BatchHost& Batch() override { return m_batch; }
    BatchFolderContext FolderContext(const char* workDir, const char* tempDir, const char* programDir) override;

private:
    SystemBatchHost m_batch;
};

// The message box text for a failed read of the program copy, by the last error.
const char* ReadErrorText(unsigned long lastError);
