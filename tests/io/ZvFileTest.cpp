// The plain-file back-end: bytes on disk, open modes, positions, and every failure path
// answering with its failure result and trace instead of crashing.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <zvcrypt/Blob.h>
#include <zvcrypt/zvFile.h>
#include "FileBytes.h"
#include "StderrCapture.h"
#include "TempDir.h"

using zvcrypt::zvFile;
using zvcrypt::zvIO;

namespace {
const int kReadWrite = 0666;
} // namespace

TEST(PlainFile, WrittenBytesReachTheDiskUntranslatedAndReadBackWhole)
{
    TempDir dir("zvfile");
    const std::string p = dir.path("log.txt");
    const std::string bytes("\xFF\xFEline one\r\nline two\n\0\x1a tail!", 29);
    {
        zvIO* io = new zvFile;
        zvFile& f = *static_cast<zvFile*>(io);
        ASSERT_TRUE(f.create(p.c_str(), true, kReadWrite));
        EXPECT_EQ(0, f.control(zvIO::CONTROL_MARKER, bytes.data(), 2));  // the marker is written
        EXPECT_EQ(0, f.control(3, "ignored", 7));
        EXPECT_EQ(26, f.write(bytes.data() + 2, 26));
        EXPECT_TRUE(f.write(zvcrypt::Blob("!")));
        EXPECT_EQ(29L, f.tell());
        char c;
        StderrCapture err;  // create opens write-only: reading fails with its trace
        EXPECT_EQ(-1, f.read(&c, 1));
        EXPECT_NE(std::string::npos, err.text().find(":-[can't read from file descriptor "));
        EXPECT_FALSE(f.hasWriteError());
        delete io;  // through the interface: the file is closed
    }
    EXPECT_EQ(bytes, ReadBytes(p));

    zvFile f;
    ASSERT_TRUE(f.open(p.c_str(), zvIO::OPEN_READ, kReadWrite));
    char back[64] = {};
    EXPECT_EQ(29, f.read(back, sizeof back));
    EXPECT_EQ(bytes, std::string(back, 29));
    EXPECT_TRUE(f.eof());
    EXPECT_EQ(0, f.read(back, sizeof back));
}

TEST(PlainFile, OpenModesTruncateUpdateAppendCreateOrOnlyRead)
{
    TempDir dir("zvfile");
    const std::string p = dir.path("modes.txt");
    struct Case { int mode; long seekTo; std::string after; };
    const Case cases[] = {{zvIO::OPEN_WRITE, 0, "ab"},
                          {zvIO::OPEN_UPDATE, 4, "0123ab6789"},
                          {zvIO::OPEN_APPEND, 0, "0123456789ab"},  // the position is ignored
                          {9, 0, "0123456789"}};  // any other mode reads only
    zvFile f;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        ASSERT_TRUE(WriteBytes(p, "0123456789"));
        ASSERT_TRUE(f.open(p.c_str(), c.mode, kReadWrite));
        f.seek(c.seekTo, zvIO::SEEK_FROM_START);
        EXPECT_EQ(c.mode == 9 ? 0 : 2, f.write("ab", 2));
        EXPECT_EQ(c.mode == 9, f.hasWriteError());
        f.close();
        EXPECT_EQ(c.after, ReadBytes(p));
    }
    EXPECT_TRUE(f.hasWriteError());  // remembered until the next successful open
    EXPECT_FALSE(f.open(dir.path("missing.txt").c_str(), -3, kReadWrite));
    EXPECT_TRUE(f.hasWriteError());
    ASSERT_TRUE(f.open(dir.path("new.txt").c_str(), zvIO::OPEN_NEW, kReadWrite));
    EXPECT_FALSE(f.hasWriteError());
    f.write("nn", 2);
    ASSERT_TRUE(f.open(dir.path("fresh.txt").c_str(), zvIO::OPEN_APPEND, kReadWrite));
    f.close();
    EXPECT_EQ("nn", ReadBytes(dir.path("new.txt")));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(dir.path("fresh.txt").c_str()));
}

TEST(PlainFile, AFailedCreateOrOpenTracesAndKeepsTheOpenFile)
{
    TempDir dir("zvfile");
    const std::string p = dir.path("keep.txt"), other = dir.path("other.txt");
    const std::string missing = dir.path("no\\such\\x.txt");
    ASSERT_TRUE(WriteBytes(other, "x"));
    zvFile f;
    ASSERT_TRUE(f.create(p.c_str(), true, kReadWrite));
    f.write("abc", 3);
    {
        StderrCapture err;
        EXPECT_FALSE(f.create(other.c_str(), false, kReadWrite));  // exists
        EXPECT_FALSE(f.open(missing.c_str(), zvIO::OPEN_READ, kReadWrite));
        EXPECT_FALSE(f.create(missing.c_str(), true, kReadWrite));
        EXPECT_FALSE(f.open(dir.dir().c_str(), zvIO::OPEN_APPEND, kReadWrite));  // a folder
        for (std::string line : {":-[can't create file '" + other + "'",
                                 ":-[can't open file '" + missing + "'",
                                 ":-[can't create file '" + missing + "'",
                                 ":-[can't open file '" + dir.dir() + "'"})
            EXPECT_NE(std::string::npos, err.text().find(line)) << line;
    }
    EXPECT_EQ(3L, f.tell());
    f.write("de", 2);
    f.close();
    EXPECT_EQ("abcde", ReadBytes(p));
    EXPECT_EQ("x", ReadBytes(other));
}

TEST(PlainFile, AFileHeldByOthersRefusesWhatTheyDoNotShare)
{
    TempDir dir("zvfile");
    const std::string p = dir.path("held.txt");
    ASSERT_TRUE(WriteBytes(p, "data"));
    zvFile f;
    HANDLE reader = CreateFileA(p.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, reader);
    for (int mode : {zvIO::OPEN_WRITE, zvIO::OPEN_UPDATE, zvIO::OPEN_APPEND})
        EXPECT_FALSE(f.open(p.c_str(), mode, kReadWrite)) << mode;
    EXPECT_FALSE(f.create(p.c_str(), true, kReadWrite));
    EXPECT_TRUE(f.open(p.c_str(), zvIO::OPEN_READ, kReadWrite));
    f.close();
    CloseHandle(reader);
    HANDLE locked = CreateFileA(p.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_FALSE(f.open(p.c_str(), zvIO::OPEN_READ, kReadWrite));
    CloseHandle(locked);
    EXPECT_EQ("data", ReadBytes(p));
}

TEST(PlainFile, SeekOriginsAndLengthAndWritingBehindTheEnd)
{
    TempDir dir("zvfile");
    const std::string p = dir.path("seek.txt");
    ASSERT_TRUE(WriteBytes(p, "0123456789"));
    zvFile f;
    ASSERT_TRUE(f.open(p.c_str(), zvIO::OPEN_UPDATE, kReadWrite));
    EXPECT_EQ(6L, f.seek(6, zvIO::SEEK_FROM_START));
    EXPECT_EQ(10L, f.length());
    EXPECT_EQ(5L, f.seek(-1, zvIO::SEEK_FROM_CURRENT));  // length left the position alone
    EXPECT_EQ(-1L, f.seek(-1, zvIO::SEEK_FROM_START));
    EXPECT_EQ(7L, f.seek(2, 7));  // unknown origin: from the current position
    EXPECT_EQ(8L, f.seekEnd(-2));
    EXPECT_EQ(12L, f.seek(2, zvIO::SEEK_FROM_END));
    f.write("!", 1);
    f.close();
    EXPECT_EQ(std::string("0123456789\0\0!", 13), ReadBytes(p));
}

TEST(PlainFile, AClosedFileAndNullBuffersAnswerQuietlyWithoutTouchingAnything)
{
    TempDir dir("zvfile");
    zvFile f;
    char buf[4] = {'a', 'b', 'c', 'd'};
    StderrCapture err;
    EXPECT_TRUE(f.close());
    EXPECT_EQ(0, f.read(buf, 4));
    EXPECT_EQ(0, f.write(buf, 4));
    EXPECT_EQ(-1L, f.seek(0, zvIO::SEEK_FROM_START));
    EXPECT_FALSE(f.flush());
    ASSERT_TRUE(WriteBytes(dir.path("null.txt"), "abc"));
    ASSERT_TRUE(f.open(dir.path("null.txt").c_str(), zvIO::OPEN_UPDATE, kReadWrite));
    EXPECT_EQ(0, f.read(nullptr, 3));
    EXPECT_EQ(0, f.write(nullptr, 3));
    EXPECT_EQ(0L, f.tell());
    EXPECT_FALSE(f.hasWriteError());
    EXPECT_EQ("", err.text());
}
