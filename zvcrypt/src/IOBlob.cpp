#include <zvcrypt/IOBlob.h>
#include <zvcrypt/StrBlob.h>
#include <cstdarg>

namespace zvcrypt {

IOBlob::IOBlob()
{
    Blob* slot = getTempBlob(STRBLOB_FORMAT_LIMIT);
    slot->reserve(STRBLOB_FORMAT_LIMIT);
    takeOver(*slot);
    setExternal();  // the slot stays the owner
    setLength(0);
    setFormat(BLOB_CHAR);
}

IOBlob::IOBlob(const char* format, ...)
{
    Blob* slot = getTempBlob(STRBLOB_FORMAT_LIMIT);
    slot->set(nullptr, STRBLOB_FORMAT_LIMIT);
    takeOver(*slot);
    setExternal();
    if (format) {
        va_list args;
        va_start(args, format);
        StrBlob::formatInto(*this, format, args);
        va_end(args);
    } else {
        setLength(0);
    }
    setFormat(BLOB_CHAR);
}

IOBlob::~IOBlob()
{
    if (!mbExternal)
        release();
}

}  // namespace zvcrypt
