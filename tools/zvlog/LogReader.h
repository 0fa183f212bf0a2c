// Reads a log file of the zvcrypt logger in the order its lines were written, whatever its
// kind: a framed plain file (8-bit or UTF-16LE) or a memory-mapped ring file.
#pragma once
#include <zvcrypt/SharedMemory.h>
#include <string>

namespace zvcrypt {

enum LogFileKind {
    LOGFILE_FOREIGN = 0,  // neither a framed log nor a ring: not ours
    LOGFILE_PLAIN = 1,    // optional 2-byte mark, then the framed text
    LOGFILE_RING = 2,     // 44-byte segment header, data, trailer behind the newest line
};

// Size of the segment header in front of a ring's data.
const size_t RING_HEADER_SIZE = SHM_HEADER_SIZE;

// Where the parts of a log lie, in bytes from the start of the file.
struct LogLayout {
    int nKind = LOGFILE_FOREIGN;
    bool bWide = false;          // UTF-16LE text (mark FF FE)
    size_t ulNewStart = 0;       // plain: behind the mark; ring: the start of the data
    size_t ulNewEnd = 0;         // plain: the file's end; ring: the end of the newest line
    size_t ulTrailerEnd = 0;     // ring: the end of the trailer (ulNewEnd when there is none)
    size_t ulOldEnd = 0;         // ring: the end of the text left from before the wrap, which
                                 // starts behind the trailer
    std::string lastLogTime;     // ring: the trailer's time stamp, empty without a trailer
};

// Finds the parts of a log in the file's bytes.
LogLayout analyseLog(const std::string& bytes);

// The text of bytes [from, to) of a log, as UTF-8 when the log is wide.
std::string logText(const std::string& bytes, size_t from, size_t to, bool bWide);

// Offset behind the last line end in [from, to), or from when there is none.
size_t afterLastLineEnd(const std::string& bytes, size_t from, size_t to, bool bWide);

// The whole lines a ring holds from before its wrap (those behind the trailer), as text.
// The first of them was cut by the newer text unless its source field stands where the
// next line has it (every line's field is right-aligned to one width).
std::string ringOldLines(const std::string& bytes, const LogLayout& layout);

struct LogInOrder {
    int nKind = LOGFILE_FOREIGN;
    bool bTorn = false;          // the newest line has no line end (one is added)
    std::string text;            // oldest line first; a ring ends with its trailer's time
};

// The whole log in order: for a ring, the lines left from before the wrap, then the lines
// written since, then "EOF(lastlogtime=\"<time>\");".
LogInOrder readLogInOrder(const std::string& bytes);

}  // namespace zvcrypt
