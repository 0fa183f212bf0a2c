// Line building rules that are hard to reach through a log file: cuts at the buffer's end.
#include <gtest/gtest.h>
#include "LogLine.h"
#include <string>

using zvcrypt::LogLine;

namespace {

std::string normalised(const std::string& text, size_t capacity = 64)
{
    std::string buffer(capacity + 1, '?');
    LogLine line(&buffer[0], capacity);
    line.add(text.c_str());
    line.normaliseLineEnd();
    return std::string(line.text(), line.length());
}

TEST(LogLineEnd, EveryLineEndsWithCrLfWhenThereIsRoom)
{
    EXPECT_EQ("a\r\n", normalised("a"));
    EXPECT_EQ("a\r\n", normalised("a\n"));
    EXPECT_EQ("a\r\n", normalised("a\r\n"));
    EXPECT_EQ("\r\n", normalised(""));
    EXPECT_EQ("a\r\r\n", normalised("a\r"));
}

TEST(LogLineEnd, AFullBufferKeepsWhatFits)
{
    EXPECT_EQ("abcd", normalised("abcdef", 4));
    EXPECT_EQ("abc\n", normalised("abc\n", 4));   // no room for the carriage return
    EXPECT_EQ("abc\r", normalised("abc", 4));     // only the carriage return fits
}

TEST(LogLinePieces, FormattedPiecesAreCutAtTheEnd)
{
    std::string buffer(11, '?');
    LogLine line(&buffer[0], 10);
    line.addf("%s(%4d): ", "abc", 7);
    EXPECT_EQ("abc(   7):", std::string(line.text()));
    line.blanks(5);
    line.add("more");
    EXPECT_EQ(10u, line.length());
}

TEST(LogSourceName, BaseNameIsTheLastComponentWithoutClosingParenthesis)
{
    const char* base = nullptr;
    EXPECT_EQ(9u, zvcrypt::logBaseName("C:\\src\\debug.cpp)", &base));
    EXPECT_EQ(std::string("debug.cpp"), std::string(base, 9));
    EXPECT_EQ(0u, zvcrypt::logBaseName("nobackslash.cpp", &base));
    EXPECT_EQ(0u, zvcrypt::logBaseName("C:\\src\\", &base));
    EXPECT_TRUE(zvcrypt::logFilterPasses("main debug", "", 0));
    EXPECT_TRUE(zvcrypt::logFilterPasses("main debug", "debug.cpp", 5));
    EXPECT_FALSE(zvcrypt::logFilterPasses("main debug", "skip.cpp", 8));
    EXPECT_TRUE(zvcrypt::logFilterPasses("overall", "skip.cpp", 8));
}

} // namespace
