// The ring behaviour of a memory-mapped log (IOFileType 2): every line is followed by the
// trailer, and a line that no longer fits starts again at the beginning of the data.
#pragma once
#include <string>

namespace zvcrypt {

class zvIO;

// "\";\r\n\r\n\r\nEOF(lastlogtime=\"<time stamp>\");\r\n"
std::string zvRingTrailer(const char* timeStamp);

// Writes the text at the current position. When it does not fit (write result -4), it is
// written again at the beginning of the data, without a trailer. Otherwise the trailer is
// written behind it and the position moved back in front of the trailer, so the next
// output overwrites it; a trailer that does not fit is left out. Returns the result of the
// last write of the text (its length, or the failure code).
int zvRingWrite(zvIO& io, const void* text, unsigned int textLength, const void* trailer,
                unsigned int trailerLength);

}  // namespace zvcrypt
