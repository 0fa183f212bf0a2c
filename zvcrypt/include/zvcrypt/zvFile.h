// Plain-file back-end of zvIO over the runtime's descriptor-level file calls.
#pragma once
#include <zvcrypt/zvIO.h>

namespace zvcrypt {

class Blob;

class zvFile : public zvIO {
public:
    zvFile();

    bool create(const char* path, bool overwrite, int permission) override;
    bool open(const char* path, int mode, int permission) override;
    bool close() override;
    long seek(long offset, int origin) override;
    long tell() override;
    int read(void* buffer, unsigned int length) override;
    int write(const void* buffer, unsigned int length) override;
    bool isOpen() override;
    bool flush() override;
    // Code 0 writes the buffer; every code answers 0.
    int control(int code, const void* buffer, unsigned int length) override;

    // Closes the current file and takes over the descriptor.
    virtual bool attach(int fd);
    // Forgets the descriptor without closing it.
    virtual void detach();
    // True when the whole Blob was written.
    virtual bool write(const Blob& data);
    using zvIO::write;
    virtual long length();
    virtual bool eof();
    virtual bool hasWriteError();
    ~zvFile() override;

    zvFile(const zvFile&) = delete;
    zvFile& operator=(const zvFile&) = delete;

private:
    bool openWithFlags(const char* path, int flags, int permission);

    int m_fd;
    bool m_bWriteError;
};

} // namespace zvcrypt
