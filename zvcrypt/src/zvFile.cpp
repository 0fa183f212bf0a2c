#include <zvcrypt/zvFile.h>
#include <zvcrypt/Blob.h>
#include <zvcrypt/Log.h>

#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/types.h>

// This file logs: its guard keeps the logger alive for it, also in a program that holds
// no guard of its own.
static zvCLogInit s_logInit;

namespace zvcrypt {

namespace {
// Every mode opens without text translation.
int flagsForMode(const char* path, int mode)
{
    const int write = _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY;
    switch (mode) {
    case zvIO::OPEN_WRITE:
        return write;
    case zvIO::OPEN_UPDATE:
        return _O_RDWR | _O_BINARY;
    case zvIO::OPEN_APPEND: {
        struct _stat st;
        if (_stat(path, &st) == 0 && (st.st_mode & _S_IFMT) == _S_IFREG)
            return _O_WRONLY | _O_APPEND | _O_BINARY;
        return write;
    }
    case zvIO::OPEN_NEW:
        return _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY;
    default:
        return _O_RDONLY | _O_BINARY;
    }
}
} // namespace

zvFile::zvFile() : m_fd(-1), m_bWriteError(false) {}

zvFile::~zvFile()
{
    close();
}

bool zvFile::openWithFlags(const char* path, int flags, int permission)
{
    if (!path)
        return false;
    int fd = _open(path, flags, permission);
    if (fd == -1)
        return false;
    attach(fd);
    return true;
}

bool zvFile::create(const char* path, bool overwrite, int permission)
{
    int flags = flagsForMode(path, overwrite ? OPEN_WRITE : OPEN_NEW);
    if (openWithFlags(path, flags, permission))
        return true;
    zvLogRaw(":-[can't create file '%s'", path ? path : "");
    return false;
}

bool zvFile::open(const char* path, int mode, int permission)
{
    if (path && openWithFlags(path, flagsForMode(path, mode), permission))
        return true;
    zvLogRaw(":-[can't open file '%s'", path ? path : "");
    return false;
}

bool zvFile::close()
{
    if (m_fd == -1)
        return true;
    int fd = m_fd;
    // A failed close still forgets the descriptor: it cannot be used again.
    m_fd = -1;
    if (_close(fd) != 0) {
        zvLogRaw(":-[can't close file descriptor %d", fd);
        return false;
    }
    return true;
}

long zvFile::seek(long offset, int origin)
{
    if (m_fd == -1) {
        ZVLOG(LOGMASK_ERROR, ":-[can't seek on closed file");
        return -1;
    }
    if (offset == -1 && origin == SEEK_FROM_START) {
        ZVLOG(LOGMASK_ERROR, ":-[invalid absolute file offset");
        return -1;
    }
    int whence;
    switch (origin) {
    case SEEK_FROM_START: whence = SEEK_SET; break;
    case SEEK_FROM_CURRENT: whence = SEEK_CUR; break;
    case SEEK_FROM_END: whence = SEEK_END; break;
    default:
        ZVLOG(LOGMASK_ERROR, ":-[unknown seek origin");
        whence = SEEK_CUR;
        break;
    }
    long pos = _lseek(m_fd, offset, whence);
    if (pos == -1) {
        zvLogRaw(":-[can't seek on file descriptor %d", m_fd);
        return -1;
    }
    return pos;
}

long zvFile::tell()
{
    if (m_fd == -1) {
        zvLogRaw(":-[can't seek on closed file");
        return -1;
    }
    long pos = _tell(m_fd);
    if (pos == -1) {
        zvLogRaw(":-[can't get seek position on file descriptor %d", m_fd);
        return -1;
    }
    return pos;
}

int zvFile::read(void* buffer, unsigned int length)
{
    if (!buffer || m_fd == -1)
        return 0;
    int n = _read(m_fd, buffer, length);
    if (n == -1) {
        zvLogRaw(":-[can't read from file descriptor %d %d Bytes", m_fd, (int)length);
        return -1;
    }
    return n;
}

int zvFile::write(const void* buffer, unsigned int length)
{
    if (!buffer || m_fd == -1)
        return 0;
    int n = _write(m_fd, buffer, length);
    if (n == -1) {
        ZVLOG(LOGMASK_ERROR, ":-[can't write to file descriptor %d", m_fd);
        m_bWriteError = true;
        return 0;
    }
    return n;
}

bool zvFile::isOpen()
{
    return m_fd != -1;
}

bool zvFile::flush()
{
    if (_commit(m_fd) != 0) {
        ZVLOG(LOGMASK_ERROR, ":-[can't flush file descriptor %d", m_fd);
        return false;
    }
    return true;
}

int zvFile::control(int code, const void* buffer, unsigned int length)
{
    if (code == CONTROL_MARKER)
        write(buffer, length);
    return 0;
}

bool zvFile::attach(int fd)
{
    bool closed = close();
    m_bWriteError = false;
    m_fd = fd;
    return closed;
}

void zvFile::detach()
{
    m_fd = -1;
}

bool zvFile::write(const Blob& data)
{
    unsigned int n = (unsigned int)data.getLength();
    return write(data.getData(), n) == (int)n;
}

long zvFile::length()
{
    if (m_fd == -1) {
        zvLogRaw(":-[can't seek on closed file");
        return -1;
    }
    long len = -1;
    long pos = tell();
    if (pos != -1) {
        long end = seekEnd(0);
        if (end != -1 && seek(pos, SEEK_FROM_START) != -1)
            len = end;
    }
    if (len == -1)
        zvLogRaw(":-[can't find length of file on file descriptor %d", m_fd);
    return len;
}

bool zvFile::eof()
{
    int r = _eof(m_fd);
    if (r == 1)
        return true;
    if (r == 0)
        return false;
    if (r == -1)
        ZVLOG(LOGMASK_ERROR, ":-[can't determine if the end of file is reached on descriptor %d", m_fd);
    else
        ZVLOG(LOGMASK_ERROR, ":-[invalid eof() return value.");
    return true;
}

bool zvFile::hasWriteError()
{
    return m_bWriteError;
}

} // namespace zvcrypt
