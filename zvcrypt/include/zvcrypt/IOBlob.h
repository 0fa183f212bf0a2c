// A narrow text Blob that borrows a 512-byte buffer from the scratch ring: no allocation
// of its own. Its text stays valid until the ring hands the slot out again
// (200 scratch requests later, from any thread), so use it at once.
#pragma once
#include <zvcrypt/Blob.h>

namespace zvcrypt {

class IOBlob : public Blob {
public:
    IOBlob();
    explicit IOBlob(const char* format, ...);
    ~IOBlob() override;
};

}  // namespace zvcrypt
