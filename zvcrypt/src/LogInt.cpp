#include "LogInt.h"
#include "LogHooks.h"
#include <zvcrypt/LogRing.h>
#include <zvcrypt/ModuleName.h>
#include "LogLine.h"
#include <zvcrypt/Blob.h>
#include <zvcrypt/Config.h>
#include <zvcrypt/Log.h>
#include <zvcrypt/ResMan.h>
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
#include <typeinfo>

namespace zvcrypt {

namespace {

const int LOG_FILE_PERMISSION = 438;  // octal 0666: read and write
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

// "Module zvcrypt [Compile Time <date> <time>" without the closing bracket.
std::string buildStamp()
{
    return std::string("modInfo(\"Module zvcrypt [Compile Time ") + __DATE__ + " " + __TIME__;
}

// "N7zvcrypt6zvFileE" -> "zvcrypt::zvFile": the plain class names of our back-ends. Any
// other form stays as the compiler wrote it (the runtime's full demangler is 46 KB).
std::string plainClassName(const char* mangled)
{
    const char* p = mangled;
    bool nested = *p == 'N';
    if (nested) ++p;
    std::string name;
    while (*p >= '0' && *p <= '9') {
        char* rest = nullptr;
        unsigned long length = strtoul(p, &rest, 10);
        if (length == 0 || strlen(rest) < length) return mangled;
        if (!name.empty()) name += "::";
        name.append(rest, length);
        p = rest + length;
        if (!nested) break;
    }
    if (name.empty() || strcmp(p, nested ? "E" : "") != 0) return mangled;
    return name;
}

// The back-end's class as the file shows it ("class zvcrypt::zvFile").
std::string typeName(const zvIO* io)
{
    return "class " + plainClassName(typeid(*io).name());
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

// The executable's file name after the last backslash (at most 259 characters).
std::string executableName()
{
    std::string name = zvModuleFileName(nullptr, true);
    if (name.size() > 259) name.resize(259);
    return name;
}

} // namespace

std::string logTimeStamp()
{
    time_t now = time(nullptr);
    const char* text = ctime(&now);
    if (!text) return std::string();
    std::string stamp(text);
    if (!stamp.empty() && stamp[stamp.size() - 1] == '\n') stamp.erase(stamp.size() - 1);
    return stamp;
}

// ---------------------------------------------------------------------------------------
// Creation and destruction

zvCLog::zvCLog()
    : mbClear(true), mbStaysOpen(false), mbAppendProcName(false), mbAppendPid(false),
      mbPrintOut(true), mbShowDate(false), mbShowFileAndLine(true), mbShortPath(false),
      mbShowPid(false), mbShowTid(false), mbThreadSave(true), mbWriteOut(true),
      miState(LOGSTATE_NOT_STARTED), mulFileWidth(20), mulKeptMask(0), mulLevelMask(0),
      mulPrefixLen(0), miEncoding(0), miIndent(0), miIOFileType(0), mulRingSize(RING_MIN),
      mpLock(nullptr), mpProfiler(nullptr), mpHeapAnalyser(nullptr), m_pSzvIO(nullptr),
      mbRingBackEnd(false)
{
    mSourceFilter.format("%s", "all");
    mTag.format(nullptr);
    mpLock = new zvCritSec();
    setLogPath(nullptr);
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

    bool locked = mbThreadSave;
    if (locked) mpLock->lock();
    delete m_pSzvIO;
    m_pSzvIO = nullptr;
    if (locked) mpLock->unlock();

    if (mpProfiler) {
        logProfilerLap(mpProfiler);
        logDeleteProfiler(mpProfiler);
        mpProfiler = nullptr;
    }
    if (mpHeapAnalyser) {
        logDeleteHeapAnalyser(mpHeapAnalyser);
        mpHeapAnalyser = nullptr;
    }
    delete mpLock;
    mpLock = nullptr;
    mSubProcs.clear();
}

// ---------------------------------------------------------------------------------------
// Settings

void zvCLog::configure(const Config& store)
{
    // Hold the lock for the whole store, so that no line sees half of it.
    bool locked = mbThreadSave;
    if (locked) mpLock->lock();

    unsigned long value = 0;
    Blob text;
    auto flag = [&](const char* key, bool& target) {
        unsigned long v = 0;
        if (store.getValue(key, v)) target = (v == 1);
    };

    if (store.getValue("LogMask", value)) mulKeptMask = value;
    flag("LogClear", mbClear);
    if (store.getValue("IOFileType", value)) {
        if (value == 2) {
            miIOFileType = 2;
            mbClear = false;  // a ring file is never cleared
        } else {
            miIOFileType = 1;
        }
        if (store.getValue("MaxFileLen", value))
            mulRingSize = value < RING_MIN ? RING_MIN : (value > RING_MAX ? RING_MAX : value);
    }
    if (store.getValue("LogLevel", value)) mulLevelMask = value;
    flag("LogFileAppendPID", mbAppendPid);
    flag("LogFileAppendProcName", mbAppendProcName);
    if (store.getValue("LogFiles", text)) mSourceFilter.format("%s", textOf(text).c_str());
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
    if (store.getValue("LogPath", text)) setLogPath(textOf(text).c_str());
    if (store.getValue("LogFileName", text)) setFileName(textOf(text).c_str());
    if (store.getValue("LogDirName", text)) setDirName(textOf(text).c_str());
    if (store.getValue("LogRedirectSTDERR", value) && value == 1) redirectStdErr();
    if (store.getValue("LogRedirectSTDOUT", value) && value == 1) redirectStdOut();

    if (locked) mpLock->unlock();
}

void zvCLog::setTag(const char* tag)
{
    mTag.format("%s", tag ? tag : "");
}

void zvCLog::addSubProc(const char* name)
{
    SubProc entry;
    entry.mName = Blob(name ? name : "subProc");
    entry.mulThreadId = GetCurrentThreadId();
    bool locked = mbThreadSave;
    if (locked) mpLock->lock();
    mSubProcs.push_back(entry);
    if (locked) mpLock->unlock();
}

void zvCLog::removeSubProc(const char* name)
{
    if (!name) return;
    bool locked = mbThreadSave;
    if (locked) mpLock->lock();
    for (auto it = mSubProcs.begin(); it != mSubProcs.end();) {
        if (_stricmp(it->mName.getString(), name) == 0)
            it = mSubProcs.erase(it);
        else
            ++it;
    }
    if (locked) mpLock->unlock();
}

// ---------------------------------------------------------------------------------------
// The writer

void zvCLog::write(const char* sourceFile, int line, unsigned long mask, const char* text,
                   DWORD osError)
{
    if (mpProfiler) {
        bool locked = mbThreadSave;
        if (locked) mpLock->lock();
        logProfilerResume(mpProfiler);
        if (locked) mpLock->unlock();
    }
    if (text && passesMask(mask)) writeLine(sourceFile, line, mask, text, osError);
    if (mpProfiler) {
        bool locked = mbThreadSave;
        if (locked) mpLock->lock();
        logProfilerStop(mpProfiler);
        if (locked) mpLock->unlock();
    }
}

void zvCLog::writeLine(const char* sourceFile, int line, unsigned long mask, const char* text,
                       DWORD osError)
{
    bool nested = tlOutputDepth > 0;
    if (miState != LOGSTATE_STARTED && !nested) {
        // One thread starts the log; the others wait and find it started.
        bool locked = mbThreadSave;
        if (locked) mpLock->lock();
        if (miState != LOGSTATE_STARTED) startLog();
        if (locked) mpLock->unlock();
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
            if (width > mulFileWidth) mulFileWidth = width;
            mulPrefixLen = static_cast<unsigned long>(out.length());
        }
    } else {
        unsigned long indent = mulPrefixLen;
        out.blanks(indent > 67 ? 67 : indent);
    }

    if (mTag.getLength() > 0) out.add(mTag.getString(), mTag.getLength());
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
    if (mpHeapAnalyser)
        out.addf("[Mem[%4dKb]] ", static_cast<int>(logHeapCurrent(mpHeapAnalyser) >> 10));
    int level = miIndent;
    if (level > 0) out.blanks(5 * static_cast<size_t>(level));
    out.add(text);
    if (!(mask & LOGMASK_NOLINEEND)) out.normaliseLineEnd();

    if (mask & LOGMASK_ERROR) {
        bool locked = mbThreadSave;
        if (locked) mpLock->lock();
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
        if (locked) mpLock->unlock();
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

std::string zvCLog::appendedName(char separator) const
{
    std::string tail;
    if (mbAppendProcName) {
        tail += separator + executableName() + ".log";
    }
    if (mbAppendPid) {
        char pid[32];
        _snprintf(pid, sizeof pid, "%lu", static_cast<unsigned long>(GetCurrentProcessId()));
        pid[sizeof pid - 1] = '\0';
        tail += separator + std::string(pid) + ".log";
    }
    return tail;
}

void zvCLog::closeBackEnd()
{
    if (m_pSzvIO) m_pSzvIO->close();
}

void zvCLog::setLogPath(const char* path)
{
    closeBackEnd();
    std::string full;
    if (path) {
        full = path;
    } else {
        const char* profile = getenv("USERPROFILE");
        full = profile ? std::string(profile) + '\\' + "zv.log" : std::string(".\\zv.log");
    }
    full += appendedName('-');
    mFullPath.format("%s", full.c_str());

    size_t slash = full.rfind('\\');
    if (slash != std::string::npos && slash + 1 < full.size()) {
        mFileName.format("%s", full.substr(slash + 1).c_str());
        mDirName.format("%s", full.substr(0, slash).c_str());
    }
}

void zvCLog::setFileName(const char* name)
{
    closeBackEnd();
    std::string file = std::string(name ? name : "") + appendedName('_');
    mFileName.format("%s", file.c_str());
    mFullPath.format("%s%c%s", mDirName.getString(), '\\', mFileName.getString());
}

void zvCLog::setDirName(const char* dir)
{
    closeBackEnd();
    mDirName.format("%s", dir ? dir : "");
    mFullPath.format("%s%c%s", mDirName.getString(), '\\', mFileName.getString());
}

int zvCLog::redirectStdErr()
{
    std::string path = std::string(mFullPath.getString()) + ".stderr";
    return freopen(path.c_str(), "w", stderr) ? 0 : -1;
}

int zvCLog::redirectStdOut()
{
    std::string path = std::string(mFullPath.getString()) + ".stdout";
    return freopen(path.c_str(), "w", stdout) ? 0 : -1;
}

// ---------------------------------------------------------------------------------------
// Log file frame and output

zvIO* zvCLog::createBackEnd()
{
    mbRingBackEnd = false;
    if (miIOFileType == 2) {
        zvIO* ring = logCreateRingBackEnd(mulRingSize);
        if (ring) {
            mbRingBackEnd = true;
            return ring;
        }
    }
    return new zvFile();
}

int zvCLog::checkEncoding(int flags)
{
    long position = m_pSzvIO->tell();
    m_pSzvIO->seek(0, 0);
    unsigned char pair[2] = {0, 0};
    int n = m_pSzvIO->read(pair, 2);
    m_pSzvIO->seek(0, 0);
    if (flags & (2 | 4)) {
        unsigned char mark[2] = {pair[0], pair[1]};
        if (miEncoding == 1) {
            mark[0] = 0xFF;
            mark[1] = 0xFE;
        }
        m_pSzvIO->control(0, mark, 2);
    } else if (n == 2 && (flags & 1)) {
        if (pair[0] == 0xFF && pair[1] == 0xFE) {
            miEncoding = 1;
        } else if (pair[0] == 0 && pair[1] == 0) {
            miEncoding = 0;
        } else {
            m_pSzvIO->seek(position, 0);
            checkEncoding(2);
        }
    }
    m_pSzvIO->seek(position, 0);
    return miEncoding;
}

void zvCLog::startLog()
{
    if (mulLevelMask == 0) return;
    OutputGuard guard;
    if (!m_pSzvIO) m_pSzvIO = createBackEnd();

    const char* path = mFullPath.getString();
    std::string text;
    if (!isRegularFile(path)) {
        text = "createlog();\r\n";
        text += "ioFileType(\"" + typeName(m_pSzvIO) + "\");\r\n";
        text += "modInfo(\"-\");\r\n";
        text += "modInfo(\"\");\r\n";
        text += buildStamp() + "]\");\r\n";
        if (m_pSzvIO->create(path, true, LOG_FILE_PERMISSION)) checkEncoding(4);
    } else if (m_pSzvIO->isOpen() || m_pSzvIO->open(path, 2, LOG_FILE_PERMISSION)) {
        m_pSzvIO->seekEnd(0);
        checkEncoding(1);
        text = "continuelog();\r\n";
        text += "modInfo(\"-\");\r\n";
        text += buildStamp() + "\");\r\n";
    }
    if (m_pSzvIO->isOpen()) {
        if (mbStaysOpen)
            m_pSzvIO->flush();
        else
            m_pSzvIO->close();
    }

    text += "log( starttime=\"" + logTimeStamp() + "\") {\r\n";
    text += "output=\"\r\n";
    output(text.c_str(), text.size());
    miState = LOGSTATE_STARTED;
}

void zvCLog::closeLog()
{
    if (mulLevelMask == 0) return;
    std::string text;
    if (mpHeapAnalyser) {
        char report[256];
        unsigned long difference = logHeapDifference(mpHeapAnalyser);
        _snprintf(report, sizeof report, "\";%sTotal memory difference: %dKb%s%s", CRLF,
                  static_cast<int>(difference / 1024), CRLF, CRLF);
        report[sizeof report - 1] = '\0';
        text += report;
    }
    text += "modInfo(\"-\");\r\n";
    text += "modInfo(\"\");\r\n";
    text += buildStamp() + "\");\r\n";
    text += "end(endtime=\"" + logTimeStamp() + "\");\r\n";
    text += "};\r\n";
    output(text.c_str(), text.size());
}

void zvCLog::output(const char* text, size_t length)
{
    if (mbPrintOut) OutputDebugStringA(text);
    if (!mbWriteOut) return;

    OutputGuard guard;
    bool locked = mbThreadSave;
    if (locked) mpLock->lock();

    const char* path = mFullPath.getString();
    if (!m_pSzvIO || (!m_pSzvIO->isOpen() && !m_pSzvIO->open(path, 2, LOG_FILE_PERMISSION))) {
        char message[LOG_LINE_MAX + 1];
        _snprintf(message, sizeof message, "m_pSzvIO=0x%p==0||m_pSzvIO->open(%s)%s",
                  static_cast<void*>(m_pSzvIO), path, CRLF);
        message[sizeof message - 1] = '\0';
        OutputDebugStringA(message);
        miState = LOGSTATE_NOT_STARTED;
        if (locked) mpLock->unlock();
        return;
    }

    m_pSzvIO->seekEnd(0);
    if (miEncoding == 1) checkEncoding(1);

    // The file's character width: 8-bit text as it is, UTF-16LE converted.
    Blob wide;
    const void* data = text;
    unsigned long size = static_cast<unsigned long>(length);
    if (miEncoding == 1) {
        Blob narrow(text);
        mbsToWcs(narrow, wide);
        data = wide.getData();
        size = wide.getLength();
    }

    if (mbRingBackEnd) {
        // The mapped ring: an output that no longer fits starts again at the beginning of
        // the data; every other output is followed by the trailer (LogRing).
        std::string trailer = zvRingTrailer(logTimeStamp().c_str());
        Blob trailerWide;
        const void* tdata = trailer.c_str();
        unsigned long tsize = static_cast<unsigned long>(trailer.size());
        if (miEncoding == 1) {
            mbsToWcs(Blob(trailer.c_str()), trailerWide);
            tdata = trailerWide.getData();
            tsize = trailerWide.getLength();
        }
        zvRingWrite(*m_pSzvIO, data, size, tdata, tsize);
    } else {
        m_pSzvIO->write(data, size);
    }

    if (mbStaysOpen)
        m_pSzvIO->flush();
    else
        m_pSzvIO->close();

    if (locked) mpLock->unlock();
}

void zvCLog::clear()
{
    if (!mbClear) return;
    bool locked = mbThreadSave;
    if (locked) mpLock->lock();
    if (mulLevelMask != 0) {
        const char* path = mFullPath.getString();
        if (m_pSzvIO) {
            if (m_pSzvIO->close() && m_pSzvIO->open(path, 1, LOG_FILE_PERMISSION)) m_pSzvIO->close();
        } else {
            DeleteFileA(path);
        }
    }
    miState = LOGSTATE_NOT_STARTED;
    if (locked) mpLock->unlock();
}

} // namespace zvcrypt
