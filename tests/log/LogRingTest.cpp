// The ring log's back-end on its own, driven as the logger drives it: the trailer behind
// every line with the time of that line and the width of the file's text marker, and a
// line that no longer fits starting the data again.
#include <gtest/gtest.h>
#include "LogLine.h"
#include "LogRing.h"
#include "StderrCapture.h"
#include "FileBytes.h"
#include "TempDir.h"
#include <windows.h>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>

using zvcrypt::zvIO;

namespace {

const unsigned long RING = 0x80000;  // the smallest ring the logger makes
const size_t HEADER = 44;

std::string trailerAt(time_t when)
{
    return zvcrypt::zvRingTrailer(zvcrypt::logTimeStamp(when).c_str());
}

unsigned long usedLength(const std::string& file)
{
    unsigned long used = 0;
    memcpy(&used, file.data() + 12, 4);
    return used;
}

class LogRing : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(io->create(path.c_str(), true, 0666));
        ASSERT_EQ(long(HEADER), io->seek(0, zvIO::SEEK_FROM_START));  // as the logger does
    }
    int put(const std::string& text)
    {
        return io->write(text.data(), static_cast<unsigned>(text.size()));
    }
    std::string file()
    {
        io->close();
        return ReadBytes(path);
    }

    TempDir dir{"logring"};
    std::string path = dir.path("logtest-ring.log");  // mappings are named after the file
    StderrCapture quiet;  // the mapped file traces every write
    std::unique_ptr<zvIO> io{new zvcrypt::LogRing(RING)};
};

// Within one second the trailer is built once; a line of a later second shows that second.
TEST_F(LogRing, EveryLineIsFollowedByATrailerWithItsTimeWhichTheNextLineOverwrites)
{
    time_t before = time(nullptr);
    ASSERT_EQ(12, put("first line\r\n"));
    ASSERT_EQ(8, put("second\r\n"));
    time_t after = time(nullptr);
    EXPECT_EQ(long(HEADER + 20), io->tell());  // in front of the trailer
    for (time_t now = time(nullptr); time(nullptr) == now;) Sleep(20);
    time_t later = time(nullptr);
    std::string early = file();
    std::string tail = early.substr(HEADER + 20);
    EXPECT_TRUE(tail.compare(0, trailerAt(before).size(), trailerAt(before)) == 0 ||
                tail.compare(0, trailerAt(after).size(), trailerAt(after)) == 0)
        << tail.substr(0, 60);
    EXPECT_EQ(HEADER + 20, usedLength(early));

    ASSERT_TRUE(io->open(path.c_str(), zvIO::OPEN_UPDATE, 0666));
    io->seekEnd(0);
    ASSERT_EQ(6, put("third\n"));
    std::string data = file();
    const std::string trailer = trailerAt(later);
    ASSERT_NE(trailerAt(before), trailer);
    EXPECT_EQ("first line\r\nsecond\r\nthird\n" + trailer,
              data.substr(HEADER, 26 + trailer.size()));
    EXPECT_EQ(std::string(RING - 26 - trailer.size(), '\0'),
              data.substr(HEADER + 26 + trailer.size()));
}

// A line that does not fit starts the data again without a trailer, and the next line
// brings one; a trailer that does not fit behind a line is left out whole.
TEST_F(LogRing, AFullRingStartsAgainAtTheDataAndLeavesOutATrailerThatDoesNotFit)
{
    const long start = io->tell();
    for (int i = 0; i < 524; ++i) ASSERT_EQ(1000, put(std::string(1000, 'o')));
    EXPECT_EQ(250, put(std::string(250, 'L')));  // 288 bytes left: the line, not its trailer
    EXPECT_EQ(start + 524250, io->tell());
    EXPECT_EQ(100, put(std::string(100, 'W')));
    EXPECT_EQ(start + 100, io->tell());
    time_t before = time(nullptr);
    EXPECT_EQ(10, put(std::string(10, 'X')));
    time_t after = time(nullptr);
    std::string data = file();
    ASSERT_EQ(HEADER + RING, data.size());
    EXPECT_EQ(std::string(100, 'W') + std::string(10, 'X'), data.substr(HEADER, 110));
    std::string tail = data.substr(HEADER + 110, trailerAt(after).size());
    EXPECT_TRUE(tail == trailerAt(before) || tail == trailerAt(after)) << tail;
    EXPECT_EQ(std::string(250, 'L') + std::string(38, '\0'), data.substr(HEADER + 524000));
}

struct MarkerCase {
    const char* name;
    unsigned char mark[2];
    bool utf16;
};

void PrintTo(const MarkerCase& c, std::ostream* os) { *os << c.name; }

class LogRingMarker : public LogRing, public ::testing::WithParamInterface<MarkerCase> {};

// The logger hands the ring text already converted to the file's width; the trailer
// follows the marker the file carries.
TEST_P(LogRingMarker, TheTrailerHasTheWidthOfTheTextMarker)
{
    const MarkerCase& c = GetParam();
    io->control(zvIO::CONTROL_MARKER, c.mark, 2);
    const std::string line = c.utf16 ? Utf16Bytes("line\r\n") : "line\r\n";
    time_t before = time(nullptr);
    ASSERT_EQ(int(line.size()), put(line));
    time_t after = time(nullptr);
    std::string data = file();
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(c.mark), 2), data.substr(0, 2));
    std::string expected[2] = {trailerAt(before), trailerAt(after)};
    for (std::string& t : expected) t = line + (c.utf16 ? Utf16Bytes(t) : t);
    std::string got = data.substr(HEADER, expected[1].size());
    EXPECT_TRUE(got == expected[0] || got == expected[1]) << got;
}

INSTANTIATE_TEST_SUITE_P(Marks, LogRingMarker,
                         ::testing::Values(MarkerCase{"EightBit", {0x00, 0x00}, false},
                                           MarkerCase{"Utf16", {0xFF, 0xFE}, true},
                                           MarkerCase{"Unknown", {0xFE, 0xFF}, false}),
                         [](const ::testing::TestParamInfo<MarkerCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
