// Every code page cmd may read the batch in: the bytes for each OEM/ANSI pair of the PCs the
// token is sold for, decoded back as cmd decodes them, with Windows' rules for the calls;
// and when the batch must set the console's code page itself.
#include "BatchCodePage.h"
#include "StrictCodePages.h"
#include <gtest/gtest.h>
#include <string>

namespace {

std::string Hex(const std::wstring& text)
{
    std::string out;
    char unit[8];
    for (wchar_t c : text) {
        snprintf(unit, sizeof unit, "%04X ", static_cast<unsigned>(c));
        out += unit;
    }
    return out;
}

} // namespace

TEST(BatchCodePage, EachPairGivesBytesCmdDecodesBackOrRefusesTheCharacter)
{
    const struct {
        unsigned int oem, ansi;
        const wchar_t* text;
        bool ok;   // every character has a form in the OEM code page
    } cases[] = {
        {437, 1252, L"C:\\Users\\J\u00fcrgen\\\u00dcbung", true},
        {437, 1252, L"C:\\\u00d8rsted", false},                        // Ø: not in 437
        {850, 1252, L"C:\\\u00d8rsted\\\u00e9t\u00e9 Stra\u00dfe", true},
        {850, 1252, L"C:\\\u20ac", false},                             // the euro sign: not in 850
        {852, 1250, L"C:\\\u0141ukasz\\\u017b\u00f3\u0142w \u010de\u0161ky", true},
        {852, 1250, L"C:\\\u20ac", false},
        {65001, 65001, L"C:\\J\u00fcrgen\\\u4e2d\u6587\\\u0424\u00d8\u20ac", true},
        {65001, 65001, L"C:\\\U0001F600", true},                       // beyond the 16-bit plane
        {54936, 54936, L"C:\\\u7528\u6237\\J\u00fcrgen\\\u00d8\u20ac", true},
        {54936, 54936, L"C:\\\U0001F600", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Hex(c.text) + "in " + std::to_string(c.oem) + "/" + std::to_string(c.ansi));
        StrictCodePages strict;
        CString ansi, oem;
        ASSERT_TRUE(WideToCodePage(c.text, c.ansi, &ansi, strict)) << "the program's own text";
        EXPECT_EQ(c.ok, AnsiToOemBytes(ansi, c.ansi, c.oem, &oem, strict));
        EXPECT_EQ(0, strict.refused) << "a call Windows refuses";
        if (!c.ok) {
            EXPECT_EQ("", oem.str());
            continue;
        }
        std::wstring read;
        ASSERT_TRUE(OemToWide(oem, c.oem, &read, strict));
        EXPECT_EQ(Hex(c.text), Hex(read)) << "cmd reads another path";
        if (c.oem == c.ansi) { EXPECT_EQ(ansi.str(), oem.str()); }
    }
    // A lone surrogate names no file: no form in UTF-8 or GB18030 either.
    for (unsigned int cp : {65001u, 54936u}) {
        StrictCodePages strict;
        CString bytes = "stale";
        EXPECT_FALSE(WideToCodePage(L"C:\\\xd800x", cp, &bytes, strict)) << cp;
        EXPECT_EQ("", bytes.str());
        EXPECT_EQ(0, strict.refused) << cp;
    }
}

TEST(BatchCodePage, TheBatchSetsItsCodePageOnlyWhereTheConsoleWouldReadAnother)
{
    const struct {
        unsigned int oem, console, cmd;
        bool autoRun;
        unsigned int newConsole, chcp;
    } cases[] = {
        {850, 0, 0, false, 850, 0},            // nothing set: the batch stays as it is
        {850, 850, 0, false, 850, 0},
        {850, 65001, 0, false, 65001, 850},
        {850, 0, 65001, false, 65001, 850},
        {850, 65001, 850, false, 850, 0},      // cmd's own key wins over HKCU\Console
        {850, 850, 437, false, 437, 850},
        {437, 0, 0, true, 437, 437},           // an AutoRun may run chcp before the batch
        {65001, 0, 0, false, 65001, 0},
        {65001, 850, 0, false, 850, 65001},
        {54936, 0, 936, false, 936, 54936},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.oem) + " " + std::to_string(c.console) + " " + std::to_string(c.cmd) +
                     (c.autoRun ? " AutoRun" : ""));
        ConsoleCodePageSettings s;
        s.oemCodePage = c.oem;
        s.consoleValue = c.console;
        s.cmdValue = c.cmd;
        s.autoRun = c.autoRun;
        EXPECT_EQ(c.newConsole, NewConsoleCodePage(s));
        EXPECT_EQ(c.chcp, BatchChcpCodePage(s));
    }
}
