// The logger singleton: settings, line writer, log file frame and output.
#pragma once
#include <zvcrypt/LogDefs.h>
#include <zvcrypt/StrBlob.h>
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

class zvCLog {
public:
    zvCLog();
    ~zvCLog();
    zvCLog(const zvCLog&) = delete;
    zvCLog& operator=(const zvCLog&) = delete;

    // True when every bit of the mask is set in LogLevel.
    bool passesMask(unsigned long mask) const { return (mask & ~mulLevelMask) == 0; }
    bool hasProfiler() const { return mpProfiler != nullptr; }

    // osError: the thread's last OS error when the log call began (shown by error lines).
    void write(const char* sourceFile, int line, unsigned long mask, const char* text,
               DWORD osError);
    void configure(const Config& store);
    void setTag(const char* tag);
    void indent(int delta) { miIndent += delta; }
    void addSubProc(const char* name);
    void removeSubProc(const char* name);
    void clear();

    // Log file (path, frame, output).
    void setLogPath(const char* path);
    void setFileName(const char* name);
    void setDirName(const char* dir);
    void startLog();
    void closeLog();
    void output(const char* text, size_t length);
    int checkEncoding(int flags);
    int redirectStdErr();
    int redirectStdOut();

    const char* fullPath() const { return mFullPath.getString(); }

private:
    struct SubProc {
        Blob mName;
        unsigned long mulThreadId;
    };

    void writeLine(const char* sourceFile, int line, unsigned long mask, const char* text,
                   DWORD osError);
    void closeBackEnd();
    zvIO* createBackEnd();
    std::string appendedName(char separator) const;

    // Settings (flags).
    bool mbClear;
    bool mbStaysOpen;
    bool mbAppendProcName;
    bool mbAppendPid;
    bool mbPrintOut;
    bool mbShowDate;
    bool mbShowFileAndLine;
    bool mbShortPath;
    bool mbShowPid;
    bool mbShowTid;
    bool mbThreadSave;
    bool mbWriteOut;

    volatile int miState;
    volatile unsigned long mulFileWidth;
    unsigned long mulKeptMask;
    volatile unsigned long mulLevelMask;
    volatile unsigned long mulPrefixLen;
    int miEncoding;
    volatile int miIndent;
    int miIOFileType;
    unsigned long mulRingSize;

    StrBlob mFileName;
    StrBlob mSourceFilter;
    StrBlob mDirName;
    StrBlob mFullPath;
    StrBlob mTag;

    zvCritSec* mpLock;
    CProfiler* mpProfiler;
    LogProcAnalyse* mpHeapAnalyser;
    std::list<SubProc> mSubProcs;
    zvIO* m_pSzvIO;
    bool mbRingBackEnd;  // the back-end is the memory-mapped ring (it gets the trailer)
};

// The local time as ctime shows it, without the final line feed.
std::string logTimeStamp();

} // namespace zvcrypt
