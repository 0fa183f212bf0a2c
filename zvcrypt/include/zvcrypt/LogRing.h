// The ring behaviour of a memory-mapped log (IOFileType 2): every output is followed by
// the trailer, and an output that no longer fits starts again at the beginning of the data.
#pragma once
#include <string>

namespace zvcrypt {

class zvIO;

// "\";\r\n\r\n\r\nEOF(lastlogtime=\"<time stamp>\");\r\n"
std::string zvRingTrailer(const char* timeStamp);

// Writes text and trailer at the current position and moves back in front of the trailer,
// so the next output overwrites it. When the two do not fit (write result -4), they are
// written at the beginning of the data instead. Returns the write result of the last try
// (text + trailer bytes, or the failure code).
int zvRingWrite(zvIO& io, const void* text, unsigned int textLength, const void* trailer,
                unsigned int trailerLength);

}  // namespace zvcrypt
