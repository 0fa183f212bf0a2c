// System error texts, the library's exception, and the two log entry points while no
// logger exists: line ends, the force flag, and the caller's last OS error.
#include <gtest/gtest.h>
#include <zvcrypt/Blob.h>
#include <zvcrypt/Log.h>
#include <zvcrypt/zvCryptException.h>
#include <zvcrypt/zvSysErr.h>
#include "StderrCapture.h"
#include <windows.h>
#include <string>

using namespace zvcrypt;

namespace {

// What FormatMessageA itself says for code, raw.
std::string systemSays(DWORD code)
{
    char buffer[4096] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                   buffer, sizeof buffer - 1, nullptr);
    return buffer;
}

size_t count(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// Sets the force flag for one test and clears it again.
struct Forced {
    Forced() { zvLogSetForce(true); }
    ~Forced() { zvLogSetForce(false); }
};

}  // namespace

// ---- error texts ----------------------------------------------------------------------

TEST(ErrorText, IsTheSystemsFirstLine)
{
    std::string raw = systemSays(ERROR_FILE_NOT_FOUND);
    ASSERT_FALSE(raw.empty());
    ASSERT_NE(std::string::npos, raw.find("\r\n"));
    std::string text = zvErrorText(ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(raw.substr(0, raw.find("\r\n")), text);
    EXPECT_EQ(std::string::npos, text.find_first_of("\r\n"));

    EXPECT_EQ(systemSays(ERROR_ACCESS_DENIED).substr(0, systemSays(ERROR_ACCESS_DENIED).find("\r\n")),
              zvErrorText(ERROR_ACCESS_DENIED));
}

TEST(ErrorText, UnknownCodeGivesEmptyText)
{
    const DWORD unknown = 0x2000BEEF;
    ASSERT_EQ("", systemSays(unknown));
    EXPECT_STREQ("", zvErrorText(unknown));
    zvErrorText(ERROR_FILE_NOT_FOUND);
    EXPECT_STREQ("", zvErrorText(unknown));  // the former text does not shine through
}

TEST(ErrorText, ConsecutiveCallsShareOneBuffer)
{
    const char* first = zvErrorText(ERROR_FILE_NOT_FOUND);
    std::string firstText = first;
    const char* second = zvErrorText(ERROR_ACCESS_DENIED);
    EXPECT_EQ(first, second);
    EXPECT_NE(firstText, std::string(first));

    // zvLastErrorText has a buffer of its own.
    SetLastError(ERROR_FILE_NOT_FOUND);
    const char* last = zvLastErrorText("caption");
    EXPECT_NE(first, last);
    EXPECT_EQ(firstText, std::string(last));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
}

TEST(ErrorText, GetAndSetLastError)
{
    SetLastError(ERROR_ACCESS_DENIED);
    EXPECT_EQ(static_cast<unsigned long>(ERROR_ACCESS_DENIED), zvGetLastError());
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    std::string viaErrorText = zvErrorText(ERROR_ACCESS_DENIED);
    zvGetLastError();
    EXPECT_EQ(viaErrorText, zvErrorText(ERROR_ACCESS_DENIED));
    zvSetLastError(1234);
    EXPECT_EQ(1234u, GetLastError());
}

// ---- exception ------------------------------------------------------------------------

TEST(CryptException, CarriesTextAndCode)
{
    zvCryptException e(Blob("mapping failed"), 5);
    EXPECT_STREQ("mapping failed", e.what());
    EXPECT_EQ(5u, e.getCode());

    zvCryptException wide(Blob(L"wide text"), 6);
    EXPECT_STREQ("wide text", wide.what());
}

TEST(CryptException, TracesConstructionAndDestruction)
{
    Forced forced;
    std::string text;
    {
        StderrCapture err;
        { zvCryptException e(Blob("boom"), 2); }
        { zvCryptException e(Blob(), 3); EXPECT_STREQ("", e.what()); }
        text = err.text();
    }
    EXPECT_EQ("*boom ***zvCryptException()*boom ***~zvCryptException()"
              "* ***zvCryptException()* ***~zvCryptException()",
              text);
}

TEST(CryptException, EveryObjectOfAThrowIsTracedBothWays)
{
    Forced forced;
    std::string text;
    {
        StderrCapture err;
        try {
            throw zvCryptException(Blob("thrown"), 7);
        } catch (const zvCryptException& e) {
            EXPECT_EQ(7u, e.getCode());
        }
        text = err.text();
    }
    size_t made = count(text, "*thrown ***zvCryptException()");
    EXPECT_GE(made, 1u);
    EXPECT_EQ(made, count(text, "*thrown ***~zvCryptException()"));
}

TEST(CryptException, KeepsTheCallersLastError)
{
    SetLastError(ERROR_ACCESS_DENIED);
    { zvCryptException e(Blob("x"), 1); }
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
}

// ---- direct trace ---------------------------------------------------------------------

namespace {
std::string rawOutput(const char* format, const char* arg)
{
    StderrCapture err;
    zvLogRaw(format, arg);
    return err.text();
}
}  // namespace

TEST(LogRaw, LineEnds)
{
    EXPECT_EQ("abc\r\n", rawOutput("%s", "abc"));
    EXPECT_EQ("abc\r\n", rawOutput("%s\n", "abc"));
    EXPECT_EQ("abc\r\n", rawOutput("%s\r\n", "abc"));
    EXPECT_EQ("a\nb\r\n", rawOutput("%s", "a\nb"));  // only the end is touched
    EXPECT_EQ("\r\n", rawOutput("%s", ""));
    EXPECT_EQ("\n\r\n", rawOutput("%s", "\n\n"));
    StderrCapture err;
    zvLogRaw(nullptr);
    EXPECT_EQ("\r\n", err.text());
}

namespace {
// OutputDebugStringA raises DBG_PRINTEXCEPTION_C with the text; a vectored handler sees it
// first, as a debugger would.
std::string sDebuggerText;
LONG CALLBACK catchDebugString(EXCEPTION_POINTERS* info)
{
    EXCEPTION_RECORD* record = info->ExceptionRecord;
    if (record->ExceptionCode == DBG_PRINTEXCEPTION_C && record->NumberParameters >= 2)
        sDebuggerText += reinterpret_cast<const char*>(record->ExceptionInformation[1]);
    return EXCEPTION_CONTINUE_SEARCH;
}
}  // namespace

TEST(LogRaw, ReachesTheDebuggerOutput)
{
    sDebuggerText.clear();
    void* handler = AddVectoredExceptionHandler(1, catchDebugString);
    ASSERT_NE(nullptr, handler);
    {
        StderrCapture quiet;
        OutputDebugStringA("probe");
        if (sDebuggerText != "probe") {
            RemoveVectoredExceptionHandler(handler);
            GTEST_SKIP() << "debugger output is not raised as an exception here";
        }
        sDebuggerText.clear();
        zvLogRaw("to the debugger %d\n", 5);
    }
    RemoveVectoredExceptionHandler(handler);
    EXPECT_EQ("to the debugger 5\r\n", sDebuggerText);
}

TEST(LogRaw, LongTextIsCutAt4095)
{
    std::string text(5000, 'r');
    EXPECT_EQ(std::string(4095, 'r'), rawOutput("%s", text.c_str()));
    // Room for one more character: only the carriage return fits.
    EXPECT_EQ(std::string(4094, 'r') + "\r", rawOutput("%s", std::string(4094, 'r').c_str()));
    EXPECT_EQ(std::string(4093, 'r') + "\r\n", rawOutput("%s", std::string(4093, 'r').c_str()));
    // A lone final line feed with no room for its carriage return stays.
    EXPECT_EQ(std::string(4094, 'r') + "\n",
              rawOutput("%s", (std::string(4094, 'r') + "\n").c_str()));
}

TEST(LogRaw, KeepsTheCallersLastError)
{
    StderrCapture quiet;
    SetLastError(ERROR_INVALID_HANDLE);
    zvLogRaw("trace %d", 1);
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    SetLastError(0xE0001234);  // no system text for this one
    zvLogRaw("%s", std::string(6000, 'x').c_str());
    EXPECT_EQ(0xE0001234u, GetLastError());
}

// ---- log call without a logger --------------------------------------------------------

TEST(LogWriteWithoutLogger, IsDroppedUnlessForced)
{
    std::string text;
    {
        StderrCapture err;
        zvLogWrite(__FILE__, __LINE__, LOGMASK_TRACE, "dropped %d\n", 1);
        zvLogWrite(nullptr, 0, LOGMASK_ERROR, "dropped too");
        text = err.text();
    }
    EXPECT_EQ("", text);
}

TEST(LogWriteWithoutLogger, ForcedGoesToStandardErrorWithStar)
{
    Forced forced;
    std::string text;
    {
        StderrCapture err;
        zvLogWrite(__FILE__, __LINE__, LOGMASK_TRACE, "forced %s %d", "line", 2);
        zvLogWrite(nullptr, 0, 0, "next\n");
        zvLogWrite(__FILE__, __LINE__, LOGMASK_TRACE, nullptr);  // null text: nothing
        text = err.text();
    }
    EXPECT_EQ("*forced line 2*next\n", text);
}

TEST(LogWriteWithoutLogger, ForcedLongTextIsCutAt4095)
{
    Forced forced;
    std::string text;
    {
        StderrCapture err;
        zvLogWrite(nullptr, 0, LOGMASK_TRACE, "%s", std::string(9000, 'w').c_str());
        text = err.text();
    }
    EXPECT_EQ("*" + std::string(4095, 'w'), text);
}

TEST(LogWriteWithoutLogger, KeepsTheCallersLastError)
{
    SetLastError(ERROR_FILE_NOT_FOUND);
    zvLogWrite(__FILE__, __LINE__, LOGMASK_ERROR, "error line %d", 3);
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    Forced forced;
    StderrCapture quiet;
    SetLastError(ERROR_ACCESS_DENIED);
    zvLogWrite(__FILE__, __LINE__, LOGMASK_ERROR, "error line %d", 4);
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
}

TEST(LogWriteWithoutLogger, ErrorTextArgumentIsNotOverwritten)
{
    // The text of error 2 is passed while the last error is another one.
    Forced forced;
    std::string expected = "*" + std::string(zvErrorText(ERROR_FILE_NOT_FOUND));
    std::string written, raw;
    {
        StderrCapture err;
        SetLastError(ERROR_ACCESS_DENIED);
        zvLogWrite(nullptr, 0, LOGMASK_ERROR, "%s", zvErrorText(ERROR_FILE_NOT_FOUND));
        written = err.text();
    }
    EXPECT_EQ(expected, written);
    {
        StderrCapture err;
        SetLastError(ERROR_ACCESS_DENIED);
        zvLogRaw("%s", zvErrorText(ERROR_FILE_NOT_FOUND));
        raw = err.text();
    }
    EXPECT_EQ(expected.substr(1) + "\r\n", raw);
}
