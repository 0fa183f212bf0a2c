// Named shared-memory segments with the optional used-length header.
#include <zvcrypt/SharedMemory.h>
#include <zvcrypt/Log.h>
#include <zvcrypt/zvCryptException.h>
#include <zvcrypt/SystemErr.h>
#include <zvcrypt/zvSysErr.h>
#include <windows.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

static zvCLogInit s_logInit;

namespace zvcrypt {

namespace {

const char* const kSource = "SharedMemory";

// Undoes the entry bookkeeping of create on every way out, exceptions included.
class ScopeTrace {
public:
    ScopeTrace(const char* text, const bool& attached) : mText(text), mbAttached(attached)
    {
        zvLogWrite(__FILE__, __LINE__, LOGMASK_SCOPE, "->%s {", mText.c_str());
        zvLogIndent();
        zvLogAddSubProc(mText.c_str());
    }
    ~ScopeTrace()
    {
        zvLogUnindent();
        zvLogRemoveSubProc(mText.c_str());
        zvLogWrite(nullptr, 0, LOGMASK_SCOPE, "} %s", ("<-" + mText + " with " + (mbAttached ? "01" : "00")).c_str());
    }

private:
    std::string mText;
    const bool& mbAttached;
};

}  // namespace

SharedMemory::SharedMemory(bool bThrow, bool bHeader)
    : mhMapping(nullptr), mbAttached(false), mName(), mError("No Error"), mulRetval(1),
      mbThrow(bThrow), mbHeader(bHeader), mpHeader(nullptr)
{
    // The view is never freed by the Blob part.
    setExternal(true);
}

SharedMemory::~SharedMemory()
{
    // A destructor must not throw: a failure here is only recorded.
    mbThrow = false;
    if (mbAttached)
        SharedMemory::close();
    if (mhMapping) {
        CloseHandle(mhMapping);
        mhMapping = nullptr;
    }
}

std::string SharedMemory::failureText(const std::string& operation, const char* source, int line,
                                      const char* text, bool systemText, unsigned long code)
{
    std::string msg = operation;
    msg += source;
    msg += ":" + std::to_string(line) + " : ";
    msg += text;
    if (systemText) {
        SetLastError(code);
        msg += zvLastErrorText(text);
    }
    return msg;
}

bool SharedMemory::report(const std::string& message, unsigned long code)
{
    Blob* scratch = Blob::getTempBlob(512);
    scratch->set(reinterpret_cast<const unsigned char*>(message.c_str()), message.size());
    scratch->setFormat(BLOB_CHAR);
    if (mbThrow)
        throw zvCryptException(*scratch, code);
    mError = *scratch;
    mulRetval = code;
    zvLogRaw("<-Error:%s(%d)", mError.getString(), static_cast<int>(code));
    return false;
}

void SharedMemory::attachView(void* view, unsigned long size)
{
    // An add before create/open may have left an ordinary heap buffer behind.
    if (!mbExternal && mpData)
        Blob::release();
    mpData = static_cast<unsigned char*>(view);
    mpCursor = mpData;
    mulSize = size;
    mbExternal = true;
    mbAttached = true;
}

bool SharedMemory::create(const char* name, unsigned long size)
{
    char entry[600];
    _snprintf(entry, sizeof entry - 1, "SharedMemory::create(%s,%d) [tid=%d]", name ? name : "(null)",
              static_cast<int>(size), static_cast<int>(GetCurrentThreadId()));
    entry[sizeof entry - 1] = 0;
    ScopeTrace scope(entry, mbAttached);

    std::string op = std::string("SharedMemory::create(") + (name ? name : "") + ", " + std::to_string(size) + ")";
    if (mbAttached && !SharedMemory::close())
        return false;
    if (size < getMinSize())
        size = getMinSize();
    if (size > getMaxSize())
        size = getMaxSize();
    unsigned long mapSize = size + getHeaderSize();

    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    HANDLE h = CreateFileMappingA(INVALID_HANDLE_VALUE, &sa, PAGE_READWRITE, 0, mapSize, name);
    unsigned long err = zvGetLastError();
    if (h && err == ERROR_ALREADY_EXISTS) {
        CloseHandle(h);
        h = nullptr;
    }
    if (!h)
        return report(failureText(op, kSource, __LINE__, "CreateFileMapping failed : Error ", true, err), err);
    void* view = MapViewOfFile(h, FILE_MAP_ALL_ACCESS, 0, 0, mapSize);
    if (!view) {
        err = GetLastError();
        CloseHandle(h);
        return report(failureText(op, kSource, __LINE__, "MapViewOfFile failed : Error ", true, err), err);
    }
    if (mhMapping)
        CloseHandle(mhMapping);
    mhMapping = h;
    attachView(view, mapSize);
    mulLength = 0;
    mName = Blob(name ? name : "");
    updateHeader(SHM_HDR_CREATE, nullptr, 0);
    return true;
}

bool SharedMemory::open(const char* name, unsigned long size)
{
    zvLogRaw("->SharedMemory::open(%s,%d)", name ? name : "(null)", static_cast<int>(size));
    std::string op = std::string("SharedMemory::open(") + (name ? name : "") + ", " + std::to_string(size) + ")";
    if (mbAttached && !SharedMemory::close())
        return false;
    HANDLE h = name ? OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name) : nullptr;
    if (!h) {
        unsigned long err = GetLastError();
        return report(failureText(op, kSource, __LINE__, "OpenFileMapping failed : Error ", true, err), err);
    }
    void* view = MapViewOfFile(h, FILE_MAP_ALL_ACCESS, 0, 0, 0);
    if (!view) {
        unsigned long err = GetLastError();
        CloseHandle(h);
        return report(failureText(op, kSource, __LINE__, "MapViewOfFile failed failed : Error ", true, err), err);
    }
    if (mhMapping)
        CloseHandle(mhMapping);
    mhMapping = h;
    // The caller's size is the whole capacity: no header size is added here.
    attachView(view, size);
    mName = Blob(name);
    updateHeader(SHM_HDR_OPEN, nullptr, 0);
    zvLogRaw("<-SharedMemory::open(%s,%d)", name, static_cast<int>(size));
    return true;
}

bool SharedMemory::isAttached()
{
    return mbAttached;
}

bool SharedMemory::throwsExceptions()
{
    return mbThrow;
}

unsigned long SharedMemory::getMaxSize()
{
    return 0xFFFFFFFFUL;
}

unsigned long SharedMemory::getMinSize()
{
    return SHM_MIN_SIZE;
}

unsigned long SharedMemory::getHeaderSize() const
{
    return mbHeader ? SHM_HEADER_SIZE : 0;
}

bool SharedMemory::flush()
{
    if (mbAttached && mpData)
        FlushViewOfFile(mpData, mulLength);
    return true;
}

bool SharedMemory::unmap(bool zeroUsed)
{
    if (zeroUsed && mulLength)
        memset(mpData, 0, mulLength);
    if (!FlushViewOfFile(mpData, 0)) {
        unsigned long err = GetLastError();
        return report("FlushViewOfFile failed", err);
    }
    if (!UnmapViewOfFile(mpData)) {
        unsigned long err = GetLastError();
        mulSize = 0;
        mpData = mpCursor = nullptr;
        mulLength = 0;
        mbAttached = false;
        return report("UnmapViewOfFile failed", err);
    }
    return true;
}

bool SharedMemory::close()
{
    if (mbAttached && mpData) {
        if (!unmap(false))
            return false;
        if (mhMapping) {
            CloseHandle(mhMapping);
            mhMapping = nullptr;
        }
    }
    mpData = mpCursor = nullptr;
    mulLength = 0;
    mbAttached = false;
    mpHeader = nullptr;
    return true;
}

bool SharedMemory::remove()
{
    return remove(mName.getString());
}

bool SharedMemory::remove(const char* name)
{
    zvLogRaw("->SharedMemory::remove(%s)", name ? name : "(null)");
    if (!mbAttached && !SharedMemory::open(name, mulLength))
        return false;
    if (!unmap(true))
        return false;
    // The segment goes away with its last handle; close() no longer sees a view.
    if (mhMapping) {
        CloseHandle(mhMapping);
        mhMapping = nullptr;
    }
    mpData = mpCursor = nullptr;
    mbAttached = false;
    mpHeader = nullptr;
    zvLogRaw("<-SharedMemory::remove(%s)", name ? name : "(null)");
    return true;
}

bool SharedMemory::add(const unsigned char* p, unsigned long n)
{
    zvLogRaw("->SharedMemory::add(%p,%d) size=%d", p, static_cast<int>(n), static_cast<int>(mulLength));
    std::string op = "SharedMemory::add(," + std::to_string(n) + ") Bytes";
    unsigned long crtError = static_cast<unsigned long>(errno);
    if (!p)
        return report(failureText(op, kSource, __LINE__, "Error NULL Pointer!:-o", false, 0), crtError);
    if (n == 0)
        return report(failureText(op, kSource, __LINE__, "Error NULL Pointer!:-/", false, 0), crtError);
    if (!mpData) {
        zvLogRaw("SharedMemory::init will be called");
        if (!Blob::set(p, n)) {
            zvLogRaw("<-SharedMemory::add failed");
            return false;
        }
    } else {
        unsigned long pos = static_cast<unsigned long>(mpCursor - mpData);
        unsigned long freeSpace = mulSize > pos ? mulSize - pos : 0;
        if (n > freeSpace) {
            if (freeSpace)
                memset(mpCursor, 0, freeSpace);
            std::string text = "Memory is Full and not growable ( Required length = " + std::to_string(n) +
                               " FreeSpace on SharedMemory = " + std::to_string(freeSpace) + " :-p !!!";
            return report(failureText(op, kSource, __LINE__, text.c_str(), false, 0),
                          static_cast<unsigned long>(SHM_MEMORY_FULL));
        }
        memcpy(mpCursor, p, n);
        mpCursor += n;
        mulLength += n;
    }
    if (mbHeader && mpHeader && mpHeader->ulMagic == SHM_HEADER_MAGIC)
        mpHeader->ulUsedLength = mulLength;
    zvLogRaw("<-SharedMemory::add(%p,%d) size=%d", p, static_cast<int>(n), static_cast<int>(mulLength));
    return true;
}

bool SharedMemory::setDataLength(unsigned long target)
{
    if (!mpData || target > mulSize)
        return false;
    mulLength = target;
    mpCursor = mpData + target;
    return true;
}

void SharedMemory::updateHeader(int action, const void* data, unsigned long length)
{
    if (!mbHeader || !mpData || mulSize < SHM_HEADER_SIZE)
        return;
    mpHeader = reinterpret_cast<SharedMemoryHeader*>(mpData);
    bool valid = mpHeader->ulMagic == SHM_HEADER_MAGIC;
    switch (action) {
    case SHM_HDR_CREATE:
        if (!valid) {
            SharedMemoryHeader h;
            h.usMarker = 0;
            h.usReserved = 0;
            h.ulMagic = SHM_HEADER_MAGIC;
            h.ulHeaderSize = SHM_HEADER_SIZE;
            h.ulUsedLength = 0;
            h.ulTotalSize = mulSize;
            h.ulUnassigned1 = h.ulUnassigned2 = h.ulUnassigned3 = h.ulUnassigned4 = 0xFFFFFFFFU;
            h.ulProcessId = GetCurrentProcessId();
            h.ulReserved2 = 0;
            memcpy(mpHeader, &h, sizeof h);
        }
        updateHeader(SHM_HDR_OPEN, data, length);
        break;
    case SHM_HDR_OPEN:
        // 64-bit sum: a corrupt used length must not wrap around into "fits".
        if (valid && uint64_t(mpHeader->ulUsedLength) + SHM_HEADER_SIZE <= mulSize) {
            mulLength = mpHeader->ulUsedLength;
            mpCursor += mpHeader->ulUsedLength + SHM_HEADER_SIZE;
        } else {
            mpHeader = nullptr;
        }
        break;
    case SHM_HDR_ADD:
        if (valid)
            mpHeader->ulUsedLength = mulLength;
        break;
    case SHM_HDR_SEEK:
        if (mulLength == 0) {
            mpCursor += SHM_HEADER_SIZE;
            mulLength = SHM_HEADER_SIZE;
        }
        mpHeader->ulUsedLength = mulLength;
        break;
    case SHM_HDR_MARKER:
        if (valid && data && length == 2)
            memcpy(&mpHeader->usMarker, data, 2);
        break;
    default:
        break;
    }
}

}  // namespace zvcrypt
