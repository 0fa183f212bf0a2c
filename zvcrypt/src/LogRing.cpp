// Output step of the mapped ring log.
#include <zvcrypt/LogRing.h>
#include <zvcrypt/zvIO.h>
#include <cstring>
#include <vector>

namespace zvcrypt {

std::string zvRingTrailer(const char* timeStamp)
{
    return std::string("\";\r\n\r\n\r\nEOF(lastlogtime=\"") + (timeStamp ? timeStamp : "") + "\");\r\n";
}

int zvRingWrite(zvIO& io, const void* text, unsigned int textLength, const void* trailer,
                unsigned int trailerLength)
{
    // One write for both: a line never ends up without its trailer, also at the wrap and
    // when only the trailer would not have fitted.
    std::vector<unsigned char> both(textLength + trailerLength);
    if (textLength)
        memcpy(both.data(), text, textLength);
    if (trailerLength)
        memcpy(both.data() + textLength, trailer, trailerLength);
    unsigned int n = static_cast<unsigned int>(both.size());
    int written = io.write(both.data(), n);
    if (written == -4) {
        io.seek(0, 0);
        written = io.write(both.data(), n);
    }
    if (written == static_cast<int>(n))
        io.seek(-static_cast<long>(trailerLength), 1);
    io.flush();
    return written;
}

}  // namespace zvcrypt
