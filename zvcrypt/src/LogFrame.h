// The frame around the lines of a log file and the encoding mark at its start: the texts
// as plain functions, and the two jobs the mark needs of a back-end.
#pragma once
#include <string>

namespace zvcrypt {

class zvIO;

// Character width of the log file, told by its first two bytes (00 00 or FF FE).
enum {
    ENCODING_8BIT = 0,
    ENCODING_UTF16LE = 1
};

// The texts of the frame; every line ends with "\r\n". buildStamp: the library's compile
// date and time ("Mmm dd yyyy hh:mm:ss"); timeStamp: ctime's form without its line feed.
// A new file: "createlog();", the back-end's class, the module entries.
std::string logNewFilePreamble(const std::string& backEndName, const std::string& buildStamp);
// An existing file continued: "continuelog();" and the module entries.
std::string logContinuePreamble(const std::string& buildStamp);
// Every start of the log: "log( starttime=...) {" and "output=\"".
std::string logOpeningBlock(const std::string& timeStamp);
// The end of the log: the module entries, "end(endtime=...);" and "};".
std::string logClosingBlock(const std::string& buildStamp, const std::string& timeStamp);
// In front of the closing block when the heap analyser runs: the difference in Kb.
std::string logHeapReport(unsigned long differenceBytes);

// The encoding that a file's first two bytes name: ENCODING_8BIT for 00 00,
// ENCODING_UTF16LE for FF FE, -1 for anything else or fewer than 2 bytes read.
int logMarkEncoding(const unsigned char pair[2], int bytesRead);

// The mark for a file of this encoding: FF FE for UTF-16LE, otherwise the pair found
// (00 00 when nothing could be read).
void logMarkFor(int encoding, const unsigned char found[2], unsigned char mark[2]);

// A file just created: its mark of encoding goes to its start. The mark is read first; a
// plain file created write-only cannot be read and says so on the direct trace, and gets
// 00 00. The position is where it was before.
void logWriteNewMark(zvIO& io, int encoding);

// An existing file: the encoding its mark names, or encoding when the mark names none; such
// a foreign pair is then overwritten with FF FE when encoding is UTF-16LE (and kept
// otherwise). The position is where it was before.
int logReadMark(zvIO& io, int encoding);

} // namespace zvcrypt
