// The command-line tokenizer: which pairs a command line yields, in which order, and what
// happens to quotes, separators, blanks and overlong tokens.
#include "XAssociation.h"
#include "XParamList.h"
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace {

typedef std::vector<std::pair<std::string, std::string>> Pairs;

Pairs ParseLine(const char* line, bool* parsed = nullptr)
{
    XParamList list;
    list.SetCommandLine(line);
    bool ok = list.Parse();
    if (parsed) *parsed = ok;
    Pairs pairs;
    for (int i = 0; i < list.GetCount(); ++i) pairs.emplace_back(list.GetKey(i), list.GetValue(i));
    return pairs;
}

Pairs P(std::initializer_list<std::pair<std::string, std::string>> l) { return Pairs(l); }

} // namespace

TEST(CommandLineWithoutOptions, YieldsNoPairs)
{
    bool parsed = true;
    EXPECT_EQ(Pairs(), ParseLine("C:\\Program Files\\Vacater.exe", &parsed));
    EXPECT_FALSE(parsed);
    EXPECT_EQ(Pairs(), ParseLine("", &parsed));
    EXPECT_FALSE(parsed);
}

TEST(CommandLineOptions, KeyAndValueWithEitherSeparator)
{
    EXPECT_EQ(P({{"/RemoveOnly", "1"}}), ParseLine("V:\\Vacater.exe /RemoveOnly=1"));
    EXPECT_EQ(P({{"/RemoveOnly", "1"}}), ParseLine("V:\\Vacater.exe /RemoveOnly:1"));
}

TEST(CommandLineOptions, QuotedValueKeepsItsBlanksWithoutQuotes)
{
    EXPECT_EQ(P({{"/RmAbsDir", "C:\\Program Files\\Zevtron Vaultik"}, {"/CleanUpOnly", "0"}}),
              ParseLine("x.exe /RmAbsDir=\"C:\\Program Files\\Zevtron Vaultik\" /CleanUpOnly=0"));
}

TEST(CommandLineOptions, KeyWithoutValueGetsEmptyValue)
{
    EXPECT_EQ(P({{"/CleanUpOnly", ""}}), ParseLine("x.exe /CleanUpOnly"));
    EXPECT_EQ(P({{"/CleanUpOnly", ""}, {"/Sleep", "5"}}), ParseLine("x.exe /CleanUpOnly /Sleep=5"));
}

TEST(CommandLineOptions, KeyWithSeparatorAtTheEndIsDropped)
{
    bool parsed = true;
    EXPECT_EQ(Pairs(), ParseLine("x.exe /RmDir=", &parsed));
    EXPECT_FALSE(parsed);
    EXPECT_EQ(P({{"/A", "1"}}), ParseLine("x.exe /A=1 /RmDir:"));
}

TEST(CommandLineOptions, BlankRightAfterSeparatorStartsTheValue)
{
    // The value keeps its leading blank and then runs to the next blank, so it swallows
    // the option that follows.
    EXPECT_EQ(P({{"/RmDir", " /Sleep=1"}}), ParseLine("x.exe /RmDir= /Sleep=1"));
    EXPECT_EQ(P({{"/RmDir", " abc"}}), ParseLine("x.exe /RmDir= abc def"));
}

TEST(CommandLineOptions, QuotesInsideAndAroundValues)
{
    // A quote inside an unquoted value is an ordinary character.
    EXPECT_EQ(P({{"/A", "ab\"c"}}), ParseLine("x.exe /A=ab\"c"));
    // An unclosed quoted value runs to the end of the line, blanks and slashes included.
    EXPECT_EQ(P({{"/A", "x y /B=2"}}), ParseLine("x.exe /A=\"x y /B=2"));
    // Text after the closing quote is skipped up to the next "/".
    EXPECT_EQ(P({{"/A", "q"}, {"/B", "2"}}), ParseLine("x.exe /A=\"q\"tail junk /B=2"));
    // An empty quoted value.
    EXPECT_EQ(P({{"/A", ""}, {"/B", "2"}}), ParseLine("x.exe /A=\"\" /B=2"));
}

TEST(CommandLineOptions, KeysKeepSlashAndLetterCase)
{
    EXPECT_EQ(P({{"/removeonly", "X"}, {"/SLEEP", "y"}}), ParseLine("x.exe /removeonly=X /SLEEP=y"));
}

TEST(CommandLineOptions, SlashInProgramPathStartsAnUnknownKey)
{
    EXPECT_EQ(P({{"/dir/Vacater.exe", ""}, {"/Sleep", "1"}}), ParseLine("C:/dir/Vacater.exe /Sleep=1"));
}

TEST(CommandLineOptions, TabIsNoSeparator)
{
    EXPECT_EQ(P({{"/A", "1\t/B=2"}}), ParseLine("x.exe /A=1\t/B=2"));
    EXPECT_EQ(P({{"/A\t", "1"}}), ParseLine("x.exe /A\t=1"));
}

TEST(CommandLineOptions, LoneSlash)
{
    EXPECT_EQ(Pairs(), ParseLine("x.exe /"));
    EXPECT_EQ(P({{"/", ""}, {"/B", "1"}}), ParseLine("x.exe / /B=1"));
}

TEST(CommandLineOptions, PairsComeInCommandLineOrder)
{
    EXPECT_EQ(P({{"/DriveLetter", "V"}, {"/CleanUpOnly", "0"}, {"/RmAbsDir", "C:\\a b"},
                 {"/VKDriveLetter", "V:"}, {"/Application", "AppDeck"}, {"/Application", "Tresoria"}}),
              ParseLine("C:\\Temp\\Vacater.exe /DriveLetter=V /CleanUpOnly=0 /RmAbsDir=\"C:\\a b\" "
                        "/VKDriveLetter=V: /Application=AppDeck /Application=Tresoria"));
}

TEST(CommandLineOptions, LongTokensAreCutAtTheTokenBuffer)
{
    for (size_t n : {254u, 255u, 256u, 300u, 5000u}) {
        std::string key = "/" + std::string(n - 1, 'k');  // n characters with the slash
        std::string value(n, 'v');
        std::string line = "x.exe " + key + "=" + value + " /Next=1";
        Pairs pairs = ParseLine(line.c_str());
        ASSERT_EQ(2u, pairs.size()) << n;
        size_t kept = n < 255 ? n : 255;
        EXPECT_EQ(key.substr(0, kept), pairs[0].first) << n;
        EXPECT_EQ(value.substr(0, kept), pairs[0].second) << n;
        EXPECT_EQ(P({{"/Next", "1"}})[0], pairs[1]) << n;
    }
    // A quoted value and a key alone at the end of the line are cut the same way.
    std::string quoted = "x.exe /A=\"" + std::string(400, 'q') + "\"";
    EXPECT_EQ(std::string(255, 'q'), ParseLine(quoted.c_str()).at(0).second);
    std::string lastKey = "x.exe /" + std::string(400, 'z');
    EXPECT_EQ("/" + std::string(254, 'z'), ParseLine(lastKey.c_str()).at(0).first);
}

TEST(ParamListUse, IndexesOutsideTheListGiveEmptyText)
{
    XParamList list;
    EXPECT_STREQ("", list.GetKey(0));
    EXPECT_STREQ("", list.GetValue(0));
    EXPECT_EQ(0, list.GetCount());
    list.SetCommandLine("x.exe /A=1");
    ASSERT_TRUE(list.Parse());
    EXPECT_STREQ("", list.GetKey(1));
    EXPECT_STREQ("", list.GetValue(-1));
}

TEST(ParamListUse, NewCommandLineReplacesThePairs)
{
    XParamList list;
    list.SetCommandLine("x.exe /A=1 /B=2");
    ASSERT_TRUE(list.Parse());
    list.SetCommandLine("x.exe /C=3");
    EXPECT_EQ(0, list.GetCount());
    ASSERT_TRUE(list.Parse());
    ASSERT_EQ(1, list.GetCount());
    EXPECT_STREQ("/C", list.GetKey(0));
    EXPECT_STREQ("3", list.GetValue(0));
}
