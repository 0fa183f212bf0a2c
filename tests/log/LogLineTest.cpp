// Line building rules that a log file cannot show: cuts at the very end of the buffer.
#include <gtest/gtest.h>
#include "LogLine.h"
#include <string>

namespace {

std::string normalised(const std::string& text, size_t capacity)
{
    std::string buffer(capacity + 1, '?');
    zvcrypt::LogLine line(&buffer[0], capacity);
    line.add(text.c_str());
    line.normaliseLineEnd();
    return std::string(line.text(), line.length());
}

TEST(LogLine, AFullBufferKeepsWhatFitsAndNeverOverruns)
{
    EXPECT_EQ("abcd", normalised("abcdef", 4));
    EXPECT_EQ("abc\n", normalised("abc\n", 4));  // no room for the carriage return
    EXPECT_EQ("abc\r", normalised("abc", 4));    // only the carriage return fits
    EXPECT_EQ("\r\n", normalised("", 4));
    std::string buffer(11, '?');
    zvcrypt::LogLine line(&buffer[0], 10);
    line.addf("%s(%4d): ", "abc", 7);
    EXPECT_EQ("abc(   7):", std::string(line.text()));
    line.blanks(5);
    line.add("more");
    EXPECT_EQ(10u, line.length());
}

} // namespace
