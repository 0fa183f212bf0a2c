// zvlog.exe on logs that the real logger wrote (ring_logger with registry settings): rings
// before a wrap, after one and after several, an ANSI and a UTF-16 log, following a ring
// while it grows; and on files that are cut short, missing or no log at all.
#include <gtest/gtest.h>
#include <windows.h>
#include <regex>
#include <string>
#include <vector>
#include "ChildProcess.h"
#include "RegistryKey.h"
#include "FileBytes.h"
#include "TempDir.h"

namespace {

const std::string PAD = "abcdefghijklmnopqrstuvwxyz0123456789";

std::wstring widen(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

std::string inQuotes(const std::string& text)
{
    return "\"" + text + "\"";
}

// The numbers of ring_logger's lines with this tag, in the order printed. A line that is
// not whole ("<tag> line N <pad> end N" with both numbers equal) fails the test.
std::vector<int> lineNumbers(const std::string& text, const std::string& tag)
{
    std::vector<int> numbers;
    std::regex whole(" " + tag + " line (\\d{6}) " + PAD + " end \\1\r");
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        start = end == std::string::npos ? text.size() : end + 1;
        if (line.find(" " + tag + " line ") == std::string::npos)
            continue;
        std::smatch m;
        EXPECT_TRUE(std::regex_search(line, m, whole)) << "not a whole line: " << line;
        if (!m.empty())
            numbers.push_back(atoi(m[1].str().c_str()));
    }
    return numbers;
}

void expectRun(const std::vector<int>& numbers, int first, int last)
{
    ASSERT_FALSE(numbers.empty());
    EXPECT_EQ(first, numbers.front());
    EXPECT_EQ(last, numbers.back());
    for (size_t i = 1; i < numbers.size(); ++i)
        ASSERT_EQ(numbers[i - 1] + 1, numbers[i]) << "at " << i;
}

class Zvlog : public ::testing::Test {
protected:
    Zvlog() : m_dir("zvlog"), m_key("Software\\Zevtron Systems\\zvlogtest" + std::to_string(GetCurrentProcessId()))
    {
        m_key.dword(L"LogLevel", 0x01000000);
        m_key.dword(L"PrintOut", 0);
    }
    void log(const char* tag, int lines)
    {
        ChildResult r = runSibling("ring_logger.exe", inQuotes(m_key.path()) + " " + tag + " " + std::to_string(lines));
        ASSERT_EQ(0u, r.exitCode);
    }
    void useRing(const std::string& path)
    {
        m_key.dword(L"IOFileType", 2);
        m_key.dword(L"MaxFileLen", 524288);
        m_key.text(L"LogPath", widen(path));
    }
    ChildResult zvlog(const std::string& arguments) { return runSibling("zvlog.exe", arguments); }

    TempDir m_dir;
    RegistryKey m_key;
};

const std::regex EOF_LINE_PATTERN("EOF\\(lastlogtime=\"[A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9]\\d \\d\\d:\\d\\d:\\d\\d \\d{4}\"\\);\r\n$");

struct RingCase {
    const char* name;
    int lines;
    bool wraps;
};

class ZvlogRing : public Zvlog, public ::testing::WithParamInterface<RingCase> {};

TEST_P(ZvlogRing, PrintsEveryLineLeftInOrderAndTheTrailerTimeLast)
{
    // A mapping is named after its file's name: a name of its own keeps it apart from
    // other test programs running beside this one.
    std::string path = m_dir.path("zvlog-ring.log");
    useRing(path);
    log("r", GetParam().lines);

    ChildResult r = zvlog(inQuotes(path));
    EXPECT_EQ(0u, r.exitCode) << r.err;
    EXPECT_EQ("", r.err);
    EXPECT_TRUE(std::regex_search(r.out, EOF_LINE_PATTERN)) << r.out.substr(r.out.size() > 200 ? r.out.size() - 200 : 0);
    std::vector<int> numbers = lineNumbers(r.out, "r");
    ASSERT_FALSE(numbers.empty());
    expectRun(numbers, numbers.front(), GetParam().lines - 1);
    if (GetParam().wraps) {
        EXPECT_GT(numbers.front(), 0);
        // A whole ring's worth of lines: at most one line lost to the cut at the wrap.
        EXPECT_GT(numbers.size() * 100, 524288u - 2 * 100) << numbers.size();
    } else {
        EXPECT_EQ(0, numbers.front());
        EXPECT_EQ(0u, r.out.find("createlog();\r\nioFileType(\"class zvcrypt::zvIOMemFile\");"));
    }
    // The closing block of the run comes right before the trailer's time.
    EXPECT_NE(std::string::npos, r.out.find("};\r\nEOF(lastlogtime="));
}

INSTANTIATE_TEST_SUITE_P(Rings, ZvlogRing,
                         ::testing::Values(RingCase{"BeforeTheWrap", 300, false},
                                           RingCase{"AfterOneWrap", 8000, true},
                                           RingCase{"AfterSeveralWraps", 20000, true}),
                         [](const ::testing::TestParamInfo<RingCase>& info) { return std::string(info.param.name); });

TEST_F(Zvlog, AnsiLogIsPrintedAsWrittenWithoutItsMark)
{
    std::string path = m_dir.path("ansi.log");
    m_key.text(L"LogPath", widen(path));
    log("a", 20);
    std::string file = ReadBytes(path);
    ASSERT_EQ(std::string(2, '\0'), file.substr(0, 2));

    ChildResult r = zvlog(inQuotes(path));
    EXPECT_EQ(0u, r.exitCode);
    EXPECT_EQ(file.substr(2), r.out);
    expectRun(lineNumbers(r.out, "a"), 0, 19);
}

TEST_F(Zvlog, Utf16LogIsPrintedAsUtf8)
{
    // A log that starts with FF FE is continued in UTF-16LE by the logger.
    std::string path = m_dir.path("wide.log");
    std::string start = "\xFF\xFE";
    for (char c : std::string("createlog();\r\n\xE4\r\n"))
        start += std::string(1, c) + '\0';
    WriteBytes(path, start);
    m_key.text(L"LogPath", widen(path));
    m_key.dword(L"LogClear", 0);
    log("w", 20);
    std::string file = ReadBytes(path);
    ASSERT_NE(std::string::npos, file.find(std::string("w\0 \0l\0i\0n\0e\0", 12))) << "the logger wrote UTF-16";

    ChildResult r = zvlog(inQuotes(path));
    EXPECT_EQ(0u, r.exitCode);
    EXPECT_EQ(0u, r.out.find("createlog();\r\n\xC3\xA4\r\ncontinuelog();\r\n"));
    EXPECT_EQ(std::string::npos, r.out.find('\0'));
    expectRun(lineNumbers(r.out, "w"), 0, 19);
}

TEST_F(Zvlog, FollowsAGrowingRingUntilStopped)
{
    std::string path = m_dir.path("follow.log");
    useRing(path);
    log("f1", 10);

    std::string outPath = m_dir.path("follow.txt");
    std::string exe = ProgramDir() + "\\zvlog.exe";
    ChildStart how;
    how.outPath = how.errPath = outPath;
    HANDLE process = StartChild(inQuotes(exe) + " -f " + inQuotes(path), how);
    ASSERT_NE(nullptr, process);

    log("f2", 30);
    std::string seen;
    for (int i = 0; i < 300 && seen.find("f2 line 000029") == std::string::npos; ++i) {
        Sleep(100);
        seen = ReadBytes(outPath);
    }
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(process, 0)) << "still following";
    TerminateProcess(process, 0);
    FinishChild(process, 5000);

    seen = ReadBytes(outPath);
    expectRun(lineNumbers(seen, "f1"), 0, 9);
    expectRun(lineNumbers(seen, "f2"), 0, 29);
    EXPECT_LT(seen.find("f1 line 000009"), seen.find("f2 line 000000"));
    EXPECT_EQ(std::string::npos, seen.find("EOF(")) << "no trailer while following";
}

struct BadFileCase {
    const char* name;
    const char* content;   // nullptr: the file does not exist
    size_t length;
    unsigned long exitCode;
    const char* out;
    const char* err;
};

class ZvlogBadFile : public Zvlog, public ::testing::WithParamInterface<BadFileCase> {};

TEST_P(ZvlogBadFile, SaysWhatIsWrong)
{
    const BadFileCase& c = GetParam();
    std::string path = m_dir.path("file.log");
    if (c.content)
        WriteBytes(path, std::string(c.content, c.length));
    ChildResult r = zvlog(inQuotes(path));
    EXPECT_EQ(c.exitCode, r.exitCode);
    EXPECT_EQ(c.out, r.out);
    EXPECT_NE(std::string::npos, r.err.find(c.err)) << r.err;
}

#define BYTES(s) s, sizeof s - 1
INSTANTIATE_TEST_SUITE_P(
    Files, ZvlogBadFile,
    ::testing::Values(
        BadFileCase{"TornLastLine", BYTES("\0\0createlog();\r\nfirst\r\nhal"), 0, "createlog();\r\nfirst\r\nhal\r\n",
                    "incomplete"},
        BadFileCase{"Missing", nullptr, 0, 1, "", "cannot read"},
        BadFileCase{"TextFile", BYTES("hello\r\n"), 2, "", "is not a log file"},
        BadFileCase{"ZeroedFile", BYTES("\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0"),
                    2, "", "is not a log file"}),
    [](const ::testing::TestParamInfo<BadFileCase>& info) { return std::string(info.param.name); });

TEST(ZvlogCommandLine, WrongUseShowsHowToUseIt)
{
    for (const char* arguments : {"", "-x file.log", "-f", "a.log b.log"}) {
        ChildResult r = runSibling("zvlog.exe", arguments);
        EXPECT_EQ(2u, r.exitCode) << arguments;
        EXPECT_NE(std::string::npos, r.err.find("usage: zvlog [-f] FILE")) << arguments;
    }
}

}  // namespace
