#include <zvcrypt/StrBlob.h>
#include "SystemFormat.h"
#include <cstring>

namespace zvcrypt {

void StrBlob::formatInto(Blob& target, const char* format, va_list args)
{
    if (target.isNull() || target.getSize() < STRBLOB_FORMAT_LIMIT)
        target.set(nullptr, STRBLOB_FORMAT_LIMIT);
    char* text = reinterpret_cast<char*>(target.getData());
    if (!text)
        return;  // allocation failed, already reported
    // Room for the limit plus its terminator: at the limit the terminator lands on the
    // first byte of the zero tail, which is zero anyway.
    formatTextV(text, STRBLOB_FORMAT_LIMIT + 1, format, args);
    target.setLength(static_cast<unsigned long>(std::strlen(text)));
}

StrBlob::StrBlob() : Blob(static_cast<const unsigned char*>(nullptr), STRBLOB_FORMAT_LIMIT)
{
    setFormat(BLOB_CHAR);
    setLength(0);
}

StrBlob::StrBlob(const char* format, ...)
    : Blob(static_cast<const unsigned char*>(nullptr), STRBLOB_FORMAT_LIMIT)
{
    if (format) {
        va_list args;
        va_start(args, format);
        formatInto(*this, format, args);
        va_end(args);
    } else {
        setLength(0);
    }
    setFormat(BLOB_CHAR);
}

StrBlob::~StrBlob()
{
    if (!mbExternal)
        release();
}

void StrBlob::format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    formatV(format, args);
    va_end(args);
}

void StrBlob::formatV(const char* format, va_list args)
{
    if (format)
        formatInto(*this, format, args);
    setFormat(BLOB_CHAR);
}

}  // namespace zvcrypt
