// System error texts and the two log entry points while no logger exists: line ends,
// cut-off, the force flag and the caller's last OS error. (The library's exception holds a
// logger guard, so its traces are checked in a log file: tests/io/SourceGuardTest.cpp.)
#include <gtest/gtest.h>
#include <zvcrypt/Log.h>
#include <zvcrypt/zvSysErr.h>
#include "StderrCapture.h"
#include <windows.h>
#include <functional>
#include <string>

using namespace zvcrypt;

namespace {
// The first line of what FormatMessageA itself says for code.
std::string systemSays(DWORD code)
{
    char buffer[4096] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                   buffer, sizeof buffer - 1, nullptr);
    std::string text = buffer;
    return text.substr(0, text.find("\r\n"));
}

struct Forced {  // sets the force flag for one test
    Forced() { zvLogSetForce(true); }
    ~Forced() { zvLogSetForce(false); }
};

std::string stderrOf(const std::function<void()>& f)
{
    StderrCapture err;
    f();
    return err.text();
}
}  // namespace

TEST(ErrorText, IsTheSystemsFirstLineOrEmptyForUnknownCodes)
{
    ASSERT_FALSE(systemSays(ERROR_FILE_NOT_FOUND).empty());
    for (DWORD code : {DWORD(ERROR_FILE_NOT_FOUND), DWORD(ERROR_ACCESS_DENIED), DWORD(0x2000BEEF),
                       DWORD(ERROR_SHARING_VIOLATION)}) {
        SCOPED_TRACE(code);
        EXPECT_EQ(systemSays(code), zvErrorText(code));  // no former text shines through
    }
    const std::string notFound = systemSays(ERROR_FILE_NOT_FOUND);
    const char* shared = zvErrorText(ERROR_ACCESS_DENIED);
    SetLastError(ERROR_FILE_NOT_FOUND);
    std::string last = zvLastErrorText("caption");  // a buffer of its own
    EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_EQ(notFound, last);
    EXPECT_EQ(systemSays(ERROR_ACCESS_DENIED), shared);
}

TEST(LogRaw, EndsEveryLineWithCarriageReturnLineFeedAndCutsAt4095)
{
    struct Case { std::string in, out; };
    const std::string r4093(4093, 'r'), r4094(4094, 'r');
    const Case cases[] = {{"abc", "abc\r\n"},          {"abc\n", "abc\r\n"},
                          {"abc\r\n", "abc\r\n"},      {"a\nb", "a\nb\r\n"},
                          {"", "\r\n"},                {"\n\n", "\n\r\n"},
                          {std::string(5000, 'r'), std::string(4095, 'r')},
                          {r4094, r4094 + "\r"},       {r4093, r4093 + "\r\n"},
                          {r4094 + "\n", r4094 + "\n"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in.substr(0, 8) + "... length " + std::to_string(c.in.size()));
        EXPECT_EQ(c.out, stderrOf([&] { zvLogRaw("%s", c.in.c_str()); }));
    }
    EXPECT_EQ("\r\n", stderrOf([] { zvLogRaw(nullptr); }));
}

TEST(LogEntryPoints, WithoutALoggerWritesAreDroppedUnlessForcedThenGoToStandardError)
{
    EXPECT_EQ("", stderrOf([] { zvLogWrite(__FILE__, __LINE__, LOGMASK_ERROR, "dropped"); }));
    EXPECT_FALSE(zvLogWouldWrite(LOGMASK_ERROR));  // callers may skip building their text
    Forced forced;
    EXPECT_TRUE(zvLogWouldWrite(LOGMASK_TRACE));
    EXPECT_EQ("*forced line 2*next\n", stderrOf([] {
        zvLogWrite(__FILE__, __LINE__, LOGMASK_TRACE, "forced %s %d", "line", 2);
        zvLogWrite(nullptr, 0, 0, "next\n");
        zvLogWrite(__FILE__, __LINE__, LOGMASK_TRACE, nullptr);  // null text: nothing
    }));
    EXPECT_EQ("*" + std::string(4095, 'w'), stderrOf([] {
        zvLogWrite(nullptr, 0, LOGMASK_TRACE, "%s", std::string(9000, 'w').c_str());
    }));
}

TEST(LogEntryPoints, KeepTheCallersLastErrorAndErrorTextArguments)
{
    const std::string notFound = zvErrorText(ERROR_FILE_NOT_FOUND);
    Forced forced;
    std::string text = stderrOf([] {
        SetLastError(ERROR_ACCESS_DENIED);
        zvLogWrite(__FILE__, __LINE__, LOGMASK_ERROR, "%s", zvErrorText(ERROR_FILE_NOT_FOUND));
        EXPECT_EQ(DWORD(ERROR_ACCESS_DENIED), GetLastError());
        zvLogRaw("%s", zvErrorText(ERROR_FILE_NOT_FOUND));
        EXPECT_EQ(DWORD(ERROR_ACCESS_DENIED), GetLastError());
        SetLastError(0xE0001234);  // no system text for this one
        zvLogRaw("%s", std::string(6000, 'x').c_str());
        EXPECT_EQ(0xE0001234u, GetLastError());
    });
    EXPECT_EQ(0u, text.find("*" + notFound + notFound + "\r\n"));
}
