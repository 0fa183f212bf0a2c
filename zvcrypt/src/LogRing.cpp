// Output step of the mapped ring log.
#include <zvcrypt/LogRing.h>
#include <zvcrypt/zvIO.h>

namespace zvcrypt {

std::string zvRingTrailer(const char* timeStamp)
{
    return std::string("\";\r\n\r\n\r\nEOF(lastlogtime=\"") + (timeStamp ? timeStamp : "") + "\");\r\n";
}

int zvRingWrite(zvIO& io, const void* text, unsigned int textLength, const void* trailer,
                unsigned int trailerLength)
{
    int written = io.write(text, textLength);
    if (written == -4) {
        // Full: the line starts the data again and overwrites the oldest text. It gets no
        // trailer; the next line, written behind it, brings one.
        io.seek(0, 0);
        written = io.write(text, textLength);
        io.flush();
        return written;
    }
    if (written == static_cast<int>(textLength) && trailerLength) {
        // The trailer goes behind the line and the position back in front of it, so the
        // next line overwrites it. A trailer that does not fit behind the line is left
        // out: the failed write only zeroes the free rest, and moving back by its length
        // would step into the line just written.
        if (io.write(trailer, trailerLength) == static_cast<int>(trailerLength))
            io.seek(-static_cast<long>(trailerLength), 1);
    }
    io.flush();
    return written;
}

}  // namespace zvcrypt
