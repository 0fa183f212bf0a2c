// The rule every Blob result keeps, checked by the fuzz programs that make Blobs.
#pragma once
#include <zvcrypt/Blob.h>

namespace fuzz {

// The zero bytes behind the capacity that make any content a terminated text.
inline bool TailIsZero(const zvcrypt::Blob& b)
{
    if (b.isNull()) return true;
    for (unsigned long i = 0; i < zvcrypt::BLOB_ZERO_TAIL; ++i)
        if (b.getData()[b.getSize() + i] != 0) return false;
    return true;
}

} // namespace fuzz
