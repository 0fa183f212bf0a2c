// The logger singleton: settings, line writer, log file frame and output.
#pragma once
#include "LogFrame.h"
#include "LogShared.h"
#include <zvcrypt/LogDefs.h>
#include <zvcrypt/LogPath.h>
#include <zvcrypt/StrBlob.h>
#include <atomic>
#include <list>
#include <string>
#include <windows.h>

namespace zvcrypt {

class zvCritSec;
class zvIO;
class Config;
class CProfiler;
class LogProcAnalyse;

// States of the log file.
enum {
    LOGSTATE_NOT_STARTED = 1,
    LOGSTATE_STARTED = 4,
    LOGSTATE_CLOSING = 8,
    LOGSTATE_CLOSED = 16
};

// IOFileType: the back-end of the log file (any value but 2 counts as the plain file).
enum {
    IOFILE_PLAIN = 1,
    IOFILE_RING = 2  // memory-mapped ring file of MaxFileLen bytes
};

// What the log entry points need of the logger. They reach it only through this interface,
// so only a program that holds a zvCLogInit links the logger. Every library source that
// logs holds one, so a program that uses any of them gets the logger.
class zvLogTarget {
public:
    virtual ~zvLogTarget() {}
    // True when every bit of the mask is set in LogLevel.
    virtual bool passesMask(unsigned long mask) const = 0;
    virtual bool hasProfiler() const = 0;
    // osError: the thread's last OS error when the log call began (shown by error lines).
    virtual void write(const char* sourceFile, int line, unsigned long mask, const char* text,
                       DWORD osError) = 0;
    virtual void configure(const Config& store) = 0;
    virtual void setTag(const char* tag) = 0;
    virtual void indent(int delta) = 0;
    virtual void addSubProc(const char* name) = 0;
    virtual void removeSubProc(const char* name) = 0;
    virtual void clear() = 0;
};

// The logger singleton (null while no logger exists) and the count of live guards.
extern zvLogTarget* volatile gpLogTarget;
extern int giLogInitCount;

class zvCLog : public zvLogTarget {
public:
    zvCLog();
    ~zvCLog() override;
    zvCLog(const zvCLog&) = delete;
    zvCLog& operator=(const zvCLog&) = delete;

    bool passesMask(unsigned long mask) const override { return (mask & ~mulLevelMask) == 0; }
    bool hasProfiler() const override { return mpProfiler != nullptr; }
    void write(const char* sourceFile, int line, unsigned long mask, const char* text,
               DWORD osError) override;
    void configure(const Config& store) override;
    void setTag(const char* tag) override;
    void indent(int delta) override { miIndent.add(delta); }
    void addSubProc(const char* name) override;
    void removeSubProc(const char* name) override;
    void clear() override;

    // Log file (path, frame, output).
    void startLog();
    void closeLog();
    void output(const char* text, size_t length);
    int redirectStdErr();
    int redirectStdOut();

    const char* fullPath() const { return mPath.mFullPath.c_str(); }

private:
    struct SubProc {
        Blob mName;
        unsigned long mulThreadId;
    };

    void writeLine(const char* sourceFile, int line, unsigned long mask, const char* text,
                   DWORD osError);
    // The lock when ThreadSave is on, else null: a SyncObjectLocker on null locks nothing.
    zvCritSec* threadLock() const { return mbThreadSave ? mpLock : nullptr; }
    void closeBackEnd();
    zvIO* createBackEnd();
    // LogPath, LogFileName and LogDirName of one store.
    void setPath(LogPathSettings settings);

    // Settings (flags). What a line's formatting reads may be set by another thread while
    // the line is formatted outside the lock: those fields are LogShared (and the texts
    // LogSharedText, whose old values stay until the logger goes). The heap analyser is not
    // read that way: see mpHeapAnalyser.
    bool mbClear;
    bool mbStaysOpen;
    bool mbAppendProcName;
    bool mbAppendPid;
    LogShared<bool> mbPrintOut;
    LogShared<bool> mbShowDate;
    LogShared<bool> mbShowFileAndLine;
    LogShared<bool> mbShortPath;
    LogShared<bool> mbShowPid;
    LogShared<bool> mbShowTid;
    LogShared<bool> mbThreadSave;
    LogShared<bool> mbWriteOut;

    std::atomic<int> miState;
    LogShared<unsigned long> mulFileWidth;   // grows to the widest source name seen
    unsigned long mulKeptMask;
    LogShared<unsigned long> mulLevelMask;
    LogShared<unsigned long> mulPrefixLen;   // where a line without source starts its text
    int miEncoding;
    LogShared<int> miIndent;
    int miIOFileType;
    unsigned long mulRingSize;

    LogSharedText mSourceFilter;
    LogFilePath mPath;   // the log file: set while settings are applied, under the lock
    LogSharedText mTag;

    zvCritSec* mpLock;
    std::atomic<CProfiler*> mpProfiler;
    // Created, replaced, walked and freed only under the lock (when ThreadSave is on): a
    // walk changes the analyser, and configure frees the one it replaces, so a line takes
    // its heap field under the lock too. Atomic only for the quick test whether one exists.
    std::atomic<LogProcAnalyse*> mpHeapAnalyser;
    std::list<SubProc> mSubProcs;
    zvIO* m_pSzvIO;
};

} // namespace zvcrypt
