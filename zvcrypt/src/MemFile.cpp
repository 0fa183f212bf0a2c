// Disk files mapped into memory under their base name.
#include <zvcrypt/MemFile.h>
#include <zvcrypt/Log.h>
#include <zvcrypt/SystemErr.h>
#include <zvcrypt/zvSysErr.h>
#include <windows.h>
#include <cstring>
#include <string>

namespace zvcrypt {

namespace {
const char* const kSource = "MemFile";
}

MemFile::MemFile(bool bThrow, bool bHeader) : SharedMemory(bThrow, bHeader), mhFile(nullptr)
{
}

MemFile::~MemFile()
{
    // As close, without reporting: the data reaches the file, the view and handles go.
    if (mbAttached) {
        FlushViewOfFile(mpData, 0);
        UnmapViewOfFile(mpData);
        mpData = mpCursor = nullptr;
        mbAttached = false;
    }
    if (mhMapping) {
        CloseHandle(mhMapping);
        mhMapping = nullptr;
    }
    closeFile();
}

void MemFile::closeFile()
{
    if (mhFile) {
        CloseHandle(mhFile);
        mhFile = nullptr;
    }
}

const char* MemFile::mappingName(const char* path)
{
    const char* slash = strrchr(path, '\\');
    const char* name = slash ? slash + 1 : "";
    // An empty name makes an unnamed mapping.
    return *name ? name : nullptr;
}

bool MemFile::create(const char* path, unsigned long size)
{
    zvLogRaw("->MemFile::create(%s,%d)", path ? path : "(null)", static_cast<int>(size));
    std::string op = std::string("MemFile::create(") + (path ? path : "") + ", " + std::to_string(size) + ")";
    if (mbAttached)
        close();
    if (size < getMinSize())
        size = getMinSize();
    if (size > getMaxSize())
        size = getMaxSize();
    unsigned long mapSize = size + getHeaderSize();

    HANDLE hFile = path ? CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)
                        : INVALID_HANDLE_VALUE;
    if (hFile == INVALID_HANDLE_VALUE) {
        unsigned long err = GetLastError();
        return report(failureText(op, kSource, __LINE__, "CreateFile failed : Error ", true, err), err);
    }
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    HANDLE hMap = CreateFileMappingA(hFile, &sa, PAGE_READWRITE, 0, mapSize, mappingName(path));
    unsigned long err = zvGetLastError();
    if (hMap && err == ERROR_ALREADY_EXISTS) {
        CloseHandle(hMap);
        hMap = nullptr;
    }
    if (!hMap) {
        CloseHandle(hFile);
        return report(failureText(op, kSource, __LINE__, "CreateFileMapping failed : Error ", true, err), err);
    }
    void* view = MapViewOfFile(hMap, FILE_MAP_ALL_ACCESS, 0, 0, mapSize);
    if (!view) {
        err = GetLastError();
        CloseHandle(hMap);
        CloseHandle(hFile);
        return report(failureText(op, kSource, __LINE__, "MapViewOfFile failed : Error ", true, err), err);
    }
    mhFile = hFile;
    mhMapping = hMap;
    attachView(view, mapSize);
    mulLength = 0;
    // A file that carries a valid header keeps it: the data continues after its used length.
    updateHeader(SHM_HDR_CREATE, nullptr, 0);
    zvLogRaw("<-MemFile::create(%s,%d)", path, static_cast<int>(mapSize));
    return true;
}

bool MemFile::open(const char* path, unsigned long size)
{
    zvLogRaw("->MemFile::open(%s,%d)", path ? path : "(null)", static_cast<int>(size));
    std::string op = std::string("MemFile::open(") + (path ? path : "") + ", " + std::to_string(size) + ")";
    if (mbAttached)
        close();
    HANDLE hFile = path ? CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)
                        : INVALID_HANDLE_VALUE;
    if (hFile == INVALID_HANDLE_VALUE) {
        unsigned long err = GetLastError();
        return report(failureText(op, kSource, __LINE__, "CreateFile failed : Error ", true, err), err);
    }
    const char* name = mappingName(path);
    HANDLE hMap = name ? OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name) : nullptr;
    if (!hMap) {
        SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
        hMap = CreateFileMappingA(hFile, &sa, PAGE_READWRITE, 0, size, name);
    }
    if (!hMap) {
        unsigned long err = GetLastError();
        CloseHandle(hFile);
        return report(failureText(op, kSource, __LINE__, "OpenFileMapping failed : Error ", true, err), err);
    }
    void* view = MapViewOfFile(hMap, FILE_MAP_ALL_ACCESS, 0, 0, 0);
    if (!view) {
        unsigned long err = GetLastError();
        CloseHandle(hMap);
        CloseHandle(hFile);
        return report(failureText(op, kSource, __LINE__, "MapViewOfFile failed failed : Error ", true, err), err);
    }
    // A mapping another process made smaller than asked for must not be written past.
    MEMORY_BASIC_INFORMATION mbi = {};
    if (VirtualQuery(view, &mbi, sizeof mbi) && mbi.RegionSize < size)
        size = static_cast<unsigned long>(mbi.RegionSize);
    mhFile = hFile;
    mhMapping = hMap;
    // No header size is added: the caller's size is the whole capacity.
    attachView(view, size);
    updateHeader(SHM_HDR_OPEN, nullptr, 0);
    zvLogRaw("<- MemFile::open(%s,%d)", path, static_cast<int>(size));
    return true;
}

bool MemFile::close()
{
    bool ok = SharedMemory::close();
    closeFile();
    return ok;
}

int MemFile::writeMarker(int kind, const void* data, unsigned long length)
{
    if (kind == 0)
        updateHeader(SHM_HDR_MARKER, data, length);
    return 0;
}

}  // namespace zvcrypt
