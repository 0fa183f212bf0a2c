// The mapped log file on disk: its size and header, where written bytes land, what a
// reopen continues from, and the memory-full result.
#include <gtest/gtest.h>
#include <windows.h>
#include <zvcrypt/zvIOMemFile.h>
#include <cstring>
#include <string>
#include "test_util.h"

using zvcrypt::MemFile;
using zvcrypt::zvIOMemFile;

TEST(MappedFileLayout, NewFileIsDataSizePlusHeaderWithHeaderFields)
{
    TempDir dir("mflayout");
    std::string path = dir.file("ring.log");
    {
        zvIOMemFile io(1000);
        ASSERT_TRUE(io.create(path.c_str(), true, 438));
        EXPECT_TRUE(io.isOpen());
        EXPECT_EQ(0, io.tell());
        ASSERT_EQ(10, io.write("0123456789", 10));
        EXPECT_EQ(10, io.tell());
        EXPECT_TRUE(io.close());
        EXPECT_FALSE(io.isOpen());
    }
    std::vector<unsigned char> file = readFileBytes(path);
    // 1000 is raised to the smallest segment of 1024, plus the 44-byte header.
    ASSERT_EQ(1068u, file.size());
    EXPECT_EQ(0, file[0]);
    EXPECT_EQ(0, file[1]);
    EXPECT_EQ(666u, le32(file, 4));
    EXPECT_EQ(44u, le32(file, 8));
    EXPECT_EQ(10u, le32(file, 12));
    EXPECT_EQ(1068u, le32(file, 16));
    EXPECT_EQ(0xFFFFFFFFu, le32(file, 20));
    EXPECT_EQ(GetCurrentProcessId(), le32(file, 24));
    EXPECT_EQ(0xFFFFFFFFu, le32(file, 28));
    EXPECT_EQ(0xFFFFFFFFu, le32(file, 32));
    EXPECT_EQ(0xFFFFFFFFu, le32(file, 36));
    EXPECT_EQ(0, memcmp(file.data() + 44, "0123456789", 10));
    EXPECT_EQ(0, file[54]);
}

TEST(MappedFileLayout, MarkerLivesInTheHeaderAndReadsBackAtPositionZero)
{
    TempDir dir("mfmark");
    std::string path = dir.file("mark.log");
    zvIOMemFile io(1024);
    ASSERT_TRUE(io.create(path.c_str(), true, 438));
    unsigned char mark[2] = {0xFF, 0xFE};
    EXPECT_EQ(0, io.control(0, mark, 2));
    // Other codes and other lengths leave the marker alone.
    unsigned char other[2] = {1, 2};
    io.control(1, other, 2);
    io.control(0, other, 1);

    // Position 0 means "behind the header": the length counts the header from now on.
    EXPECT_EQ(44, io.seek(0, 0));
    unsigned char got[2] = {};
    EXPECT_EQ(2, io.read(got, 2));
    EXPECT_EQ(0xFF, got[0]);
    EXPECT_EQ(0xFE, got[1]);
    io.close();
    std::vector<unsigned char> file = readFileBytes(path);
    ASSERT_GE(file.size(), 44u);
    EXPECT_EQ(0xFF, file[0]);
    EXPECT_EQ(0xFE, file[1]);
}

TEST(MappedFileRing, ReopenContinuesAfterTheRecordedLength)
{
    TempDir dir("mfcont");
    std::string path = dir.file("cont.log");
    {
        zvIOMemFile io(2048);
        ASSERT_TRUE(io.create(path.c_str(), true, 438));
        // The logger's pattern: a seek to 0 puts the position behind the header.
        io.seek(0, 0);
        ASSERT_EQ(6, io.write("first;", 6));
        io.close();
    }
    {
        zvIOMemFile io(2048);
        ASSERT_TRUE(io.open(path.c_str(), 2, 438));
        io.seekEnd(0);
        ASSERT_EQ(7, io.write("second;", 7));
        io.close();
    }
    std::vector<unsigned char> file = readFileBytes(path);
    ASSERT_EQ(2048u + 44u, file.size());
    EXPECT_EQ(0, memcmp(file.data() + 44, "first;second;", 13));
    EXPECT_EQ(44u + 13u, le32(file, 12));
}

TEST(MappedFileRing, WriteThatDoesNotFitReturnsMinusFourZeroesTheRestAndKeepsPosition)
{
    TempDir dir("mffull");
    std::string path = dir.file("full.log");
    zvIOMemFile io(1000);
    ASSERT_TRUE(io.create(path.c_str(), true, 438));
    std::string a(1000, 'A');
    ASSERT_EQ(1000, io.write(a.data(), 1000));
    // Step back 100 bytes: the position is now inside the written data.
    EXPECT_EQ(900, io.seek(-100, 1));
    std::string b(200, 'B');
    EXPECT_EQ(-4, io.write(b.data(), 200));
    EXPECT_EQ(900, io.tell());
    EXPECT_EQ(static_cast<unsigned long>(-4), io.memFile().getRetval());
    io.close();

    std::vector<unsigned char> file = readFileBytes(path);
    ASSERT_EQ(1068u, file.size());
    EXPECT_EQ('A', file[899]);
    for (size_t i = 900; i < file.size(); ++i)
        ASSERT_EQ(0, file[i]) << i;
}

TEST(MappedFileFailures, OpenOfAMissingFileIsRecordedNotThrown)
{
    TempDir dir("mfmiss");
    std::string path = dir.file("missing.log");
    zvIOMemFile io(1024);
    EXPECT_FALSE(io.open(path.c_str(), 2, 438));
    EXPECT_FALSE(io.isOpen());
    EXPECT_EQ(static_cast<unsigned long>(ERROR_FILE_NOT_FOUND), io.memFile().getRetval());
    std::string text = io.memFile().getError();
    EXPECT_EQ(0u, text.find("MemFile::open(" + path + ", 1024)MemFile:")) << text;
    EXPECT_NE(std::string::npos, text.find(" : CreateFile failed : Error ")) << text;
    // Operations on the closed back-end fail quietly.
    unsigned char buf[2];
    EXPECT_EQ(-1, io.read(buf, 2));
    EXPECT_EQ(-1, io.seek(0, 0));
    // Opening never makes the file.
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(path.c_str()));
}

TEST(MappedFileFailures, SecondCreateOfTheSameBaseNameIsRefused)
{
    TempDir dir("mfdup");
    TempDir other("mfdup2");
    MemFile a(false, true);
    ASSERT_TRUE(a.create(dir.file("same.log").c_str(), 1024));
    MemFile b(false, true);
    // The mapping is named after the base name: a file of that name elsewhere collides.
    EXPECT_FALSE(b.create(other.file("same.log").c_str(), 1024));
    EXPECT_EQ(static_cast<unsigned long>(ERROR_ALREADY_EXISTS), b.getRetval());
    EXPECT_NE(std::string::npos, std::string(b.getError()).find("CreateFileMapping failed : Error "));
}
