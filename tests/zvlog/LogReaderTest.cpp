// The order in which zvlog prints a log, on files laid out by hand: rings before and after
// a wrap, a line cut short, wide text, files that are no log; and following a growing log.
#include <gtest/gtest.h>
#include "FileBytes.h"
#include "LogFollower.h"
#include "LogReader.h"
#include <cstdint>
#include <algorithm>
#include <cstdio>
#include <string>

using namespace zvcrypt;

namespace {

const std::string TIME = "Sun Dec  6 01:02:03 2026";
const std::string TRAILER = "\";\r\n\r\n\r\nEOF(lastlogtime=\"" + TIME + "\");\r\n";
const std::string EOF_LINE = "EOF(lastlogtime=\"" + TIME + "\");\r\n";

void put32(std::string& bytes, size_t offset, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A ring file: header (mark, magic 666, header size, used length), then data, then zeros up
// to the data size. used counts the header, as the logger keeps it.
std::string ring(const std::string& data, size_t used, size_t dataSize = 256, bool bWide = false)
{
    std::string bytes(44 + dataSize, '\0');
    if (bWide) {
        bytes[0] = '\xFF';
        bytes[1] = '\xFE';
    }
    put32(bytes, 4, 666);
    put32(bytes, 8, 44);
    put32(bytes, 12, static_cast<uint32_t>(used));
    put32(bytes, 16, static_cast<uint32_t>(44 + dataSize));
    bytes.replace(44, data.size(), data);
    return bytes;
}

// A log line as the writer makes it: the source field right-aligned, then the text.
std::string line(int n)
{
    char text[64];
    snprintf(text, sizeof text, "     C:\\src\\a.cpp(%4d): line %04d\r\n", n, n);
    return text;
}

struct OrderCase {
    const char* name;
    std::string bytes;
    int kind;
    std::string text;
    bool torn;
};

class LogOrder : public ::testing::TestWithParam<OrderCase> {};

TEST_P(LogOrder, PrintsOldestLineFirst)
{
    const OrderCase& c = GetParam();
    LogInOrder log = readLogInOrder(c.bytes);
    EXPECT_EQ(c.kind, log.nKind);
    EXPECT_EQ(c.text, log.text);
    EXPECT_EQ(c.torn, log.bTorn);
}

const std::string NEW = "D line\r\nE line\r\n";
const std::string PLAIN = "createlog();\r\nlog( starttime=\"" + TIME + "\") {\r\noutput=\"a\r\nb\r\n";

INSTANTIATE_TEST_SUITE_P(
    Kinds, LogOrder,
    ::testing::Values(
        OrderCase{"RingBeforeItsFirstWrap", ring("A\r\nB\r\n" + TRAILER, 44 + 6), LOGFILE_RING,
                  "A\r\nB\r\n" + EOF_LINE, false},
        // The newest lines from the data start, then the trailer, then the cut rest of an
        // older line and two whole ones from before the wrap.
        OrderCase{"RingAfterAWrap", ring(NEW + TRAILER + "of B line\r\nC line\r\nC2 line\r\n", 44 + NEW.size()),
                  LOGFILE_RING, "C line\r\nC2 line\r\n" + NEW + EOF_LINE, false},
        // The line that wrapped is written alone, without a trailer.
        OrderCase{"RingRightAfterTheWrappingLine", ring("D line\r\nB line\r\nC line\r\n", 44 + 8), LOGFILE_RING,
                  "C line\r\nD line\r\n", false},
        OrderCase{"RingWhoseTrailerEndsAnOldLine", ring(NEW + TRAILER + "C line\r\n", 44 + NEW.size()),
                  LOGFILE_RING, "" + NEW + EOF_LINE, false},
        // Lines of equal length: the line that wrapped replaced exactly one old line, and
        // the next old one is whole (its source field stands where the others have it).
        OrderCase{"RingKeepsAWholeFirstOldLine", ring(line(4) + line(2) + line(3), 44 + line(4).size()),
                  LOGFILE_RING, line(2) + line(3) + line(4), false},
        OrderCase{"RingDropsACutOldLineThatLooksLikeOne",
                  ring(line(5) + TRAILER + line(2).substr(3) + line(3), 44 + line(5).size()), LOGFILE_RING,
                  line(3) + line(5) + EOF_LINE, false},
        OrderCase{"RingWithATornLastLine", ring("A line\r\nB li", 44 + 12), LOGFILE_RING, "A line\r\nB li\r\n", true},
        OrderCase{"RingMadeButNeverWritten", ring("", 0), LOGFILE_RING, "", false},
        OrderCase{"RingWhoseUsedLengthLiesBeyondTheFile", ring("A line\r\n", 5000, 8), LOGFILE_RING,
                  "A line\r\n", false},
        OrderCase{"WideRingPrintedAsUtf8",
                  ring(Utf16Bytes("D \xE4\r\n") + Utf16Bytes(TRAILER) + Utf16Bytes("x\r\nC\r\n"), 44 + 10, 256, true), LOGFILE_RING,
                  "C\r\nD \xC3\xA4\r\n" + EOF_LINE, false},
        OrderCase{"AnsiLog", std::string(2, '\0') + PLAIN, LOGFILE_PLAIN, PLAIN, false},
        OrderCase{"AnsiLogKeepsItsBytes", std::string(2, '\0') + "createlog();\r\n\xE4\xFC\r\n", LOGFILE_PLAIN,
                  "createlog();\r\n\xE4\xFC\r\n", false},
        OrderCase{"Utf16LogPrintedAsUtf8", "\xFF\xFE" + Utf16Bytes("continuelog();\r\n") + std::string("\xAC\x20\x3D\xD8\x00\xDE\r\0\n\0", 10),
                  LOGFILE_PLAIN, "continuelog();\r\n\xE2\x82\xAC\xF0\x9F\x98\x80\r\n", false},
        OrderCase{"EmptiedLogContinuedWithoutMark", "continuelog();\r\nx\r\n", LOGFILE_PLAIN, "continuelog();\r\nx\r\n",
                  false},
        OrderCase{"LogWithATornLastLine", std::string(2, '\0') + "createlog();\r\nhalf a li", LOGFILE_PLAIN,
                  "createlog();\r\nhalf a li\r\n", true},
        OrderCase{"Utf16LogCutInsideACharacter", "\xFF\xFE" + Utf16Bytes("createlog();\r\n") + "a", LOGFILE_PLAIN,
                  "createlog();\r\n", true},
        OrderCase{"EmptyFile", "", LOGFILE_PLAIN, "", false},
        OrderCase{"MarkOnly", std::string(2, '\0'), LOGFILE_PLAIN, "", false},
        OrderCase{"TextFile", "hello\r\nworld\r\n", LOGFILE_FOREIGN, "", false},
        OrderCase{"MarkFollowedByOtherText", std::string(2, '\0') + "hello", LOGFILE_FOREIGN, "", false},
        OrderCase{"Picture", std::string("\x89PNG\r\n\x1a\n", 8) + std::string(60, '\0'), LOGFILE_FOREIGN, "", false},
        OrderCase{"HeaderWithoutMagic", std::string(100, '\0'), LOGFILE_FOREIGN, "", false}),
    [](const ::testing::TestParamInfo<OrderCase>& info) { return std::string(info.param.name); });

// The output step of the ring, as the logger does it: a line that does not fit goes to the
// start of the data without a trailer; any other line gets the trailer behind it when it
// fits; a write that does not fit zeroes the rest of the data first.
class RingWriter {
public:
    explicit RingWriter(size_t size) : m_data(size, '\0') {}
    void write(const std::string& text)
    {
        m_trailer = false;
        if (m_pos + text.size() > m_data.size()) {
            m_data.replace(m_pos, std::string::npos, m_data.size() - m_pos, '\0');
            m_data.replace(0, text.size(), text);
            m_pos = text.size();
            return;
        }
        m_data.replace(m_pos, text.size(), text);
        m_pos += text.size();
        m_trailer = m_pos + TRAILER.size() <= m_data.size();
        if (m_trailer)
            m_data.replace(m_pos, TRAILER.size(), TRAILER);
        else
            m_data.replace(m_pos, std::string::npos, m_data.size() - m_pos, '\0');
    }
    std::string file() const { return ring(m_data, 44 + m_pos, m_data.size()); }
    // The file as a reader sees it while the writer stands behind the trailer it has just
    // written, before it steps back in front of it: the trailer counts as used.
    std::string fileBehindTrailer() const
    {
        return ring(m_data, 44 + m_pos + (m_trailer ? TRAILER.size() : 0), m_data.size());
    }

private:
    std::string m_data;
    size_t m_pos = 0;
    bool m_trailer = false;
};

// Every look at a ring that wraps again and again: the reader gives the newest lines in
// order, the follower every line exactly once. Looks after every line and after several,
// each also in the moment the writer stands behind its trailer.
class RingLooks : public ::testing::TestWithParam<int> {};

TEST_P(RingLooks, ReaderAndFollowerKeepTheOrderAcrossWraps)
{
    const int every = GetParam();
    RingWriter writer(300);  // about 7 lines: every few lines a wrap
    LogFollower follower;
    std::string all, followed;
    for (int n = 1; n <= 60; ++n) {
        writer.write(line(n));
        all += line(n);
        if (n % every)
            continue;
        followed += follower.next(writer.fileBehindTrailer());
        ASSERT_EQ(readLogInOrder(writer.file()).text, readLogInOrder(writer.fileBehindTrailer()).text) << n;
        followed += follower.next(writer.file());
        LogInOrder log = readLogInOrder(writer.file());
        std::string text = log.text;
        if (text.size() >= EOF_LINE.size() && text.compare(text.size() - EOF_LINE.size(), EOF_LINE.size(), EOF_LINE) == 0)
            text.erase(text.size() - EOF_LINE.size());
        ASSERT_FALSE(text.empty()) << n;
        // What the reader prints is the tail of everything written, whole lines only.
        ASSERT_EQ(all.substr(all.size() - text.size()), text) << "after line " << n;
        ASSERT_GE(text.size(), std::min(n, 2) * line(n).size()) << "after line " << n;
    }
    EXPECT_EQ(all, followed);
}

INSTANTIATE_TEST_SUITE_P(Every, RingLooks, ::testing::Values(1, 2, 3));

TEST(LogFollowing, PlainLogGivesOnlyWholeLinesAndStartsAgainWhenEmptied)
{
    LogFollower follower;
    std::string mark(2, '\0');
    std::string given = follower.next(mark + "createlog();\r\nA\r\nhal");
    EXPECT_EQ("createlog();\r\nA\r\n", given);
    EXPECT_EQ("half\r\n", follower.next(mark + "createlog();\r\nA\r\nhalf\r\n"));
    EXPECT_EQ("", follower.next(mark + "createlog();\r\nA\r\nhalf\r\n"));
    EXPECT_EQ("", follower.next("not there for a moment"));
    EXPECT_EQ("continuelog();\r\n", follower.next("continuelog();\r\n"));
    // Deleted and made again between two looks, longer than before: a new start time.
    std::string first = mark + "createlog();\r\nlog( starttime=\"" + TIME + "\") {\r\nA\r\n";
    std::string again = mark + "createlog();\r\nlog( starttime=\"Sun Dec  6 01:02:04 2026\") {\r\nA\r\nB\r\n";
    LogFollower renewed;
    EXPECT_EQ(first.substr(2), renewed.next(first));
    EXPECT_EQ(again.substr(2), renewed.next(again));
}

TEST(LogFollowing, WideLogIsGivenAsUtf8)
{
    LogFollower follower;
    std::string file = "\xFF\xFE" + Utf16Bytes("createlog();\r\n");
    EXPECT_EQ("createlog();\r\n", follower.next(file));
    file += std::string("\xE4\0\r\0\n\0", 6);
    EXPECT_EQ("\xC3\xA4\r\n", follower.next(file));
}

}  // namespace
