// The library's texts keep their bytes now that msvcrt formats them instead of MinGW's C99
// printf: every row is checked against the C99 printf itself and against the bytes expected,
// with the buffer around the text, so a missing terminator or a write past the room shows.
#include <gtest/gtest.h>
#include "SystemFormat.h"
#include "FileBytes.h"
#include "TempDir.h"
#include <algorithm>
#include <climits>
#include <cstdio>
#include <string>
#include <windows.h>

namespace {

struct Formatted {
    std::string ours, c99;  // the whole buffer, filled with '#' before
    size_t written;
};

Formatted both(size_t size, const char* format, ...)
{
    std::string ours(size + 4, '#'), c99(size + 4, '#');
    va_list args, copy;
    va_start(args, format);
    va_copy(copy, args);
    size_t written = zvcrypt::formatTextV(&ours[0], size, format, args);
    __mingw_vsnprintf(&c99[0], size, format, copy);
    va_end(copy);
    va_end(args);
    return {ours, c99, written};
}

std::string chars(size_t n, char c = 'x') { return std::string(n, c); }

}  // namespace

TEST(SystemFormat, EveryFormatInUseGivesTheBytesOfTheC99Printf)
{
    struct Row { const char* what; Formatted got; std::string want; };
    const Row rows[] = {
        {"signed long", both(64, "%ld", LONG_MIN), "-2147483648"},
        {"a 4-byte number read as signed", both(31, "%ld", static_cast<long>(0xFFFFFFFFUL)), "-1"},
        {"unsigned long", both(64, "%lu", 0xFFFFFFFFUL), "4294967295"},
        {"hex byte", both(3, "%02X", 0x0Au), "0A"},
        {"hex byte high", both(3, "%02X", 0xFFu), "FF"},
        {"hex zero", both(3, "%02X", 0u), "00"},
        {"padded hex", both(64, "%s=%08X", "v", 0xBEEFu), "v=0000BEEF"},
        {"lower hex", both(64, "%x", 0xDEADBEEFu), "deadbeef"},
        {"int and text", both(64, "%s %d", "formatted", -1), "formatted -1"},
        {"characters", both(64, "%c%c", 'a', 0xE9), "a\xE9"},
        {"widths", both(64, "[%5s|%-5s|%03ld]", "ab", "cd", 7L), "[   ab|cd   |007]"},
        {"percent", both(64, "100%%"), "100%"},
        {"empty text", both(64, "%s", ""), ""},
        {"null text", both(64, "%s", static_cast<const char*>(nullptr)), "(null)"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(r.got.c99, r.got.ours);
        EXPECT_EQ(r.want, std::string(r.got.ours.c_str()));
        EXPECT_EQ(r.want.size(), r.got.written);
    }
}

TEST(SystemFormat, ATextIsCutAtItsRoomAndAlwaysTerminated)
{
    struct Row { const char* what; Formatted got; size_t written; };
    const Row rows[] = {
        {"fits with its terminator", both(4, "%s", "abc"), 3},
        {"one too long", both(4, "%s", "abcd"), 3},
        {"much too long", both(4, "%s%s", "abc", "def"), 3},
        {"room for the terminator only", both(1, "%s", "abc"), 0},
        {"byte of a hex dump", both(3, "%02X", 0x1ABu), 2},
        {"formatted text below its limit", both(513, "%s", chars(511).c_str()), 511},
        {"formatted text at its limit", both(513, "%s", chars(512).c_str()), 512},
        {"formatted text one over", both(513, "%s", chars(513).c_str()), 512},
        {"formatted text far over", both(513, "%s=%d", chars(600).c_str(), 5), 512},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(r.got.c99, r.got.ours);
        EXPECT_EQ(r.written, r.got.written);
        EXPECT_EQ(r.written, std::string(r.got.ours.c_str()).size());
    }
    Formatted none = both(0, "%s", "abc");
    EXPECT_EQ(std::string(4, '#'), none.ours);  // no room at all: not even a terminator
    EXPECT_EQ(0u, none.written);
}

namespace {

struct Writer {
    FILE* stream;
    const char* open;
    std::string body;
    const char* close;
};

DWORD WINAPI writeLines(LPVOID param)
{
    const Writer& w = *static_cast<const Writer*>(param);
    for (int i = 0; i < 2000; ++i)
        zvcrypt::writeTexts(w.stream, {w.open, w.body.c_str(), nullptr, w.close});
    return 0;
}

}  // namespace

TEST(SystemFormat, TextsWrittenTogetherStayTogetherWhileAnotherThreadWrites)
{
    TempDir dir("sysfmt");
    std::string path = dir.path("out.txt");
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, f);
    Writer writers[] = {{f, "<", chars(40, 'a'), ">\n"}, {f, "[", chars(40, 'b'), "]\n"}};
    HANDLE threads[2];
    for (int i = 0; i < 2; ++i)
        threads[i] = CreateThread(nullptr, 0, writeLines, &writers[i], 0, nullptr);
    WaitForMultipleObjects(2, threads, TRUE, INFINITE);
    for (HANDLE t : threads)
        CloseHandle(t);
    std::fclose(f);

    std::string bytes = ReadBytes(path);
    int counts[2] = {};
    for (size_t at = 0, end; at < bytes.size(); at = end + 1) {
        end = std::min(bytes.find('\n', at), bytes.size() - 1);
        std::string line = bytes.substr(at, end - at + 1);
        int i = 0;
        while (i < 2 && line != writers[i].open + writers[i].body + writers[i].close)
            ++i;
        if (i < 2) ++counts[i];
        else ADD_FAILURE() << "mixed line: " << line;
    }
    EXPECT_EQ(2000, counts[0]);
    EXPECT_EQ(2000, counts[1]);
}
