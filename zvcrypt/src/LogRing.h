// The back-end of the memory-mapped ring log (IOFileType 2). The logger writes to it as to
// a plain file; the ring behaviour lives here: every write is followed by the trailer, and
// a write that no longer fits starts again at the beginning of the data.
#pragma once
#include <zvcrypt/Blob.h>
#include <zvcrypt/zvIOMemFile.h>
#include <ctime>
#include <string>

namespace zvcrypt {

class LogRing : public zvIOMemFile {
public:
    // ringSize: data bytes of the mapped file (MaxFileLen).
    explicit LogRing(unsigned long ringSize);
    ~LogRing() override;

    // Writes the text at the current position, then the trailer with the current time, and
    // moves back in front of the trailer, so the next write overwrites it; a trailer that
    // does not fit is left out. The trailer has the width of the text marker in the file's
    // header: UTF-16LE after FF FE, else 8-bit. A text that does not fit (-4) is written
    // again at the beginning of the data, without a trailer. Returns the result of the
    // last write of the text (its length, or the failure code).
    int write(const void* text, unsigned int length) override;

    // The trailer of the current second, 8-bit or UTF-16LE. Its time stamp costs a ctime(),
    // and a ring may get thousands of lines a second: it is built once a second.
    const Blob& trailer(bool utf16);

    LogRing(const LogRing&) = delete;
    LogRing& operator=(const LogRing&) = delete;

private:
    bool markerIsUtf16() const;

    time_t mtTrailer;   // the second both trailer texts show
    Blob mTrailer;      // 8-bit
    Blob mTrailerWide;  // UTF-16LE
};

// "\";\r\n\r\n\r\nEOF(lastlogtime=\"<time stamp>\");\r\n"
std::string zvRingTrailer(const char* timeStamp);

}  // namespace zvcrypt
