// The frame of a log file and its encoding mark, without a logger: the blocks byte for
// byte, and the mark as a plain file carries it.
#include <gtest/gtest.h>
#include "FileBytes.h"
#include "LogFrame.h"
#include "StderrCapture.h"
#include "TempDir.h"
#include <zvcrypt/zvFile.h>
#include <regex>
#include <string>

namespace {

using namespace zvcrypt;

const std::string STAMP = "Dec  6 2026 07:03:42";
const std::string TIME = "Sun Dec  6 07:03:42 2026";

TEST(LogFrame, EachBlockHasItsLinesInOrder)
{
    struct Row { const char* name; std::string text, expected; };
    const Row rows[] = {
        {"NewFile", logNewFilePreamble("class zvcrypt::zvFile", STAMP),
         "createlog();\r\nioFileType(\"class zvcrypt::zvFile\");\r\nmodInfo(\"-\");\r\nmodInfo(\"\");\r\n"
         "modInfo(\"Module zvcrypt [Compile Time Dec  6 2026 07:03:42]\");\r\n"},
        {"Continued", logContinuePreamble(STAMP),
         "continuelog();\r\nmodInfo(\"-\");\r\nmodInfo(\"Module zvcrypt [Compile Time Dec  6 2026 07:03:42\");\r\n"},
        {"Opening", logOpeningBlock(TIME), "log( starttime=\"Sun Dec  6 07:03:42 2026\") {\r\noutput=\"\r\n"},
        {"Closing", logClosingBlock(STAMP, TIME),
         "modInfo(\"-\");\r\nmodInfo(\"\");\r\nmodInfo(\"Module zvcrypt [Compile Time Dec  6 2026 07:03:42\");\r\n"
         "end(endtime=\"Sun Dec  6 07:03:42 2026\");\r\n};\r\n"},
        {"HeapReport", logHeapReport(1536 * 1024 + 1023), "\";\r\nTotal memory difference: 1536Kb\r\n\r\n"},
        {"HeapShrunkWraps", logHeapReport(0xFFFFFC00ul), "\";\r\nTotal memory difference: 4194303Kb\r\n\r\n"},
    };
    for (const Row& r : rows) EXPECT_EQ(r.expected, r.text) << r.name;
}

TEST(LogFrame, TheMarkNamesTheWidthOrNothing)
{
    struct Row { unsigned char pair[2]; int read, encoding; };
    const Row rows[] = {{{0, 0}, 2, ENCODING_8BIT},   {{0xFF, 0xFE}, 2, ENCODING_UTF16LE},
                        {{0xFE, 0xFF}, 2, -1},        {{'c', 'r'}, 2, -1},
                        {{0, 0}, 1, -1},              {{0, 0}, -1, -1},
                        {{0xFF, 0xFE}, 0, -1}};
    for (const Row& r : rows) EXPECT_EQ(r.encoding, logMarkEncoding(r.pair, r.read)) << int(r.pair[0]) << r.read;

    const unsigned char found[2] = {'a', 'b'};
    unsigned char mark[2];
    logMarkFor(ENCODING_UTF16LE, found, mark);
    EXPECT_EQ(std::string("\xFF\xFE", 2), std::string(reinterpret_cast<char*>(mark), 2));
    logMarkFor(ENCODING_8BIT, found, mark);
    EXPECT_EQ("ab", std::string(reinterpret_cast<char*>(mark), 2));
}

// A new plain file is open for writing only: its mark cannot be read, the direct trace says
// so, and the file starts with 00 00 (or FF FE when the log is already wide).
TEST(LogFrame, NewPlainFileReportsTheFailedReadAndGetsItsMark)
{
    TempDir dir("zvlogframe");
    for (int encoding : {ENCODING_8BIT, ENCODING_UTF16LE}) {
        std::string path = dir.path("new" + std::to_string(encoding) + ".log");
        zvFile file;
        ASSERT_TRUE(file.create(path.c_str(), true, 0666));
        std::string err;
        {
            StderrCapture capture;
            logWriteNewMark(file, encoding);
            err = capture.text();
        }
        EXPECT_EQ(0, file.tell());  // where it was: the logger goes to the end for each line
        file.seekEnd(0);
        file.write("x", 1);
        file.close();
        EXPECT_EQ(":-[can't read from file descriptor 3 2 Bytes\r\n", std::regex_replace(err, std::regex("\\d+ 2"), "3 2"));
        EXPECT_EQ((encoding == ENCODING_UTF16LE ? std::string("\xFF\xFE") : std::string("\0\0", 2)) + "x",
                  ReadBytes(path));
    }
}

// An existing file: its mark decides the width; a foreign pair is overwritten only for a
// wide log. The position stays where it was.
TEST(LogFrame, ExistingFileIsReadByItsMark)
{
    TempDir dir("zvlogframe");
    struct Row { const char* name; std::string content; int before, after; std::string left; };
    const Row rows[] = {
        {"Narrow", std::string("\0\0old", 5), ENCODING_UTF16LE, ENCODING_8BIT, std::string("\0\0old", 5)},
        {"Wide", "\xFF\xFEo\0", ENCODING_8BIT, ENCODING_UTF16LE, "\xFF\xFEo"},
        {"ForeignStaysInANarrowLog", "text", ENCODING_8BIT, ENCODING_8BIT, "text"},
        {"ForeignGetsTheWideMark", "text", ENCODING_UTF16LE, ENCODING_UTF16LE, "\xFF\xFExt"},
        {"EmptyKeepsTheWidth", "", ENCODING_UTF16LE, ENCODING_UTF16LE, ""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        std::string path = dir.path(std::string(r.name) + ".log");
        ASSERT_TRUE(WriteBytes(path, r.content));
        zvFile file;
        ASSERT_TRUE(file.open(path.c_str(), zvIO::OPEN_UPDATE, 0666));
        long end = file.seekEnd(0);
        EXPECT_EQ(r.after, logReadMark(file, r.before));
        EXPECT_EQ(end, file.tell());
        file.close();
        EXPECT_EQ(r.left, ReadBytes(path));
    }
}

} // namespace
