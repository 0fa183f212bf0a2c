// The ring log's back-end: a mapped file with a trailer behind the newest line.
#include "LogRing.h"
#include "LogLine.h"
#include <zvcrypt/SharedMemory.h>
#include <windows.h>
#include <cstring>

namespace zvcrypt {

namespace {

// The second time() gives, from the system clock directly: the runtime's time() also asks
// for the time zone, which costs as much as the ctime() this saves.
time_t currentSecond()
{
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    ULARGE_INTEGER t;
    t.LowPart = ft.dwLowDateTime;
    t.HighPart = ft.dwHighDateTime;
    const unsigned long long SECONDS_1601_TO_1970 = 11644473600ULL;
    return static_cast<time_t>(t.QuadPart / 10000000ULL - SECONDS_1601_TO_1970);
}

}  // namespace

LogRing::LogRing(unsigned long ringSize) : zvIOMemFile(ringSize), mtTrailer(0)
{
}

LogRing::~LogRing()
{
}

int LogRing::write(const void* text, unsigned int length)
{
    int written = zvIOMemFile::write(text, length);
    if (written == SHM_MEMORY_FULL) {
        // Full: the line starts the data again and overwrites the oldest text. It gets no
        // trailer; the next line, written behind it, brings one.
        seek(0, SEEK_FROM_START);
        written = zvIOMemFile::write(text, length);
        flush();
        return written;
    }
    if (written == static_cast<int>(length)) {
        // The trailer goes behind the line and the position back in front of it, so the
        // next line overwrites it. A trailer that does not fit behind the line is left
        // out: the failed write only zeroes the free rest, and moving back by its length
        // would step into the line just written.
        const Blob& tail = trailer(markerIsUtf16());
        const int tailLength = static_cast<int>(tail.getLength());
        if (zvIOMemFile::write(tail.getData(), tail.getLength()) == tailLength)
            seek(-tailLength, SEEK_FROM_CURRENT);
    }
    flush();
    return written;
}

bool LogRing::markerIsUtf16() const
{
    const SharedMemoryHeader* header = memFile().getHeader();
    if (!header)
        return false;
    unsigned char marker[2];
    memcpy(marker, &header->usMarker, 2);
    return marker[0] == 0xFF && marker[1] == 0xFE;
}

const Blob& LogRing::trailer(bool utf16)
{
    time_t now = currentSecond();
    if (mTrailer.isNull() || now != mtTrailer) {
        mtTrailer = now;
        mTrailer = Blob(zvRingTrailer(logTimeStamp(now).c_str()).c_str());
        mbsToWcs(mTrailer, mTrailerWide);
    }
    return utf16 ? mTrailerWide : mTrailer;
}

std::string zvRingTrailer(const char* timeStamp)
{
    return std::string("\";\r\n\r\n\r\nEOF(lastlogtime=\"") + (timeStamp ? timeStamp : "") + "\");\r\n";
}

}  // namespace zvcrypt
