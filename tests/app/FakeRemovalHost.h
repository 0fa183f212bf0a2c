// A removal host for tests: a temporary directory, an environment, the files a package
// holds, process counts and answers given in advance. Every call lands in one journal, in
// order, as a line a reader can compare ("copy V:\pkg\a.dll -> C:\T\a.dll"); so do the
// traces of RecordedRelocationTrace / RecordedCleanUpTrace when they are handed the journal.
#pragma once
#include "CleanUpRun.h"
#include "FakeBatchHost.h"
#include "RelocationRun.h"
#include <windows.h>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

typedef std::vector<std::string> Journal;

class FakeRemovalHost : public RemovalHost {
public:
    // What the host answers.
    std::string temp = "C:\\T";
    std::map<std::string, std::string> env;
    std::set<std::string> missing;          // sources whose copy fails; the program's: its target
    std::set<std::string> undeletable;      // files whose removal fails (error 32)
    std::set<std::string> readOnlyStays;    // copies whose attribute cannot be cleared (error 5)
    std::deque<int> counts;                 // successive process counts; 1 when used up
    unsigned long startError = 0;           // non-zero: every start fails with it
    unsigned long endedWith = 0;            // non-zero: a start that waits sees the program end with it
    FileWriteResult writeResult = FILE_WRITTEN;
    BatchFolderContext folders;             // what FolderContext answers, workDir set from the call
    std::vector<CString> autoRun;           // where cmd's AutoRun is set
    std::string systemDir = "C:\\Windows\\system32";
    bool terminalDelegated = false;         // Windows Terminal is the default terminal
    FakeBatchHost batch;

    // What the code did.
    Journal journal;
    std::map<std::string, std::string> written;   // path -> bytes
    std::vector<ProcessStart> starts;

    CString TempDir() override { return CString(temp); }
    bool HasEnvironment(const char* name) override { return env.count(name) != 0; }
    void PutEnvironment(const char* name, const char* value) override
    {
        env[name] = value;
        Log(std::string("putenv ") + name + "=" + value);
    }
    bool CopyProgramFile(const char* source, const char* target) override
    {
        Log(std::string("copy-program ") + source + " -> " + target);
        return missing.count(target) == 0;
    }
    bool CopyPackageFile(const char* source, const char* target) override
    {
        Log(std::string("copy ") + source + " -> " + target);
        return missing.count(source) == 0;
    }
    bool ClearReadOnly(const char* path, unsigned long* error) override
    {
        Log(std::string("clear-read-only ") + path);
        *error = readOnlyStays.count(path) ? 5 : 0;
        return *error == 0;
    }
    bool RemoveFile(const char* path, unsigned long* error) override
    {
        Log(std::string("delete ") + path);
        *error = undeletable.count(path) ? 32 : 0;
        return *error == 0;
    }
    bool ChangeDirectory(const char* path) override
    {
        Log(std::string("cd ") + path);
        return true;
    }
    FileWriteResult WriteWholeFile(const char* path, const CString& bytes) override
    {
        Log(std::string("write ") + path);
        if (writeResult == FILE_WRITTEN) written[path] = bytes.str();
        return writeResult;
    }
    bool StartProcess(const ProcessStart& start, unsigned long* error) override
    {
        starts.push_back(start);
        Log("start " + start.commandLine.str() + " in " + (start.workDir ? start.workDir : "(current)") +
            (start.showWindow == 0 ? ", hidden" : ", shown") + (start.inheritHandles ? ", inheriting" : "") +
            (start.creationFlags == CREATE_NO_WINDOW ? ", no window" : start.creationFlags ? ", other flags" : "") +
            (start.applicationName ? std::string(", program ") + start.applicationName : std::string()) +
            (start.readyWaitMs ? ", waits until ready" : ""));
        if (startError == 0 && endedWith && start.readyWaitMs && start.pOutcome)
            *start.pOutcome = StartOutcome{true, endedWith};
        *error = startError;
        return startError == 0;
    }
    int CountProcessesByName(const char* exeName) override
    {
        int n = counts.empty() ? 1 : counts.front();
        if (!counts.empty()) counts.pop_front();
        Log(std::string("count ") + exeName + " = " + std::to_string(n));
        return n;
    }
    void ShowMessage(const char* text, const char* caption) override
    {
        Log(std::string("box ") + caption + ": " + text);
    }
    void Wait(unsigned long ms) override { Log("wait " + std::to_string(ms)); }
    std::vector<CString> CmdAutoRun() override { return autoRun; }
    CString SystemFolder() override { return CString(systemDir.c_str()); }
    bool TerminalDelegated() override { return terminalDelegated; }
    const BatchHost& Batch() override { return batch; }
    BatchFolderContext FolderContext(const char* workDir, const char*, const char*) override
    {
        BatchFolderContext context = folders;
        context.workDir = workDir;
        context.ansiCodePage = batch.AnsiCodePage();
        context.oemCodePage = batch.OemCodePage();
        return context;
    }

    void Log(const std::string& line) { journal.push_back(line); }
};

// The traces as journal lines ("trace ..."), in the order the run makes them.
class RecordedRelocationTrace : public RelocationTrace {
public:
    explicit RecordedRelocationTrace(Journal& journal) : m_journal(journal) {}
    void PackageFileCopied(const char* from, const char* to) override
    {
        m_journal.push_back(std::string("trace copied ") + from + " -> " + to);
    }
    void ReadOnlyKept(const char* path, unsigned long error) override
    {
        m_journal.push_back(std::string("trace read-only ") + path + " " + std::to_string(error));
    }
    void FolderLeftOut(const RestartPlan& plan) override
    {
        m_journal.push_back("trace left out " + plan.leftOutOption.str() + " [" + plan.leftOutValue.str() + "] " +
                            plan.leftOutReason.str());
    }
    void StartingCopy(const RestartPlan& plan, const char* tempDir) override
    {
        m_journal.push_back("trace calling " + plan.commandLine.str() + " in " + tempDir);
    }
    void CopyEndedAtOnce(const RestartPlan&, unsigned long exitCode) override
    {
        m_journal.push_back("trace ended at once " + std::to_string(exitCode));
    }
    void CopyNotStarted(const RestartPlan&, unsigned long error) override
    {
        m_journal.push_back("trace not started " + std::to_string(error));
    }
    void CopyRemoved(const char* path, bool removed, unsigned long error) override
    {
        m_journal.push_back(std::string("trace ") + (removed ? "removed " : "stays ") + path +
                            (removed ? "" : " " + std::to_string(error)));
    }

private:
    Journal& m_journal;
};

class RecordedCleanUpTrace : public CleanUpTrace {
public:
    explicit RecordedCleanUpTrace(Journal& journal) : m_journal(journal) {}
    void RemoveOnly(long removeOnly) override { Add("remove only " + std::to_string(removeOnly)); }
    void Running() override { Add("running"); }
    void FolderRefused(const char* option, const char* value, const char* reason) override
    {
        Add(std::string("refused ") + option + " [" + value + "] " + reason);
    }
    void Planned(const CleanUpPlan& plan) override { Add("planned " + plan.batch.batchPath.str()); }
    void NoOemForm(const CleanUpPlan&) override { Add("no OEM form"); }
    void NotCreated(const CleanUpPlan&) override { Add("not created"); }
    void Created(const CleanUpPlan&) override { Add("created"); }
    void NotWritten(const CleanUpPlan&) override { Add("not written"); }
    void Written(const CleanUpPlan&) override { Add("written"); }
    void Starting(const CleanUpPlan& plan) override { Add("starting in " + plan.batch.workDir.str()); }
    void Started(const CleanUpPlan&, bool started) override { Add(started ? "started" : "not started"); }

private:
    void Add(const std::string& text) { m_journal.push_back("trace " + text); }
    Journal& m_journal;
};
