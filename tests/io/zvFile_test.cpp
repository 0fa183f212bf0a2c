// The plain-file back-end: bytes on disk, open modes, positions, and every failure path
// answering with its failure result and trace instead of crashing.
#include <gtest/gtest.h>
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include <zvcrypt/Blob.h>
#include <zvcrypt/zvFile.h>

using zvcrypt::zvFile;
using zvcrypt::zvIO;

namespace {

const int kReadWrite = 0666;

std::string contents(const std::string& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void put(const std::string& p, const std::string& bytes)
{
    std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
}

// A folder of its own under %TEMP% for every test, removed afterwards.
class FileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        mDir = std::string(temp) + "zvfile_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_" +
               std::to_string(GetCurrentProcessId());
        CreateDirectoryA(mDir.c_str(), nullptr);
    }
    void TearDown() override
    {
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA((mDir + "\\*").c_str(), &fd);
        while (h != INVALID_HANDLE_VALUE) {
            DeleteFileA(path(fd.cFileName).c_str());
            if (!FindNextFileA(h, &fd)) {
                FindClose(h);
                break;
            }
        }
        RemoveDirectoryA(mDir.c_str());
    }
    std::string path(const char* name) const { return mDir + "\\" + name; }

    // Runs f with standard error (the library's direct traces) going to a file.
    template <class F> std::string stderrOf(F f)
    {
        const std::string file = path("stderr.txt");
        fflush(stderr);
        int saved = _dup(2);
        int fd = _open(file.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, 0666);
        _dup2(fd, 2);
        _close(fd);
        f();
        fflush(stderr);
        _dup2(saved, 2);
        _close(saved);
        return contents(file);
    }

    std::string mDir;
};

} // namespace

TEST_F(FileTest, WrittenBytesReachTheDiskUntranslated)
{
    const std::string p = path("log.txt");
    const std::string bytes("line one\r\nline two\n\0\x1a tail", 26);
    {
        zvIO* io = new zvFile;
        zvFile& f = *static_cast<zvFile*>(io);
        ASSERT_TRUE(f.create(p.c_str(), true, kReadWrite));
        const unsigned char mark[2] = {0xFF, 0xFE};
        EXPECT_EQ(0, f.control(0, mark, 2));  // code 0 writes
        EXPECT_EQ(0, f.control(3, "ignored", 7));
        EXPECT_EQ(26, f.write(bytes.data(), 26));
        EXPECT_TRUE(f.write(zvcrypt::Blob("!")));
        EXPECT_EQ(29L, f.tell());
        EXPECT_TRUE(f.flush());
        // create opens write-only: reading back fails with its trace.
        char c;
        std::string err = stderrOf([&] { EXPECT_EQ(-1, f.read(&c, 1)); });
        EXPECT_NE(std::string::npos, err.find(":-[can't read from file descriptor "));
        EXPECT_NE(std::string::npos, err.find(" 1 Bytes"));
        EXPECT_FALSE(f.hasWriteError());
        EXPECT_FALSE(DeleteFileA(p.c_str()));  // held open
        delete io;  // through the interface: the file is closed
    }
    EXPECT_EQ("\xFF\xFE" + bytes + "!", contents(p));

    zvFile f;
    ASSERT_TRUE(f.open(p.c_str(), zvIO::OPEN_READ, kReadWrite));
    char back[64] = {};
    EXPECT_FALSE(f.eof());
    EXPECT_EQ(29, f.read(back, sizeof back));
    EXPECT_EQ("\xFF\xFE" + bytes + "!", std::string(back, 29));
    EXPECT_TRUE(f.eof());
    EXPECT_EQ(0, f.read(back, sizeof back));
    f.close();
    EXPECT_TRUE(DeleteFileA(p.c_str()));
}

TEST_F(FileTest, OpenModesTruncateUpdateAppendAndCreateNew)
{
    const std::string p = path("modes.txt");
    zvFile f;
    put(p, "0123456789");
    ASSERT_TRUE(f.open(p.c_str(), zvIO::OPEN_WRITE, kReadWrite));
    f.write("abc", 3);
    f.close();
    EXPECT_EQ("abc", contents(p));

    put(p, "0123456789");
    ASSERT_TRUE(f.open(p.c_str(), zvIO::OPEN_UPDATE, kReadWrite));
    f.seek(4, zvIO::SEEK_FROM_START);
    f.write("xy", 2);
    char c[2] = {};
    EXPECT_EQ(2, f.read(c, 2));
    EXPECT_EQ("67", std::string(c, 2));
    f.close();
    EXPECT_EQ("0123xy6789", contents(p));

    put(p, "0123456789");
    ASSERT_TRUE(f.open(p.c_str(), zvIO::OPEN_APPEND, kReadWrite));
    f.seek(0, zvIO::SEEK_FROM_START);  // appending ignores the position
    f.write("end", 3);
    f.close();
    EXPECT_EQ("0123456789end", contents(p));

    const std::string fresh = path("fresh.txt");
    ASSERT_TRUE(f.open(fresh.c_str(), zvIO::OPEN_APPEND, kReadWrite));
    ASSERT_TRUE(f.open(path("new.txt").c_str(), zvIO::OPEN_NEW, kReadWrite));
    f.write("nn", 2);
    f.close();
    EXPECT_EQ("", contents(fresh));
    EXPECT_EQ("nn", contents(path("new.txt")));

    // Any other mode reads only: a write fails and is remembered until the next open.
    ASSERT_TRUE(f.open(p.c_str(), 9, kReadWrite));
    EXPECT_EQ(0, f.write("zz", 2));
    EXPECT_TRUE(f.hasWriteError());
    f.close();
    EXPECT_TRUE(f.hasWriteError());
    EXPECT_FALSE(f.open(path("missing.txt").c_str(), -3, kReadWrite));
    EXPECT_TRUE(f.hasWriteError());
    ASSERT_TRUE(f.open(p.c_str(), zvIO::OPEN_APPEND, kReadWrite));
    EXPECT_FALSE(f.hasWriteError());
    EXPECT_EQ("0123456789end", contents(p));
}

TEST_F(FileTest, FailedCreateOrOpenKeepsTheOpenFileAndTraces)
{
    const std::string p = path("keep.txt");
    const std::string other = path("other.txt");
    const std::string missing = mDir + "\\no\\such\\x.txt";
    put(other, "x");
    zvFile f;
    ASSERT_TRUE(f.create(p.c_str(), true, kReadWrite));
    f.write("abc", 3);

    std::string err = stderrOf([&] {
        EXPECT_FALSE(f.create(other.c_str(), false, kReadWrite));  // exists
        EXPECT_FALSE(f.open(missing.c_str(), zvIO::OPEN_READ, kReadWrite));
        EXPECT_FALSE(f.create(missing.c_str(), true, kReadWrite));
        EXPECT_FALSE(f.open(mDir.c_str(), zvIO::OPEN_APPEND, kReadWrite));  // a folder
    });
    EXPECT_NE(std::string::npos, err.find(":-[can't create file '" + other + "'"));
    EXPECT_NE(std::string::npos, err.find(":-[can't open file '" + missing + "'"));
    EXPECT_NE(std::string::npos, err.find(":-[can't create file '" + missing + "'"));
    EXPECT_NE(std::string::npos, err.find(":-[can't open file '" + mDir + "'"));

    EXPECT_TRUE(f.isOpen());
    EXPECT_EQ(3L, f.tell());
    f.write("de", 2);
    f.close();
    EXPECT_EQ("abcde", contents(p));
    EXPECT_EQ("x", contents(other));
}

TEST_F(FileTest, FilesHeldByOthersRefuseWhatTheyDoNotShare)
{
    const std::string p = path("held.txt");
    put(p, "data");
    zvFile f;
    HANDLE reader = CreateFileA(p.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, reader);
    for (int mode : {1, 2, 3})
        EXPECT_FALSE(f.open(p.c_str(), mode, kReadWrite)) << mode;
    EXPECT_FALSE(f.create(p.c_str(), true, kReadWrite));
    EXPECT_FALSE(f.isOpen());
    EXPECT_TRUE(f.open(p.c_str(), zvIO::OPEN_READ, kReadWrite));
    f.close();
    CloseHandle(reader);

    HANDLE locked = CreateFileA(p.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, locked);
    EXPECT_FALSE(f.open(p.c_str(), zvIO::OPEN_READ, kReadWrite));
    CloseHandle(locked);
    EXPECT_EQ("data", contents(p));
}

TEST_F(FileTest, SeekOriginsAndLength)
{
    const std::string p = path("seek.txt");
    put(p, "0123456789");
    zvFile f;
    ASSERT_TRUE(f.open(p.c_str(), zvIO::OPEN_UPDATE, kReadWrite));
    EXPECT_EQ(6L, f.seek(6, zvIO::SEEK_FROM_START));
    EXPECT_EQ(10L, f.length());
    EXPECT_EQ(6L, f.tell());  // length leaves the position alone
    EXPECT_EQ(-1L, f.seek(-1, zvIO::SEEK_FROM_START));
    EXPECT_EQ(5L, f.seek(-1, zvIO::SEEK_FROM_CURRENT));
    EXPECT_EQ(7L, f.seek(2, 7));  // unknown origin: from the current position
    EXPECT_EQ(8L, f.seekEnd(-2));
    char c = 0;
    EXPECT_EQ(1, f.read(&c, 1));
    EXPECT_EQ('8', c);
    EXPECT_EQ(12L, f.seek(2, zvIO::SEEK_FROM_END));
    f.write("!", 1);
    EXPECT_EQ(13L, f.length());
    EXPECT_EQ(-1L, f.seek(-20, zvIO::SEEK_FROM_START));
    f.close();
    EXPECT_EQ(std::string("0123456789\0\0!", 13), contents(p));
}

TEST_F(FileTest, ClosedFileAndNullBuffersAnswerWithoutTouchingAnything)
{
    zvFile f;
    char buf[4] = {'a', 'b', 'c', 'd'};
    std::string err = stderrOf([&] {
        EXPECT_TRUE(f.close());
        EXPECT_EQ(0, f.read(buf, 4));
        EXPECT_EQ(0, f.write(buf, 4));
    });
    EXPECT_EQ("", err);
    EXPECT_FALSE(f.hasWriteError());
    EXPECT_EQ(-1L, f.seek(0, zvIO::SEEK_FROM_START));
    EXPECT_EQ(-1L, f.tell());
    EXPECT_EQ(-1L, f.length());
    EXPECT_TRUE(f.eof());
    EXPECT_FALSE(f.flush());
    EXPECT_EQ('a', buf[0]);

    const std::string p = path("null.txt");
    put(p, "abc");
    ASSERT_TRUE(f.open(p.c_str(), zvIO::OPEN_UPDATE, kReadWrite));
    err = stderrOf([&] {
        EXPECT_EQ(0, f.read(nullptr, 3));
        EXPECT_EQ(0, f.write(nullptr, 3));
    });
    EXPECT_EQ("", err);
    EXPECT_FALSE(f.hasWriteError());
    EXPECT_EQ(0L, f.tell());
}
