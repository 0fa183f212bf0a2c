// A narrow text Blob that owns a 512-byte buffer and formats printf-style into it.
#pragma once
#include <zvcrypt/Blob.h>
#include <cstdarg>

namespace zvcrypt {

// Longest formatted text; longer results are cut to this many characters.
constexpr unsigned long STRBLOB_FORMAT_LIMIT = 512;

class StrBlob : public Blob {
public:
    StrBlob();
    explicit StrBlob(const char* format, ...);
    StrBlob(const StrBlob&) = default;
    StrBlob& operator=(const StrBlob&) = default;
    ~StrBlob() override;

    // Replaces the text; a null format only marks the Blob as narrow text.
    void format(const char* format, ...);
    void formatV(const char* format, va_list args);

    // Formats into the Blob's own buffer (grown to the limit when smaller) with no
    // intermediate copy. Shared by IOBlob.
    static void formatInto(Blob& target, const char* format, va_list args);
};

}  // namespace zvcrypt
