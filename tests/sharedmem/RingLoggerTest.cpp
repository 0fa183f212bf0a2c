// The logger over a memory-mapped ring file, its heap field and report, the profiler and the
// executable-named log file, seen from outside: a child program logs with registry settings,
// the test reads the file's bytes.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <regex>
#include <string>
#include <vector>
#include "ChildProcess.h"
#include "FileBytes.h"
#include "RegistryKey.h"
#include "SharedMemSupport.h"
#include "TempDir.h"

namespace {

const unsigned long RING = 524288;
const std::string PAD = "abcdefghijklmnopqrstuvwxyz0123456789";

// The whole lines of ring_logger between from and to: "<tag> line N <pad> end N" with both
// numbers equal, so a line cut at the wrap does not count.
struct Line { size_t end; int number; };

std::vector<Line> wholeLines(const std::string& data, const std::string& tag, size_t from, size_t to)
{
    std::vector<Line> lines;
    std::regex line(tag + " line (\\d{6}) " + PAD + " end \\1\r\n");
    std::sregex_iterator it(data.begin() + from, data.begin() + std::min(to, data.size()), line), end;
    for (; it != end; ++it) {
        size_t at = from + it->position();
        lines.push_back(Line{at + it->length(), atoi((*it)[1].str().c_str())});
    }
    return lines;
}

bool consecutive(const std::vector<Line>& lines)
{
    for (size_t i = 1; i < lines.size(); ++i)
        if (lines[i].number != lines[i - 1].number + 1)
            return false;
    return true;
}

// The ring trailer at offset: "\";\r\n\r\n\r\nEOF(lastlogtime=\"<ctime>\");\r\n". Its length, or 0.
size_t trailerAt(const std::string& data, size_t offset)
{
    static const std::regex trailer("\";\r\n\r\n\r\nEOF\\(lastlogtime=\"[A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9]\\d "
                                    "\\d\\d:\\d\\d:\\d\\d \\d{4}\"\\);\r\n");
    std::smatch m;
    std::string piece = data.substr(offset, 80);
    if (std::regex_search(piece, m, trailer, std::regex_constants::match_continuous))
        return static_cast<size_t>(m.length(0));
    return 0;
}

class RingLog : public ::testing::Test {
protected:
    void SetUp() override
    {
        setDword("LogLevel", 0x01000000);
        setDword("PrintOut", 0);
    }

    void setDword(const char* name, DWORD value) { ASSERT_TRUE(m_key.dword(name, value)) << name; }
    void setText(const char* name, const std::string& text) { ASSERT_TRUE(m_key.text(name, text)) << name; }
    // The child's traces go to a file beside the log.
    DWORD run(const TempDir& dir, const char* tag, int lines, int mib = 0)
    {
        std::string cmd = "\"" + ProgramDir() + "\\ring_logger.exe\" \"" + m_key.path() + "\" " + tag + " " +
                          std::to_string(lines);
        if (mib)
            cmd += " " + std::to_string(mib);
        ChildStart how;
        how.outPath = how.errPath = dir.path("trace-" + std::string(tag) + ".txt");
        return RunChild(cmd, how, 240000);
    }
    RegistryKey m_key{"Software\\Zevtron Systems\\" + uniqueName("ringtest")};
};

}  // namespace

TEST_F(RingLog, FullRingWrapsNeverGrowsAndEndsWithTheTrailer)
{
    TempDir dir("ring");
    std::string path = dir.path("ring.log");
    setDword("IOFileType", 2);
    setDword("MaxFileLen", 1000);  // raised to the smallest ring
    setText("LogPath", path);
    // About 1.4 rounds of the ring.
    ASSERT_EQ(0u, run(dir, "r1", 8000));

    std::string data = ReadBytes(path);
    ASSERT_EQ(RING + 44, data.size());
    EXPECT_EQ(0, data[0] | data[1]) << "8-bit text mark kept in the header";
    size_t used = le32(data, 12);
    ASSERT_GT(used, 44u);
    ASSERT_LT(used, RING);

    // The newest text is the closing block, followed by the trailer.
    size_t trailer = trailerAt(data, used);
    ASSERT_GT(trailer, 0u) << data.substr(used, 80);
    EXPECT_EQ("};\r\n", data.substr(used - 4, 4));

    // The second round started at the beginning of the data and overwrote the preamble.
    EXPECT_EQ(std::string::npos, data.find("createlog();"));
    EXPECT_EQ("     C:\\src\\ring.cpp(", data.substr(44, 21));

    // Every line is there exactly once: the newest round from the data start, the rest of
    // the oldest round behind the trailer, nothing lost at the wrap.
    std::vector<Line> newer = wholeLines(data, "r1", 44, used);
    std::vector<Line> older = wholeLines(data, "r1", used + trailer, data.size());
    ASSERT_FALSE(newer.empty());
    ASSERT_FALSE(older.empty());
    EXPECT_TRUE(consecutive(newer));
    EXPECT_TRUE(consecutive(older));
    EXPECT_EQ(7999, newer.back().number);
    EXPECT_EQ(newer.front().number, older.back().number + 1);
    // The bytes behind the oldest round's last line were zeroed when it did not fit.
    for (size_t i = older.back().end; i < data.size(); ++i)
        ASSERT_EQ(0, data[i]) << i;
}

TEST_F(RingLog, SecondRunContinuesWhereTheFirstEnded)
{
    TempDir dir("ringcont");
    std::string path = dir.path("cont.log");
    setDword("IOFileType", 2);
    setText("LogPath", path);
    ASSERT_EQ(0u, run(dir, "r1", 20));
    size_t used1 = le32(ReadBytes(path), 12);

    ASSERT_EQ(0u, run(dir, "r2", 30));
    std::string data = ReadBytes(path);
    ASSERT_EQ(RING + 44, data.size());
    size_t used2 = le32(data, 12);

    // The second run wrote over the first run's trailer, right behind its closing block.
    EXPECT_EQ("};\r\ncontinuelog();\r\n", data.substr(used1 - 4, 20));
    // One preamble of each kind: the new file's at the data start, the continuation's.
    EXPECT_EQ(0, data.compare(44, 57, "createlog();\r\nioFileType(\"class zvcrypt::zvIOMemFile\");\r\n"))
        << data.substr(44, 57);
    EXPECT_EQ(std::string::npos, data.find("createlog();", 45));
    EXPECT_EQ(data.find("continuelog();"), data.rfind("continuelog();"));
    std::vector<Line> r1 = wholeLines(data, "r1", 44, used1);
    std::vector<Line> r2 = wholeLines(data, "r2", used1, used2);
    ASSERT_EQ(20u, r1.size());
    ASSERT_EQ(30u, r2.size());
    EXPECT_TRUE(consecutive(r1));
    EXPECT_TRUE(consecutive(r2));
    EXPECT_GT(trailerAt(data, used2), 0u);
}

// LogProcAnalyse puts the heap figure on every line and the difference into the closing block;
// LogProfile leaves the lines alone; the file is named after the executable.
TEST_F(RingLog, HeapFieldGrowsAndTheFileIsNamedAfterTheExecutable)
{
    TempDir dir("heap");
    setDword("LogProcAnalyse", 1);
    setDword("LogProfile", 1);
    setDword("LogFileAppendProcName", 1);
    setText("LogPath", dir.path("app"));
    ASSERT_EQ(0u, run(dir, "r3", 2, 4));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(dir.path("app").c_str()));
    std::string data = ReadBytes(dir.path("app-ring_logger.exe.log"));
    std::smatch m;
    ASSERT_TRUE(std::regex_search(data, m, std::regex("\\[Mem\\[ *(\\d+)Kb\\]\\] before allocation"))) << data;
    long before = atol(m[1].str().c_str());
    ASSERT_TRUE(std::regex_search(data, m, std::regex("\\[Mem\\[ *(\\d+)Kb\\]\\] after allocation")));
    long after = atol(m[1].str().c_str());
    EXPECT_GT(before, 0);
    EXPECT_GE(after - before, 3800);
    EXPECT_LT(after - before, 16 * 1024);
    EXPECT_EQ(2u, wholeLines(data, "r3", 0, data.size()).size());
    EXPECT_TRUE(std::regex_search(data, std::regex("\\[Mem\\[ *\\d+Kb\\]\\] r3 line 000001")));

    ASSERT_TRUE(std::regex_search(data, m, std::regex("\";\r\nTotal memory difference: (\\d+)Kb\r\n\r\nmodInfo\\(")));
    EXPECT_GE(atol(m[1].str().c_str()), 3800);
    EXPECT_LT(atol(m[1].str().c_str()), 16 * 1024);
}
