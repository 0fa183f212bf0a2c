// A SharedMemory segment backed by a disk file instead of the paging file. The mapping
// is named after the file's base name; with the header the file remembers its used length,
// so a later run continues after the existing data.
#pragma once
#include <zvcrypt/SharedMemory.h>

namespace zvcrypt {

class MemFile : public SharedMemory {
public:
    MemFile(bool bThrow, bool bHeader);
    virtual ~MemFile();

    // Opens or makes the file (keeping its contents) and maps size + header bytes of it.
    bool create(const char* path, unsigned long size) override;
    // Opens the existing file; size is taken as the whole capacity of the view.
    bool open(const char* path, unsigned long size) override;
    virtual bool close();
    // Kind 0 keeps a 2-byte marker in the header; other kinds do nothing. Always 0.
    virtual int writeMarker(int kind, const void* data, unsigned long length);

    // Moves the write position to view start + target (false when beyond the capacity).
    using SharedMemory::setDataLength;

private:
    static const char* mappingName(const char* path);
    void closeFile();

    void* mhFile;
};

}  // namespace zvcrypt
