// A fixed-size memory segment shared between processes through a named file mapping,
// presented as a Blob whose buffer is the mapped view. Appends never grow the segment.
#pragma once
#include <zvcrypt/Blob.h>
#include <cstdint>
#include <string>

namespace zvcrypt {

// The optional 44-byte header at offset 0 of a segment (and of a mapped log file). It
// records the used length, so a process that attaches later continues after the data.
struct SharedMemoryHeader {
    uint16_t usMarker;       // 2-byte text marker of a mapped log; 0 when made
    uint16_t usReserved;
    uint32_t ulMagic;        // 666 when valid
    uint32_t ulHeaderSize;   // 44
    uint32_t ulUsedLength;   // data bytes in use
    uint32_t ulTotalSize;    // capacity of the creating object, header included
    uint32_t ulUnassigned1;  // all bits set
    uint32_t ulProcessId;    // process that made the header
    uint32_t ulUnassigned2;
    uint32_t ulUnassigned3;
    uint32_t ulUnassigned4;
    uint32_t ulReserved2;
};
static_assert(sizeof(SharedMemoryHeader) == 44, "the segment header is 44 bytes on disk");

enum {
    SHM_HEADER_MAGIC = 666,
    SHM_HEADER_SIZE = 44,
    SHM_MIN_SIZE = 1024,
    SHM_MEMORY_FULL = -4
};

// Header bookkeeping actions of updateHeader.
enum {
    SHM_HDR_CREATE = 0,  // write a header unless a valid one is there, then as SHM_HDR_OPEN
    SHM_HDR_OPEN = 1,    // continue after the used length when the header is valid and fits
    SHM_HDR_ADD = 2,     // store the length as used length
    SHM_HDR_SEEK = 3,    // a length of 0 moves behind the header; store the length
    SHM_HDR_MARKER = 5   // store a 2-byte marker
};

class SharedMemory : public Blob {
public:
    // bThrow: failures throw zvCryptException instead of being recorded.
    // bHeader: the segment starts with a SharedMemoryHeader.
    SharedMemory(bool bThrow, bool bHeader);
    virtual ~SharedMemory();

    bool add(const unsigned char* p, unsigned long n) override;
    virtual bool create(const char* name, unsigned long size);
    virtual bool open(const char* name, unsigned long size);
    virtual bool isAttached();
    virtual bool remove();
    virtual bool remove(const char* name);
    virtual bool throwsExceptions();
    virtual unsigned long getMaxSize();
    virtual unsigned long getMinSize();
    virtual bool flush();

    bool close();
    unsigned long getHeaderSize() const;
    void updateHeader(int action, const void* data, unsigned long length);
    unsigned long getRetval() const { return mulRetval; }
    // Text of the last failure ("No Error" until one happens).
    const char* getError() const { return mError.getString(); }
    const SharedMemoryHeader* getHeader() const { return mpHeader; }

    SharedMemory(const SharedMemory&) = delete;
    SharedMemory& operator=(const SharedMemory&) = delete;

protected:
    // "<operation><source>:<line> : <text>", followed by the system's text for code when
    // the failure is that of a system call.
    static std::string failureText(const std::string& operation, const char* source, int line,
                                   const char* text, bool systemText, unsigned long code);
    // Throws the message as zvCryptException, or records it (mError, mulRetval, a trace)
    // and returns false; by mbThrow.
    bool report(const std::string& message, unsigned long code);
    // Takes a freshly mapped view as the buffer (dropping any heap buffer an add before
    // create/open made).
    void attachView(void* view, unsigned long size);
    // Moves the write position to view start + target without touching the bytes.
    bool setDataLength(unsigned long target);
    bool unmap(bool zeroUsed);

    void* mhMapping;
    bool mbAttached;
    Blob mName;
    Blob mError;
    unsigned long mulRetval;
    bool mbThrow;
    bool mbHeader;
    SharedMemoryHeader* mpHeader;
};

}  // namespace zvcrypt
