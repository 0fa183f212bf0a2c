// The command-line tokenizer: which pairs a command line yields, in which order, and what
// happens to quotes, separators, blanks and overlong tokens.
#include "XParamList.h"
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace {

typedef std::vector<std::pair<std::string, std::string>> Pairs;

Pairs ParseLine(const std::string& line, bool* parsed = nullptr)
{
    XParamList list;
    list.SetCommandLine(line.c_str());
    bool ok = list.Parse();
    if (parsed) *parsed = ok;
    Pairs pairs;
    for (int i = 0; i < list.GetCount(); ++i) pairs.emplace_back(list.GetKey(i), list.GetValue(i));
    return pairs;
}

} // namespace

TEST(CommandLine, YieldsThePairsInOrder)
{
    const struct {
        const char* line;
        Pairs pairs;
    } cases[] = {
        {"C:\\Program Files\\Vacater.exe", {}}, {"", {}},
        {"V:\\Vacater.exe /RemoveOnly=1", {{"/RemoveOnly", "1"}}},
        {"V:\\Vacater.exe /RemoveOnly:1", {{"/RemoveOnly", "1"}}},
        // A quoted value keeps its blanks, not its quotes.
        {"x.exe /RmAbsDir=\"C:\\Program Files\\Zv\" /CleanUpOnly=0", {{"/RmAbsDir", "C:\\Program Files\\Zv"}, {"/CleanUpOnly", "0"}}},
        {"x.exe /CleanUpOnly /Sleep=5", {{"/CleanUpOnly", ""}, {"/Sleep", "5"}}},
        // A separator at the end drops its key.
        {"x.exe /RmDir=", {}}, {"x.exe /A=1 /RmDir:", {{"/A", "1"}}},
        // A blank right after the separator starts the value, which runs to the next blank.
        {"x.exe /RmDir= /Sleep=1", {{"/RmDir", " /Sleep=1"}}},
        {"x.exe /RmDir= abc def", {{"/RmDir", " abc"}}},
        {"x.exe /A=ab\"c", {{"/A", "ab\"c"}}},                          // quote inside: ordinary
        {"x.exe /A=\"x y /B=2", {{"/A", "x y /B=2"}}},                  // unclosed: to the end
        {"x.exe /A=\"q\"tail junk /B=2", {{"/A", "q"}, {"/B", "2"}}},   // after the quote: to "/"
        {"x.exe /A=\"\" /B=2", {{"/A", ""}, {"/B", "2"}}},
        {"x.exe /removeonly=X /SLEEP=y", {{"/removeonly", "X"}, {"/SLEEP", "y"}}},
        {"C:/dir/Vacater.exe /Sleep=1", {{"/dir/Vacater.exe", ""}, {"/Sleep", "1"}}},
        {"x.exe /A=1\t/B=2", {{"/A", "1\t/B=2"}}},                      // a tab separates nothing
        {"x.exe /A\t=1", {{"/A\t", "1"}}},
        {"x.exe /", {}}, {"x.exe / /B=1", {{"/", ""}, {"/B", "1"}}},
        {"C:\\T\\Vacater.exe /DriveLetter=V /CleanUpOnly=0 /RmAbsDir=\"C:\\a b\" /VKDriveLetter=V: "
         "/Application=AppDeck /Application=Tresoria",
         {{"/DriveLetter", "V"}, {"/CleanUpOnly", "0"}, {"/RmAbsDir", "C:\\a b"}, {"/VKDriveLetter", "V:"},
          {"/Application", "AppDeck"}, {"/Application", "Tresoria"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        bool parsed = false;
        EXPECT_EQ(c.pairs, ParseLine(c.line, &parsed));
        EXPECT_EQ(!c.pairs.empty(), parsed);
    }
}

TEST(CommandLine, CutsLongTokensAtTheTokenBuffer)
{
    for (size_t n : {254u, 255u, 256u, 300u, 5000u}) {
        SCOPED_TRACE(n);
        std::string key = "/" + std::string(n - 1, 'k'), value(n, 'v');
        size_t kept = n < 255 ? n : 255;
        EXPECT_EQ(Pairs({{key.substr(0, kept), value.substr(0, kept)}, {"/Next", "1"}}),
                  ParseLine("x.exe " + key + "=" + value + " /Next=1"));
    }
    // A quoted value and a key alone at the end of the line are cut the same way.
    EXPECT_EQ(std::string(255, 'q'), ParseLine("x.exe /A=\"" + std::string(400, 'q') + "\"").at(0).second);
    EXPECT_EQ("/" + std::string(254, 'z'), ParseLine("x.exe /" + std::string(400, 'z')).at(0).first);
}

TEST(CommandLine, NewLineReplacesThePairsAndOutsideIndexesGiveEmptyText)
{
    XParamList list;
    EXPECT_STREQ("", list.GetKey(0));
    list.SetCommandLine("x.exe /A=1 /B=2");
    ASSERT_TRUE(list.Parse());
    list.SetCommandLine("x.exe /C=3");
    EXPECT_EQ(0, list.GetCount());
    ASSERT_TRUE(list.Parse());
    EXPECT_EQ(1, list.GetCount());
    EXPECT_STREQ("3", list.GetValue(0));
    EXPECT_STREQ("", list.GetKey(1));
    EXPECT_STREQ("", list.GetValue(-1));
}
