// The zvIO back-end over a memory-mapped file: the logger's ring log (IOFileType 2).
// A write that does not fit returns -4; the ring back-end (LogRing) then starts again at the
// beginning of the data.
#pragma once
#include <zvcrypt/zvIO.h>
#include <zvcrypt/MemFile.h>

namespace zvcrypt {

class zvIOMemFile : public zvIO {
public:
    // fileSize: data bytes of the file (the logger passes MaxFileLen).
    explicit zvIOMemFile(unsigned long fileSize);
    virtual ~zvIOMemFile();

    bool create(const char* path, bool overwrite, int permission) override;
    bool open(const char* path, int mode, int permission) override;
    bool close() override;
    long seek(long offset, int origin) override;
    long tell() override;
    int read(void* buffer, unsigned int length) override;
    int write(const void* buffer, unsigned int length) override;
    bool isOpen() override;
    bool flush() override;
    int control(int code, const void* buffer, unsigned int length) override;

    const MemFile& memFile() const { return mFile; }

private:
    unsigned char* mpView;
    unsigned long mulFileSize;
    MemFile mFile;
};

}  // namespace zvcrypt
