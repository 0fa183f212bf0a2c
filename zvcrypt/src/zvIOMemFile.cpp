// zvIO over a MemFile: writes are memory copies into the mapped log file.
#include <zvcrypt/zvIOMemFile.h>
#include <zvcrypt/Log.h>
#include <cstring>

namespace zvcrypt {

zvIOMemFile::zvIOMemFile(unsigned long fileSize) : mpView(nullptr), mulFileSize(fileSize), mFile(false, true)
{
}

zvIOMemFile::~zvIOMemFile()
{
}

bool zvIOMemFile::create(const char* path, bool, int)
{
    bool ok = mFile.create(path, mulFileSize);
    mpView = mFile.getData();
    return ok;
}

bool zvIOMemFile::open(const char* path, int, int)
{
    bool ok = mFile.open(path, mulFileSize);
    mpView = mFile.getData();
    return ok;
}

bool zvIOMemFile::close()
{
    bool ok = mFile.close();
    mpView = nullptr;
    return ok;
}

long zvIOMemFile::seek(long offset, int origin)
{
    if (!mFile.isAttached())
        return -1;
    long length = static_cast<long>(mFile.getLength());
    bool moved = false;
    switch (origin) {
    case SEEK_FROM_START:
        moved = offset >= 0 && mFile.setDataLength(static_cast<unsigned long>(offset));
        break;
    case SEEK_FROM_CURRENT:
        moved = length + offset >= 0 && mFile.setDataLength(static_cast<unsigned long>(length + offset));
        break;
    case SEEK_FROM_END:
        // The offset counts backwards from the end.
        moved = length - offset >= 0 && mFile.setDataLength(static_cast<unsigned long>(length - offset));
        break;
    default:
        break;
    }
    mFile.updateHeader(SHM_HDR_SEEK, nullptr, 0);
    if (moved)
        mpView = mFile.getData();
    return static_cast<long>(mFile.getLength());
}

long zvIOMemFile::tell()
{
    return static_cast<long>(mFile.getLength());
}

int zvIOMemFile::read(void* buffer, unsigned int length)
{
    if (!buffer || !mpView || !mFile.isAttached())
        return -1;
    // The view starts with the header, whose first two bytes are the log's text marker.
    if (length > mFile.getSize())
        length = static_cast<unsigned int>(mFile.getSize());
    memcpy(buffer, mpView, length);
    seek(static_cast<long>(length), SEEK_FROM_CURRENT);
    return static_cast<int>(length);
}

int zvIOMemFile::write(const void* buffer, unsigned int length)
{
    if (mFile.add(static_cast<const unsigned char*>(buffer), length)) {
        zvLogRaw("zvIOMemFile::write wrote %d size = %d", static_cast<int>(length),
                 static_cast<int>(mFile.getLength()));
        return static_cast<int>(length);
    }
    int code = static_cast<int>(mFile.getRetval());
    zvLogRaw(":-]zvIOMemFile::write ZV_MEMORY_FULL?? ulRetval=%d", code);
    return code;
}

bool zvIOMemFile::isOpen()
{
    return mFile.isAttached();
}

bool zvIOMemFile::flush()
{
    return mFile.flush();
}

int zvIOMemFile::control(int code, const void* buffer, unsigned int length)
{
    mFile.writeMarker(code, buffer, length);
    return 0;
}

}  // namespace zvcrypt
