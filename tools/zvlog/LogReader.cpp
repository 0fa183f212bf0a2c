#include "LogReader.h"
#include "Utf16Text.h"
#include <cstddef>
#include <cstdint>

namespace zvcrypt {

namespace {

const char TRAILER_HEAD[] = "\";\r\n\r\n\r\nEOF(lastlogtime=\"";
const char TRAILER_TAIL[] = "\");\r\n";
// ctime's form without its line feed: "Tue Sep 30 18:43:31 2008".
const size_t TIME_STAMP_LENGTH = 24;
const size_t TRAILER_CHARS = sizeof TRAILER_HEAD - 1 + TIME_STAMP_LENGTH + sizeof TRAILER_TAIL - 1;

uint32_t le32(const std::string& bytes, size_t offset)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data()) + offset;
    return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24);
}

bool startsWith(const std::string& text, const char* head)
{
    return text.compare(0, std::char_traits<char>::length(head), head) == 0;
}

// The character unit at offset: one byte, or one UTF-16LE code unit.
unsigned unitAt(const std::string& bytes, size_t offset, bool bWide)
{
    unsigned char lo = static_cast<unsigned char>(bytes[offset]);
    return bWide ? lo | (static_cast<unsigned char>(bytes[offset + 1]) << 8) : lo;
}

// The trailer at offset: its length in bytes (0 when there is none) and its time stamp.
size_t trailerAt(const std::string& bytes, size_t offset, bool bWide, std::string& time)
{
    size_t unit = bWide ? 2 : 1;
    size_t chars = TRAILER_CHARS;
    if (offset + chars * unit > bytes.size())
        return 0;
    std::string text = logText(bytes, offset, offset + chars * unit, bWide);
    size_t head = sizeof TRAILER_HEAD - 1;
    if (text.size() != chars || !startsWith(text, TRAILER_HEAD) ||
        text.compare(head + TIME_STAMP_LENGTH, std::string::npos, TRAILER_TAIL) != 0)
        return 0;
    time = text.substr(head, TIME_STAMP_LENGTH);
    return chars * unit;
}

void analyseRing(const std::string& bytes, LogLayout& layout)
{
    layout.nKind = LOGFILE_RING;
    layout.bWide = static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE;
    size_t unit = layout.bWide ? 2 : 1;
    size_t size = RING_HEADER_SIZE + (bytes.size() - RING_HEADER_SIZE) / unit * unit;
    // The used length counts the header: it is where the next line goes. A ring that was
    // made but never written holds 0.
    size_t used = le32(bytes, offsetof(SharedMemoryHeader, ulUsedLength));
    if (used < RING_HEADER_SIZE)
        used = RING_HEADER_SIZE;
    if (used > size)
        used = size;
    used = RING_HEADER_SIZE + (used - RING_HEADER_SIZE) / unit * unit;
    // The writer puts the trailer behind each line and then steps back in front of it: a
    // look in between finds the trailer counted as used. The new text ends where it starts,
    // or a follower would give the trailer as lines and skip the start of the next line.
    size_t trailerLength = TRAILER_CHARS * unit;
    std::string ignored;
    if (used >= RING_HEADER_SIZE + trailerLength && trailerAt(bytes, used - trailerLength, layout.bWide, ignored))
        used -= trailerLength;
    layout.ulNewStart = RING_HEADER_SIZE;
    layout.ulNewEnd = used;
    layout.ulTrailerEnd = used + trailerAt(bytes, used, layout.bWide, layout.lastLogTime);

    // Behind the trailer lies what the ring held before it wrapped, up to the zeroed rest.
    size_t oldEnd = layout.ulTrailerEnd;
    while (oldEnd < size && unitAt(bytes, oldEnd, layout.bWide) != 0)
        oldEnd += unit;
    layout.ulOldEnd = oldEnd;
}

// Column of the "(line): " behind a line's source field, or npos.
size_t fieldColumn(const std::string& line)
{
    size_t close = line.find("): ");
    if (close == std::string::npos || close < 5 || line[close - 5] != '(')
        return std::string::npos;
    return close - 5;
}

}  // namespace

std::string ringOldLines(const std::string& bytes, const LogLayout& layout)
{
    std::string text = logText(bytes, layout.ulTrailerEnd, layout.ulOldEnd, layout.bWide);
    text.erase(text.find_last_of('\n') + 1);  // npos + 1 == 0: no line end, no line
    size_t first = text.find('\n');
    if (first == std::string::npos)
        return std::string();
    size_t second = text.find('\n', first + 1);
    std::string next = text.substr(first + 1, second == std::string::npos ? std::string::npos : second - first);
    size_t column = fieldColumn(text.substr(0, first));
    if (column != std::string::npos && column == fieldColumn(next))
        return text;
    return text.substr(first + 1);
}

std::string logText(const std::string& bytes, size_t from, size_t to, bool bWide)
{
    if (to > bytes.size())
        to = bytes.size();
    if (from >= to)
        return std::string();
    if (bWide)
        return utf16leToUtf8(bytes.data() + from, to - from);
    return bytes.substr(from, to - from);
}

size_t afterLastLineEnd(const std::string& bytes, size_t from, size_t to, bool bWide)
{
    size_t unit = bWide ? 2 : 1;
    if (to > bytes.size())
        to = bytes.size();
    if (to < from + unit)
        return from;
    for (size_t at = from + (to - from) / unit * unit; at > from; at -= unit)
        if (unitAt(bytes, at - unit, bWide) == '\n')
            return at;
    return from;
}

LogLayout analyseLog(const std::string& bytes)
{
    LogLayout layout;
    if (bytes.size() >= RING_HEADER_SIZE && le32(bytes, offsetof(SharedMemoryHeader, ulMagic)) == SHM_HEADER_MAGIC &&
        le32(bytes, offsetof(SharedMemoryHeader, ulHeaderSize)) == RING_HEADER_SIZE) {
        analyseRing(bytes, layout);
        return layout;
    }
    // A plain log starts with its mark, 00 00 or FF FE, unless it was emptied and continued.
    size_t start = 0;
    if (bytes.size() >= 2 && bytes[0] == '\0' && bytes[1] == '\0') {
        start = 2;
    } else if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
               static_cast<unsigned char>(bytes[1]) == 0xFE) {
        start = 2;
        layout.bWide = true;
    }
    std::string head = logText(bytes, start, start + 64, layout.bWide);
    bool framed = startsWith(head, "createlog();") || startsWith(head, "continuelog();") ||
                  startsWith(head, "log( starttime=\"");
    // An empty file (emptied by LogClear) or a bare mark (nothing written yet) is a log too.
    if (!framed && bytes.size() != start)
        return layout;
    layout.nKind = LOGFILE_PLAIN;
    layout.ulNewStart = start;
    layout.ulNewEnd = layout.ulTrailerEnd = layout.ulOldEnd = bytes.size();
    return layout;
}

LogInOrder readLogInOrder(const std::string& bytes)
{
    LogInOrder log;
    LogLayout layout = analyseLog(bytes);
    log.nKind = layout.nKind;
    if (layout.nKind == LOGFILE_FOREIGN)
        return log;
    if (layout.nKind == LOGFILE_RING)
        log.text = ringOldLines(bytes, layout);
    std::string newest = logText(bytes, layout.ulNewStart, layout.ulNewEnd, layout.bWide);
    // A wide plain file with an odd length was cut inside a character.
    size_t unit = layout.bWide ? 2 : 1;
    log.bTorn = (!newest.empty() && newest.back() != '\n') || (layout.ulNewEnd - layout.ulNewStart) % unit != 0;
    log.text += newest;
    if (log.bTorn && (log.text.empty() || log.text.back() != '\n'))
        log.text += "\r\n";
    if (!layout.lastLogTime.empty())
        log.text += "EOF(lastlogtime=\"" + layout.lastLogTime + "\");\r\n";
    return log;
}

}  // namespace zvcrypt
