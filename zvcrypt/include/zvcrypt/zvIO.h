// The byte-stream interface the logger writes through: a plain file (zvFile) or a
// memory-mapped ring file (zvIOMemFile) behind the same operations.
#pragma once

namespace zvcrypt {

class zvIO {
public:
    // Origins of seek.
    enum { SEEK_FROM_START = 0, SEEK_FROM_CURRENT = 1, SEEK_FROM_END = 2 };
    // Open modes of open.
    enum {
        OPEN_READ = 0,     // read an existing file (also every value outside 1..4)
        OPEN_WRITE = 1,    // write a new or emptied file
        OPEN_UPDATE = 2,   // read and write an existing file
        OPEN_APPEND = 3,   // append to a regular file, else as OPEN_WRITE
        OPEN_NEW = 4       // create a new file only
    };
    // Codes of control.
    enum {
        // The log's 2-byte text marker: a plain file writes it at the current position, a
        // memory file keeps it in its header.
        CONTROL_MARKER = 0
    };

    virtual bool create(const char* path, bool overwrite, int permission) = 0;
    virtual bool open(const char* path, int mode, int permission) = 0;
    virtual bool close() = 0;
    // New position, -1 on failure.
    virtual long seek(long offset, int origin) = 0;
    virtual long seekEnd(long offset);
    virtual long tell() = 0;
    // Bytes read; 0 or -1 on failure.
    virtual int read(void* buffer, unsigned int length) = 0;
    // Bytes written; 0 on failure (a memory back-end that is full answers -4).
    virtual int write(const void* buffer, unsigned int length) = 0;
    virtual bool isOpen() = 0;
    virtual bool flush() = 0;
    // Requests particular to one back-end; the interface itself ignores them.
    virtual int control(int code, const void* buffer, unsigned int length);
    // Virtual so that the owner may delete a back-end through this interface.
    virtual ~zvIO() {}
};

} // namespace zvcrypt
