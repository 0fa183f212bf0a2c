// The plain-file back-end: bytes on disk, open modes, positions, and every failure path
// answering with its documented result instead of crashing.
#include <gtest/gtest.h>
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

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

// A folder of its own under %TEMP% for every test, removed afterwards.
class FileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        mDir = std::string(temp) + "zvfile_" + info->name() + "_" +
               std::to_string(GetCurrentProcessId());
        CreateDirectoryA(mDir.c_str(), nullptr);
    }
    void TearDown() override
    {
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA((mDir + "\\*").c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                std::string p = mDir + "\\" + fd.cFileName;
                SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_NORMAL);
                if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    if (strcmp(fd.cFileName, ".") && strcmp(fd.cFileName, ".."))
                        RemoveDirectoryA(p.c_str());
                } else {
                    DeleteFileA(p.c_str());
                }
            } while (FindNextFileA(h, &fd));
            FindClose(h);
        }
        RemoveDirectoryA(mDir.c_str());
    }
    std::string path(const char* name) const { return mDir + "\\" + name; }

    static std::string contents(const std::string& p)
    {
        std::ifstream in(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    static void put(const std::string& p, const std::string& bytes)
    {
        std::ofstream out(p, std::ios::binary | std::ios::trunc);
        out << bytes;
    }
    static bool exists(const std::string& p)
    {
        return GetFileAttributesA(p.c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    std::string mDir;
};

// Collects what the library writes to standard error (its direct traces).
class StderrCapture {
public:
    explicit StderrCapture(const std::string& file) : mFile(file)
    {
        fflush(stderr);
        mSaved = _dup(2);
        int fd = _open(file.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, 0666);
        _dup2(fd, 2);
        _close(fd);
    }
    std::string finish()
    {
        if (mSaved != -1) {
            fflush(stderr);
            _dup2(mSaved, 2);
            _close(mSaved);
            mSaved = -1;
        }
        std::ifstream in(mFile, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    ~StderrCapture() { finish(); }

private:
    std::string mFile;
    int mSaved;
};

} // namespace

TEST_F(FileTest, WrittenBytesReachTheDiskUntranslated)
{
    const std::string p = path("log.txt");
    const char bytes[] = "line one\r\nline two\n\0\x1a tail";
    const unsigned n = sizeof bytes - 1;
    {
        zvFile f;
        ASSERT_TRUE(f.create(p.c_str(), true, kReadWrite));
        EXPECT_TRUE(f.isOpen());
        EXPECT_EQ((int)n, f.write(bytes, n));
        EXPECT_EQ((long)n, f.tell());
        EXPECT_TRUE(f.flush());
        EXPECT_FALSE(f.hasWriteError());
        EXPECT_TRUE(f.close());
        EXPECT_FALSE(f.isOpen());
    }
    EXPECT_EQ(std::string(bytes, n), contents(p));

    zvFile f;
    ASSERT_TRUE(f.open(p.c_str(), zvIO::OPEN_READ, kReadWrite));
    char back[64] = {};
    EXPECT_FALSE(f.eof());
    EXPECT_EQ((int)n, f.read(back, sizeof back));
    EXPECT_EQ(std::string(bytes, n), std::string(back, n));
    EXPECT_TRUE(f.eof());
    EXPECT_EQ(0, f.read(back, sizeof back));
}

TEST_F(FileTest, OpenModesTruncateUpdateAppendAndCreateNew)
{
    const std::string p = path("modes.txt");
    zvFile f;

    put(p, "0123456789");
    ASSERT_TRUE(f.open(p.c_str(), zvIO::OPEN_WRITE, kReadWrite));
    EXPECT_EQ(3, f.write("abc", 3));
    f.close();
    EXPECT_EQ("abc", contents(p));

    put(p, "0123456789");
    ASSERT_TRUE(f.open(p.c_str(), zvIO::OPEN_UPDATE, kReadWrite));
    EXPECT_EQ(4L, f.seek(4, zvIO::SEEK_FROM_START));
    EXPECT_EQ(2, f.write("xy", 2));
    char c[2] = {};
    EXPECT_EQ(2, f.read(c, 2));  // update mode reads too
    EXPECT_EQ("67", std::string(c, 2));
    f.close();
    EXPECT_EQ("0123xy6789", contents(p));

    put(p, "0123456789");
    ASSERT_TRUE(f.open(p.c_str(), zvIO::OPEN_APPEND, kReadWrite));
    f.seek(0, zvIO::SEEK_FROM_START);  // appending ignores the position
    EXPECT_EQ(3, f.write("end", 3));
    f.close();
    EXPECT_EQ("0123456789end", contents(p));

    const std::string fresh = path("fresh.txt");
    ASSERT_TRUE(f.open(fresh.c_str(), zvIO::OPEN_APPEND, kReadWrite));
    EXPECT_EQ(1, f.write("a", 1));
    f.close();
    EXPECT_EQ("a", contents(fresh));

    const std::string only = path("new.txt");
    ASSERT_TRUE(f.open(only.c_str(), zvIO::OPEN_NEW, kReadWrite));
    EXPECT_EQ(2, f.write("nn", 2));
    f.close();
    EXPECT_EQ("nn", contents(only));
}

TEST_F(FileTest, UnknownModeOpensReadOnly)
{
    const std::string p = path("ro.txt");
    put(p, "keep");
    zvFile f;
    ASSERT_TRUE(f.open(p.c_str(), 9, kReadWrite));
    EXPECT_EQ(0, f.write("xx", 2));
    EXPECT_TRUE(f.hasWriteError());
    char c[4];
    EXPECT_EQ(4, f.read(c, 4));
    f.close();
    EXPECT_EQ("keep", contents(p));
    EXPECT_FALSE(f.open(path("missing.txt").c_str(), -3, kReadWrite));
    EXPECT_FALSE(exists(path("missing.txt")));

    // The next successful open starts without the old write error.
    ASSERT_TRUE(f.open(p.c_str(), zvIO::OPEN_UPDATE, kReadWrite));
    EXPECT_FALSE(f.hasWriteError());
}

TEST_F(FileTest, FailedCreateOrOpenKeepsTheOpenFileAndTraces)
{
    const std::string p = path("keep.txt");
    const std::string other = path("other.txt");
    put(other, "x");
    zvFile f;
    ASSERT_TRUE(f.create(p.c_str(), true, kReadWrite));
    EXPECT_EQ(3, f.write("abc", 3));

    StderrCapture err(path("stderr.txt"));
    EXPECT_FALSE(f.create(other.c_str(), false, kReadWrite));  // exists: create-new refuses
    const std::string missing = mDir + "\\no\\such\\folder\\x.txt";
    EXPECT_FALSE(f.open(missing.c_str(), zvIO::OPEN_READ, kReadWrite));
    EXPECT_FALSE(f.create(missing.c_str(), true, kReadWrite));
    EXPECT_FALSE(f.open(mDir.c_str(), zvIO::OPEN_APPEND, kReadWrite));  // a folder
    const std::string text = err.finish();

    EXPECT_NE(std::string::npos, text.find(":-[can't create file '" + other + "'"));
    EXPECT_NE(std::string::npos, text.find(":-[can't open file '" + missing + "'"));
    EXPECT_NE(std::string::npos, text.find(":-[can't create file '" + missing + "'"));
    EXPECT_NE(std::string::npos, text.find(":-[can't open file '" + mDir + "'"));
    EXPECT_FALSE(exists(mDir + "\\no"));

    // The first file is still open and unchanged in position.
    EXPECT_TRUE(f.isOpen());
    EXPECT_EQ(3L, f.tell());
    EXPECT_EQ(2, f.write("de", 2));
    f.close();
    EXPECT_EQ("abcde", contents(p));
    EXPECT_EQ("x", contents(other));
}

TEST_F(FileTest, FilesHeldByOthersRefuseWhatTheyDoNotShare)
{
    const std::string p = path("held.txt");
    put(p, "data");
    zvFile f;
    {
        // Held by someone who lets others read only: writing modes fail, reading works.
        HANDLE reader = CreateFileA(p.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, reader);
        EXPECT_FALSE(f.open(p.c_str(), zvIO::OPEN_WRITE, kReadWrite));
        EXPECT_FALSE(f.open(p.c_str(), zvIO::OPEN_UPDATE, kReadWrite));
        EXPECT_FALSE(f.open(p.c_str(), zvIO::OPEN_APPEND, kReadWrite));
        EXPECT_FALSE(f.create(p.c_str(), true, kReadWrite));
        EXPECT_FALSE(f.isOpen());
        ASSERT_TRUE(f.open(p.c_str(), zvIO::OPEN_READ, kReadWrite));
        char c[4];
        EXPECT_EQ(4, f.read(c, 4));
        f.close();
        CloseHandle(reader);
    }
    EXPECT_EQ("data", contents(p));
    {
        // Held exclusively: nothing opens it.
        HANDLE locked = CreateFileA(p.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, locked);
        EXPECT_FALSE(f.open(p.c_str(), zvIO::OPEN_APPEND, kReadWrite));
        EXPECT_FALSE(f.open(p.c_str(), zvIO::OPEN_READ, kReadWrite));
        EXPECT_FALSE(f.isOpen());
        CloseHandle(locked);
    }
    EXPECT_EQ("data", contents(p));
}

TEST_F(FileTest, WriteFailureIsRememberedUntilTheNextOpen)
{
    const std::string p = path("w.txt");
    put(p, "abc");
    zvFile f;
    ASSERT_TRUE(f.open(p.c_str(), zvIO::OPEN_READ, kReadWrite));
    EXPECT_EQ(0, f.write("zz", 2));
    EXPECT_TRUE(f.hasWriteError());
    EXPECT_FALSE(f.write(zvcrypt::Blob("zz")));
    f.close();
    EXPECT_TRUE(f.hasWriteError());  // closing does not clear it
    EXPECT_EQ("abc", contents(p));

    ASSERT_TRUE(f.open(p.c_str(), zvIO::OPEN_APPEND, kReadWrite));
    EXPECT_FALSE(f.hasWriteError());
}

TEST_F(FileTest, ReadOnWriteOnlyFileFailsWithTrace)
{
    const std::string p = path("wo.txt");
    zvFile f;
    ASSERT_TRUE(f.create(p.c_str(), true, kReadWrite));
    f.write("ab", 2);
    f.seek(0, zvIO::SEEK_FROM_START);
    char buf[2];
    StderrCapture err(path("stderr.txt"));
    EXPECT_EQ(-1, f.read(buf, 2));
    const std::string text = err.finish();
    EXPECT_NE(std::string::npos, text.find(":-[can't read from file descriptor "));
    EXPECT_NE(std::string::npos, text.find(" 2 Bytes"));
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
    EXPECT_EQ(6L, f.tell());
    EXPECT_EQ(5L, f.seek(-1, zvIO::SEEK_FROM_CURRENT));  // a relative -1 is fine
    EXPECT_EQ(7L, f.seek(2, 7));  // unknown origin moves from the current position
    EXPECT_EQ(8L, f.seekEnd(-2));
    char c = 0;
    EXPECT_EQ(1, f.read(&c, 1));
    EXPECT_EQ('8', c);
    EXPECT_EQ(12L, f.seek(2, zvIO::SEEK_FROM_END));
    EXPECT_EQ(1, f.write("!", 1));
    EXPECT_EQ(13L, f.length());
    EXPECT_EQ(-1L, f.seek(-20, zvIO::SEEK_FROM_START));
    f.close();
    EXPECT_EQ(std::string("0123456789\0\0!", 13), contents(p));
}

TEST_F(FileTest, ClosedFileAnswersWithoutTouchingAnything)
{
    zvFile f;
    char buf[4] = {'a', 'b', 'c', 'd'};
    EXPECT_FALSE(f.isOpen());
    EXPECT_TRUE(f.close());
    EXPECT_EQ(0, f.read(buf, 4));
    EXPECT_EQ(0, f.write(buf, 4));
    EXPECT_FALSE(f.hasWriteError());
    EXPECT_EQ(-1L, f.seek(0, zvIO::SEEK_FROM_START));
    EXPECT_EQ(-1L, f.seekEnd(0));
    EXPECT_EQ(-1L, f.tell());
    EXPECT_EQ(-1L, f.length());
    EXPECT_TRUE(f.eof());
    EXPECT_FALSE(f.flush());
    EXPECT_EQ(0, f.control(0, buf, 4));
    EXPECT_EQ('a', buf[0]);
}

TEST_F(FileTest, CloseOfClosedFileWritesNothing)
{
    zvFile f;
    StderrCapture err(path("stderr.txt"));
    EXPECT_TRUE(f.close());
    EXPECT_EQ(0, f.write(nullptr, 3));
    EXPECT_EQ("", err.finish());
}

TEST_F(FileTest, NullBuffersAreIgnored)
{
    const std::string p = path("null.txt");
    put(p, "abc");
    zvFile f;
    ASSERT_TRUE(f.open(p.c_str(), zvIO::OPEN_UPDATE, kReadWrite));
    StderrCapture err(path("stderr.txt"));
    EXPECT_EQ(0, f.read(nullptr, 3));
    EXPECT_EQ(0, f.write(nullptr, 3));
    EXPECT_EQ("", err.finish());
    EXPECT_FALSE(f.hasWriteError());
    EXPECT_EQ(0L, f.tell());
    f.close();
    EXPECT_EQ("abc", contents(p));
}

TEST_F(FileTest, ControlZeroAndBlobWriteAppendBytes)
{
    const std::string p = path("ctl.txt");
    zvFile f;
    ASSERT_TRUE(f.create(p.c_str(), true, kReadWrite));
    const unsigned char mark[2] = {0xFF, 0xFE};
    EXPECT_EQ(0, f.control(0, mark, 2));
    EXPECT_EQ(0, f.control(3, "ignored", 7));
    zvcrypt::Blob text("hello");
    EXPECT_TRUE(f.write(text));
    EXPECT_TRUE(f.write(zvcrypt::Blob()));  // nothing to write, nothing missing
    f.close();
    EXPECT_EQ("\xFF\xFEhello", contents(p));
}

TEST_F(FileTest, AttachClosesThePreviousFileAndDetachKeepsItOpen)
{
    const std::string a = path("a.txt");
    const std::string b = path("b.txt");
    zvFile f;
    ASSERT_TRUE(f.create(a.c_str(), true, kReadWrite));
    int fd = _open(b.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, 0666);
    ASSERT_NE(-1, fd);
    EXPECT_TRUE(f.attach(fd));
    EXPECT_TRUE(DeleteFileA(a.c_str()));  // a.txt is no longer held open
    EXPECT_EQ(2, f.write("bb", 2));

    f.detach();
    EXPECT_FALSE(f.isOpen());
    EXPECT_EQ(1, _write(fd, "!", 1));  // the descriptor survived detach
    EXPECT_EQ(0, _close(fd));
    EXPECT_EQ("bb!", contents(b));
}

TEST_F(FileTest, DeletingThroughTheInterfaceClosesTheFile)
{
    const std::string p = path("iface.txt");
    zvIO* io = new zvFile;
    ASSERT_TRUE(io->create(p.c_str(), true, kReadWrite));
    EXPECT_EQ(4, io->write("data", 4));
    EXPECT_EQ(2L, io->seekEnd(-2));
    EXPECT_EQ(0, io->control(1, "x", 1));
    EXPECT_FALSE(DeleteFileA(p.c_str()));  // still held open
    delete io;
    EXPECT_EQ("data", contents(p));
    EXPECT_TRUE(DeleteFileA(p.c_str()));
}
