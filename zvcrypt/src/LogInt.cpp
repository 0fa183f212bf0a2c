#include "LogInt.h"
#include "LogHooks.h"
#include "ModuleName.h"
#include "LogLine.h"
#include <zvcrypt/Blob.h>
#include <zvcrypt/Config.h>
#include <zvcrypt/Log.h>
#include <zvcrypt/ResMan.h>
#include <zvcrypt/SyncObjectLocker.h>
#include <zvcrypt/SystemErr.h>
#include <zvcrypt/zvCritSec.h>
#include <zvcrypt/zvFile.h>
#include <zvcrypt/zvIO.h>
#include <zvcrypt/zvMessage.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <sys/stat.h>

namespace zvcrypt {

namespace {

const int LOG_FILE_PERMISSION = 0666;  // read and write
const char* const CRLF = "\r\n";
const unsigned long RING_MIN = 0x80000;
const unsigned long RING_MAX = 0xA00000;

// A line written while this thread is already inside the logger's output (a back-end
// reporting its own failure) must not reach the back-end again.
thread_local int tlOutputDepth = 0;

struct OutputGuard {
    OutputGuard() { ++tlOutputDepth; }
    ~OutputGuard() { --tlOutputDepth; }
};

void nowTime(char* out, size_t size)
{
    char picture[200];
    if (!GetTimeFormatA(LOCALE_USER_DEFAULT, 0, nullptr, "HH':'mm':'ss", picture, sizeof picture)) {
        _snprintf(out, size, "%s", "Error in NowTime()");
        out[size - 1] = '\0';
        return;
    }
    // Milliseconds since the first time field of the process (set once, thread-safe).
    static const DWORD origin = GetTickCount();
    DWORD now = GetTickCount();
    _snprintf(out, size, "%s:%03ld", picture, static_cast<long>((now - origin) % 1000));
    out[size - 1] = '\0';
}

void nowDate(char* out, size_t size)
{
    if (!GetDateFormatA(LOCALE_USER_DEFAULT, 0, nullptr, "yyMMdd", out, static_cast<int>(size)))
        _snprintf(out, size, "%s", "Error in NowTime()");
    out[size - 1] = '\0';
}

// The library's compile date and time, as the frame names them.
std::string buildStamp()
{
    return std::string(__DATE__) + " " + __TIME__;
}

bool isRegularFile(const char* path)
{
    struct _stat st;
    return _stat(path, &st) == 0 && (st.st_mode & _S_IFREG) != 0;
}

std::string textOf(const Blob& value)
{
    const char* s = value.getString();
    return s ? s : "";
}

// A text setting the store holds: the store has expanded it already.
LogPathText presentText(const Blob& value)
{
    LogPathText setting;
    setting.mbPresent = true;
    setting.mText = textOf(value);
    return setting;
}

// The executable's file name after the last backslash (at most 259 characters).
std::string executableName()
{
    std::string name = zvModuleFileName(nullptr, true);
    if (name.size() > 259) name.resize(259);
    return name;
}

} // namespace

// ---------------------------------------------------------------------------------------
// Creation and destruction

zvCLog::zvCLog()
    : mbClear(true), mbStaysOpen(false), mbAppendProcName(false), mbAppendPid(false),
      mbPrintOut(true), mbShowDate(false), mbShowFileAndLine(true), mbShortPath(false),
      mbShowPid(false), mbShowTid(false), mbThreadSave(true), mbWriteOut(true),
      miState(LOGSTATE_NOT_STARTED), mulFileWidth(20), mulKeptMask(0), mulLevelMask(0),
      mulPrefixLen(0), miEncoding(ENCODING_8BIT), miIndent(0), miIOFileType(0),
      mulRingSize(RING_MIN), mSourceFilter("all"), mpLock(nullptr), mpProfiler(nullptr),
      mpHeapAnalyser(nullptr), m_pSzvIO(nullptr)
{
    mpLock = new zvCritSec();
    mPath = zvDefaultLogPath(processEnvironment);
    zvMessage::getInstance()->broadcast(ZV_MSG_LOG_STARTED);

    const char* storeName = getenv("ZVCRYPT_LOG_CONF");
    if (storeName) {
        Config store;
        store.load(storeName);
        configure(store);
    }
}

zvCLog::~zvCLog()
{
    miState = LOGSTATE_CLOSING;
    zvMessage::getInstance()->broadcast(ZV_MSG_LOG_ENDING);
    closeLog();
    miState = LOGSTATE_CLOSED;

    {
        SyncObjectLocker<zvCritSec> locker(threadLock());
        delete m_pSzvIO;
        m_pSzvIO = nullptr;
        if (mpHeapAnalyser) {
            logDeleteHeapAnalyser(mpHeapAnalyser);
            mpHeapAnalyser = nullptr;
        }
    }

    if (mpProfiler) {
        logProfilerLap(mpProfiler);
        logDeleteProfiler(mpProfiler);
        mpProfiler = nullptr;
    }
    delete mpLock;
    mpLock = nullptr;
    mSubProcs.clear();
}

// ---------------------------------------------------------------------------------------
// Settings

void zvCLog::configure(const Config& store)
{
    // Hold the lock for the whole store, so that no line sees half of it. The locker keeps
    // what it took, so a store that switches ThreadSave still releases it.
    SyncObjectLocker<zvCritSec> locker(threadLock());

    unsigned long value = 0;
    Blob text;
    auto flag = [&](const char* key, auto& target) {
        unsigned long v = 0;
        if (store.getValue(key, v)) target = (v == 1);
    };

    if (store.getValue("LogMask", value)) mulKeptMask = value;
    flag("LogClear", mbClear);
    if (store.getValue("IOFileType", value)) {
        if (value == IOFILE_RING) {
            miIOFileType = IOFILE_RING;
            mbClear = false;  // a ring file is never cleared
        } else {
            miIOFileType = IOFILE_PLAIN;
        }
        if (store.getValue("MaxFileLen", value))
            mulRingSize = value < RING_MIN ? RING_MIN : (value > RING_MAX ? RING_MAX : value);
    }
    if (store.getValue("LogLevel", value)) mulLevelMask = value;
    flag("LogFileAppendPID", mbAppendPid);
    flag("LogFileAppendProcName", mbAppendProcName);
    if (store.getValue("LogFiles", text)) mSourceFilter.set(textOf(text).c_str());
    if (store.getValue("FixFileNameLen", value)) mulFileWidth = value;
    flag("LogShortPath", mbShortPath);
    flag("ShowPid", mbShowPid);
    flag("ShowTid", mbShowTid);
    flag("ShowDate", mbShowDate);
    flag("LogShowFileAndLine", mbShowFileAndLine);
    flag("PrintOut", mbPrintOut);
    flag("WriteOut", mbWriteOut);
    flag("ThreadSave", mbThreadSave);
    flag("LogStaysOpen", mbStaysOpen);
    if (store.getValue("LogProfile", value) && value == 1) {
        if (mpProfiler) logDeleteProfiler(mpProfiler);
        mpProfiler = logCreateProfiler();
    }
    if (store.getValue("LogProcAnalyse", value) && value == 1) {
        if (mpHeapAnalyser) logDeleteHeapAnalyser(mpHeapAnalyser);
        mpHeapAnalyser = logCreateHeapAnalyser();
    }
    if (store.getValue("LogForce", value)) zvLogSetForce(value == 1);
    LogPathSettings path;
    if (store.getValue("LogPath", text)) path.mLogPath = presentText(text);
    if (store.getValue("LogFileName", text)) path.mLogFileName = presentText(text);
    if (store.getValue("LogDirName", text)) path.mLogDirName = presentText(text);
    setPath(path);
    if (store.getValue("LogRedirectSTDERR", value) && value == 1) redirectStdErr();
    if (store.getValue("LogRedirectSTDOUT", value) && value == 1) redirectStdOut();
}

void zvCLog::setTag(const char* tag)
{
    mTag.set(tag);
}

void zvCLog::addSubProc(const char* name)
{
    SubProc entry;
    entry.mName = Blob(name ? name : "subProc");
    entry.mulThreadId = GetCurrentThreadId();
    SyncObjectLocker<zvCritSec> locker(threadLock());
    mSubProcs.push_back(entry);
}

void zvCLog::removeSubProc(const char* name)
{
    if (!name) return;
    SyncObjectLocker<zvCritSec> locker(threadLock());
    for (auto it = mSubProcs.begin(); it != mSubProcs.end();) {
        if (_stricmp(it->mName.getString(), name) == 0)
            it = mSubProcs.erase(it);
        else
            ++it;
    }
}

// ---------------------------------------------------------------------------------------
// The writer

void zvCLog::write(const char* sourceFile, int line, unsigned long mask, const char* text,
                   DWORD osError)
{
    if (mpProfiler) {
        SyncObjectLocker<zvCritSec> locker(threadLock());
        logProfilerResume(mpProfiler);
    }
    if (text && passesMask(mask)) writeLine(sourceFile, line, mask, text, osError);
    if (mpProfiler) {
        SyncObjectLocker<zvCritSec> locker(threadLock());
        logProfilerStop(mpProfiler);
    }
}

void zvCLog::writeLine(const char* sourceFile, int line, unsigned long mask, const char* text,
                       DWORD osError)
{
    bool nested = tlOutputDepth > 0;
    if (miState != LOGSTATE_STARTED && !nested) {
        // One thread starts the log; the others wait and find it started.
        SyncObjectLocker<zvCritSec> locker(threadLock());
        if (miState != LOGSTATE_STARTED) startLog();
    }

    char buffer[LOG_LINE_MAX + 1];
    LogLine out(buffer, LOG_LINE_MAX);

    if (sourceFile && line != 0) {
        const char* base = "";
        size_t baseLen = logBaseName(sourceFile, &base);
        if (!logFilterPasses(mSourceFilter.getString(), base, baseLen)) return;
        if (mbShowFileAndLine) {
            unsigned long width = mulFileWidth;
            logSourceField(out, sourceFile, base, baseLen, line, mbShortPath, width);
            mulFileWidth.raiseTo(width);
            mulPrefixLen = static_cast<unsigned long>(out.length());
        }
    } else {
        unsigned long indent = mulPrefixLen;
        out.blanks(indent > 67 ? 67 : indent);
    }

    size_t tagLength = 0;
    const char* tag = mTag.getString(&tagLength);
    if (tagLength > 0) out.add(tag, tagLength);
    if (mbShowDate) {
        char date[200], time[100];
        nowDate(date, sizeof date);
        nowTime(time, sizeof time);
        out.addf("[%s %s] ", date, time);
    }
    if (mbShowPid) out.addf("[pid=%d] ", static_cast<int>(GetCurrentProcessId()));
    if (mbShowTid) {
        void* tid = reinterpret_cast<void*>(static_cast<UINT_PTR>(GetCurrentThreadId()));
        out.addf(mbThreadSave ? "[tid=%p] " : "[TID=%p] ", tid);
    }
    if (mpHeapAnalyser) {
        SyncObjectLocker<zvCritSec> locker(threadLock());
        if (LogProcAnalyse* analyser = mpHeapAnalyser)
            out.addf("[Mem[%4dKb]] ", static_cast<int>(logHeapCurrent(analyser) >> 10));
    }
    int level = miIndent;
    if (level > 0) out.blanks(5 * static_cast<size_t>(level));
    out.add(text);
    if (!(mask & LOGMASK_NOLINEEND)) out.normaliseLineEnd();

    if (mask & LOGMASK_ERROR) {
        SyncObjectLocker<zvCritSec> locker(threadLock());
        if (!mSubProcs.empty()) {
            out.addf("\t\t******* Stacktrace:%s", CRLF);
            for (const SubProc& entry : mSubProcs)
                out.addf("\t\t******* %s%s", entry.mName.getString(), CRLF);
        }
        Blob threadName = zvResManInit::findName(GetCurrentThreadId());
        if (threadName.getLength() > 0)
            out.addf("\t\t******* [infoThread=%s]%s", threadName.getString(), CRLF);
        out.addf("\t\t******* [OS Error=(%ld=%lx)", static_cast<long>(osError),
                 static_cast<unsigned long>(osError));
        out.addf("=%s]%s", zvErrorText(osError), CRLF);
    }

    if (nested) {
        // A back-end reporting its own failure from inside the output: debugger only.
        if (mbPrintOut) OutputDebugStringA(out.text());
        return;
    }
    output(out.text(), out.length());
}

// ---------------------------------------------------------------------------------------
// Log file path

void zvCLog::closeBackEnd()
{
    if (m_pSzvIO) m_pSzvIO->close();
}

void zvCLog::setPath(LogPathSettings settings)
{
    if (!settings.mLogPath.mbPresent && !settings.mLogFileName.mbPresent && !settings.mLogDirName.mbPresent)
        return;
    // The file is about to change: the next output opens the new one.
    closeBackEnd();
    settings.mbAppendPid = mbAppendPid;
    settings.mbAppendProcName = mbAppendProcName;
    settings.mulProcessId = GetCurrentProcessId();
    if (mbAppendProcName) settings.mExecutableName = executableName();
    mPath = zvLogFilePath(mPath, settings, processEnvironment);
}

int zvCLog::redirectStdErr()
{
    std::string path = mPath.mFullPath + ".stderr";
    return freopen(path.c_str(), "w", stderr) ? 0 : -1;
}

int zvCLog::redirectStdOut()
{
    std::string path = mPath.mFullPath + ".stdout";
    return freopen(path.c_str(), "w", stdout) ? 0 : -1;
}

// ---------------------------------------------------------------------------------------
// Log file frame and output

zvIO* zvCLog::createBackEnd()
{
    if (miIOFileType == IOFILE_RING) {
        if (zvIO* ring = logCreateRingBackEnd(mulRingSize)) return ring;
    }
    return new zvFile();
}

void zvCLog::startLog()
{
    if (mulLevelMask == 0) return;
    OutputGuard guard;
    if (!m_pSzvIO) m_pSzvIO = createBackEnd();

    const char* path = mPath.mFullPath.c_str();
    std::string text;
    if (!isRegularFile(path)) {
        text = logNewFilePreamble(logBackEndName(*m_pSzvIO), buildStamp());
        if (m_pSzvIO->create(path, true, LOG_FILE_PERMISSION)) logWriteNewMark(*m_pSzvIO, miEncoding);
    } else if (m_pSzvIO->isOpen() || m_pSzvIO->open(path, zvIO::OPEN_UPDATE, LOG_FILE_PERMISSION)) {
        m_pSzvIO->seekEnd(0);
        miEncoding = logReadMark(*m_pSzvIO, miEncoding);
        text = logContinuePreamble(buildStamp());
    }
    if (m_pSzvIO->isOpen()) {
        if (mbStaysOpen)
            m_pSzvIO->flush();
        else
            m_pSzvIO->close();
    }

    text += logOpeningBlock(logTimeStamp(time(nullptr)));
    output(text.c_str(), text.size());
    miState = LOGSTATE_STARTED;
}

void zvCLog::closeLog()
{
    if (mulLevelMask == 0) return;
    std::string text;
    {
        SyncObjectLocker<zvCritSec> locker(threadLock());
        if (mpHeapAnalyser) text = logHeapReport(logHeapDifference(mpHeapAnalyser));
    }
    text += logClosingBlock(buildStamp(), logTimeStamp(time(nullptr)));
    output(text.c_str(), text.size());
}

void zvCLog::output(const char* text, size_t length)
{
    if (mbPrintOut) OutputDebugStringA(text);
    if (!mbWriteOut) return;

    OutputGuard guard;
    SyncObjectLocker<zvCritSec> locker(threadLock());

    const char* path = mPath.mFullPath.c_str();
    if (!m_pSzvIO ||
        (!m_pSzvIO->isOpen() && !m_pSzvIO->open(path, zvIO::OPEN_UPDATE, LOG_FILE_PERMISSION))) {
        char message[LOG_LINE_MAX + 1];
        _snprintf(message, sizeof message, "m_pSzvIO=0x%p==0||m_pSzvIO->open(%s)%s",
                  static_cast<void*>(m_pSzvIO), path, CRLF);
        message[sizeof message - 1] = '\0';
        OutputDebugStringA(message);
        miState = LOGSTATE_NOT_STARTED;
        return;
    }

    m_pSzvIO->seekEnd(0);
    // A wide log looks at its mark before every line: what another program did to it.
    if (miEncoding == ENCODING_UTF16LE) miEncoding = logReadMark(*m_pSzvIO, miEncoding);

    // The file's character width: 8-bit text as it is, UTF-16LE converted.
    Blob wide;
    const void* data = text;
    unsigned long size = static_cast<unsigned long>(length);
    if (miEncoding == ENCODING_UTF16LE) {
        Blob narrow(text);
        mbsToWcs(narrow, wide);
        data = wide.getData();
        size = wide.getLength();
    }

    m_pSzvIO->write(data, size);

    if (mbStaysOpen)
        m_pSzvIO->flush();
    else
        m_pSzvIO->close();
}

void zvCLog::clear()
{
    if (!mbClear) return;
    SyncObjectLocker<zvCritSec> locker(threadLock());
    if (mulLevelMask != 0) {
        const char* path = mPath.mFullPath.c_str();
        if (m_pSzvIO) {
            if (m_pSzvIO->close() && m_pSzvIO->open(path, zvIO::OPEN_WRITE, LOG_FILE_PERMISSION))
                m_pSzvIO->close();
        } else {
            DeleteFileA(path);
        }
    }
    miState = LOGSTATE_NOT_STARTED;
}

} // namespace zvcrypt
