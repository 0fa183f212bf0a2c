// What cmd reads from the batch: the ANSI text in the OEM code page, and whether a path of
// the program's own can stand there as it is or needs its short form.
#include "BatchCodePage.h"
#include "BatchWord.h"
#include "FakeBatchHost.h"
#include <windows.h>
#include <gtest/gtest.h>
#include <map>
#include <string>

TEST(BatchCodePage, LettersKeepTheirMeaningOrAreReportedWithoutForm)
{
    const struct {
        const char* ansi;   // Windows-1252 bytes
        unsigned int oem;
        bool ok;
        const char* bytes;   // what cmd reads, when ok
    } cases[] = {
        {"C:\\x\\Temp", 850, true, "C:\\x\\Temp"},
        {"", 850, true, ""},
        {"\xdc" "bung", 850, true, "\x9a" "bung"},   // Ü
        {"\xdc" "bung", 437, true, "\x9a" "bung"},
        {"caf\xe9", 850, true, "caf\x82"},            // é
        {"Stra\xdf" "e", 850, true, "Stra\xe1" "e"},   // ß
        {"Stra\xdf" "e", 437, true, "Stra\xe1" "e"},
        {"J\xfcrgen", 437, true, "J\x81rgen"},         // ü
        {"\xd8rsted", 850, true, "\x9drsted"},         // Ø: in 850 ...
        {"\xd8rsted", 437, false, ""},                 // ... not in 437
        {"\x80", 850, false, ""},                      // the euro sign: in no OEM page here
        {"\x81", 850, false, ""},                      // undefined in 1252, ü in 850
        {"\x9a", 437, false, ""},                      // š: no best fit to "s"
        {"\xe3", 850, true, "\xc6"},                   // ã in 850 ...
        {"\xe3", 437, false, ""},                      // ... a best fit to "a" in 437 is refused
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.ansi) + " in " + std::to_string(c.oem));
        CString oem = "stale";
        EXPECT_EQ(c.ok, AnsiToOemBytes(c.ansi, 1252, c.oem, &oem));
        EXPECT_EQ(c.bytes, oem.str());
        EXPECT_EQ(c.ok, SurvivesOem(c.ansi, 1252, c.oem));
        if (!c.ok) continue;
        // Decoded back, cmd reads what the ANSI text says.
        std::wstring fromOem, fromAnsi;
        ASSERT_TRUE(OemToWide(oem, c.oem, &fromOem));
        ASSERT_TRUE(AnsiToWide(c.ansi, 1252, &fromAnsi));
        EXPECT_EQ(fromAnsi, fromOem);
    }
    std::wstring wide;
    EXPECT_TRUE(OemToWide("\x81", 850, &wide));
    EXPECT_EQ(std::wstring(L"\x00fc"), wide);
}

TEST(BatchWord, APathStandsAsItIsOnlyWhenCmdReadsItAsOnePlainWord)
{
    const BatchWordPlace PLAIN = BATCH_WORD_PLAIN, QUOTED = BATCH_WORD_QUOTED;
    const struct {
        const char* path;
        BatchWordPlace place;
        unsigned int oem;
        const char* problem;   // part of it, or "" for none
    } cases[] = {
        {"C:\\Users\\bob\\AppData\\Local\\Temp", PLAIN, 850, ""},
        {"C:\\Users\\J\xfcrgen\\Temp", PLAIN, 850, ""},
        {"C:\\Users\\J\xfcrgen\\Temp", PLAIN, 437, ""},
        {"C:\\x~1\\a.b-c_d{e}[f]@#$'+`", PLAIN, 850, ""},
        {"", PLAIN, 850, ""},
        {"C:\\Users\\John Smith\\Temp", PLAIN, 850, "a blank"},
        {"C:\\Users\\John Smith\\Temp", QUOTED, 850, ""},          // between quotes a blank is plain
        {"C:\\Temp&Co", PLAIN, 850, "command separator"},
        {"C:\\Temp&Co", QUOTED, 850, ""},
        {"C:\\a|b", PLAIN, 850, "command separator"},
        {"C:\\a<b", PLAIN, 850, "redirection"},
        {"C:\\a^b", PLAIN, 850, "escape"},
        {"C:\\a(b)", PLAIN, 850, "parenthesis"},
        {"C:\\a;b", PLAIN, 850, "separator"},
        {"C:\\a,b", PLAIN, 850, "separator"},
        {"C:\\a=b", PLAIN, 850, "separator"},
        {"C:\\a\tb", PLAIN, 850, "tab"},
        {"C:\\50%off", PLAIN, 850, "expands"},
        {"C:\\50%off", QUOTED, 850, "expands"},                     // '%' expands between quotes too
        {"C:\\hi!", QUOTED, 850, "delayed expansion"},
        {"C:\\a\"b", QUOTED, 850, "double quote"},
        {"C:\\a\xa0" "b", PLAIN, 850, "for a blank"},               // no-break blank, OEM FF
        {"C:\\\xd8", PLAIN, 437, "OEM"},
        {"C:\\\xd8", QUOTED, 437, "OEM"},
        {"C:\\T\x80", PLAIN, 850, "OEM"},
        {"C:\\a:b", PLAIN, 850, "':' after the drive"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.path) + (c.place == QUOTED ? " (quoted)" : "") + " in " + std::to_string(c.oem));
        const char* problem = BatchWordProblem(c.path, c.place, 1252, c.oem);
        if (*c.problem) {
            ASSERT_NE(nullptr, problem);
            EXPECT_NE(std::string::npos, std::string(problem).find(c.problem)) << problem;
        } else {
            EXPECT_EQ(nullptr, problem) << problem;
        }
    }
}

TEST(BatchWord, AMisreadPathGoesShortAndWithoutAUsableShortFormNowhere)
{
    FakeBatchHost host({{"C:\\Temp Dir", "C:\\TEMPDI~1"}, {"C:\\a b", "C:\\a b"}, {"C:\\x&y", "C:\\X_Y~1\\\x80"}});
    const struct {
        const char* path;
        bool ok;
        const char* word;
        const char* reason;
    } cases[] = {
        {"C:\\Temp", true, "C:\\Temp", ""},
        {"C:\\Temp Dir", true, "C:\\TEMPDI~1", ""},
        {"C:\\Other Dir", false, "", "holds a blank, which ends a word for cmd and has no short form"},
        {"C:\\a b", false, "", "its short form [C:\\a b] holds a blank"},   // 8.3 names switched off
        {"C:\\x&y", false, "", "its short form [C:\\X_Y~1\\\x80] holds a character without a form"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        BatchWord word = BatchWordFor(c.path, BATCH_WORD_PLAIN, host);
        EXPECT_EQ(c.ok, static_cast<bool>(word));
        EXPECT_EQ(c.word, word.Text().str());
        if (*c.reason) { EXPECT_NE(std::string::npos, word.Reason().str().find(c.reason)) << word.Reason().str(); }
        else { EXPECT_EQ("", word.Reason().str()); }
    }
    host.asked = 0;
    EXPECT_TRUE(BatchWordFor("C:\\Temp", BATCH_WORD_PLAIN, host));
    EXPECT_EQ(0, host.asked) << "a plain path is written as it is, without a look-up";
}

TEST(BatchWord, TheSystemHostGivesAShortFormCmdReadsAsOneWord)
{
    char temp[MAX_PATH];
    ASSERT_NE(0u, GetTempPathA(MAX_PATH, temp));
    std::string folder = std::string(temp) + "zv word & blank";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    SystemBatchHost host;
    CString shortPath = host.ShortPath(folder.c_str());
    BatchWord word = BatchWordFor(folder.c_str(), BATCH_WORD_PLAIN, host);
    RemoveDirectoryA(folder.c_str());
    EXPECT_EQ("", host.ShortPath((folder + "\\missing").c_str()).str());
    if (shortPath.IsEmpty() || shortPath.str() == folder) GTEST_SKIP() << "no short names here";
    ASSERT_TRUE(word);
    EXPECT_EQ(shortPath.str(), word.Text().str());
    EXPECT_EQ(nullptr, BatchWordProblem(word.Text(), BATCH_WORD_PLAIN, host.AnsiCodePage(), host.OemCodePage()));
}
