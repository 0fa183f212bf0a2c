// The log file's frame and its encoding mark.
#include "LogFrame.h"
#include <zvcrypt/zvIO.h>
#include <cstdio>

namespace zvcrypt {

namespace {

const char* const CRLF = "\r\n";

// The module entries of every block: the fixed module name, the library's compile time.
// The new file's block also carries an empty entry and closes the bracket of the stamp.
std::string moduleEntries(const std::string& buildStamp, bool emptyEntry, bool closeBracket)
{
    std::string text = "modInfo(\"-\");\r\n";
    if (emptyEntry) text += "modInfo(\"\");\r\n";
    text += "modInfo(\"Module zvcrypt [Compile Time " + buildStamp + (closeBracket ? "]" : "") + "\");\r\n";
    return text;
}

} // namespace

std::string logNewFilePreamble(const std::string& backEndName, const std::string& buildStamp)
{
    return "createlog();\r\nioFileType(\"" + backEndName + "\");\r\n" + moduleEntries(buildStamp, true, true);
}

std::string logContinuePreamble(const std::string& buildStamp)
{
    return "continuelog();\r\n" + moduleEntries(buildStamp, false, false);
}

std::string logOpeningBlock(const std::string& timeStamp)
{
    return "log( starttime=\"" + timeStamp + "\") {\r\noutput=\"\r\n";
}

std::string logClosingBlock(const std::string& buildStamp, const std::string& timeStamp)
{
    return moduleEntries(buildStamp, true, false) + "end(endtime=\"" + timeStamp + "\");\r\n};\r\n";
}

std::string logHeapReport(unsigned long differenceBytes)
{
    char report[256];
    _snprintf(report, sizeof report, "\";%sTotal memory difference: %dKb%s%s", CRLF,
              static_cast<int>(differenceBytes / 1024), CRLF, CRLF);
    report[sizeof report - 1] = '\0';
    return report;
}

int logMarkEncoding(const unsigned char pair[2], int bytesRead)
{
    if (bytesRead != 2) return -1;
    if (pair[0] == 0xFF && pair[1] == 0xFE) return ENCODING_UTF16LE;
    if (pair[0] == 0 && pair[1] == 0) return ENCODING_8BIT;
    return -1;
}

void logMarkFor(int encoding, const unsigned char found[2], unsigned char mark[2])
{
    mark[0] = encoding == ENCODING_UTF16LE ? 0xFF : found[0];
    mark[1] = encoding == ENCODING_UTF16LE ? 0xFE : found[1];
}

namespace {

// The first two bytes of the file (zero where nothing was read); the position is back at
// the start. A plain file writes its mark where it stands; a mapped file reads and keeps
// the mark in its header.
int readPair(zvIO& io, unsigned char pair[2])
{
    io.seek(0, zvIO::SEEK_FROM_START);
    pair[0] = pair[1] = 0;
    int n = io.read(pair, 2);
    io.seek(0, zvIO::SEEK_FROM_START);
    return n;
}

void writeMark(zvIO& io, int encoding, const unsigned char found[2])
{
    unsigned char mark[2];
    logMarkFor(encoding, found, mark);
    io.control(zvIO::CONTROL_MARKER, mark, 2);
}

} // namespace

void logWriteNewMark(zvIO& io, int encoding)
{
    long position = io.tell();
    unsigned char pair[2];
    readPair(io, pair);
    writeMark(io, encoding, pair);
    io.seek(position, zvIO::SEEK_FROM_START);
}

int logReadMark(zvIO& io, int encoding)
{
    long position = io.tell();
    unsigned char pair[2];
    int n = readPair(io, pair);
    int named = logMarkEncoding(pair, n);
    if (named >= 0)
        encoding = named;
    else if (n == 2 && encoding == ENCODING_UTF16LE)
        writeMark(io, encoding, pair);
    io.seek(position, zvIO::SEEK_FROM_START);
    return encoding;
}

} // namespace zvcrypt
