// The clean-up batch text, byte for byte, for the three settings and their variants.
#include "CleanUpBatch.h"
#include "BatchCodePage.h"
#include "FakeBatchHost.h"
#include <gtest/gtest.h>
#include <map>
#include <string>

namespace {

std::string Lines(std::initializer_list<const char*> lines)
{
    std::string text;
    for (const char* l : lines) text = text + l + "\r\n";
    return text;
}

const std::string DEFAULT_MIDDLE = Lines({":repeat", "if not exist \"Vacater.exe\" goto end",
    "del \"Vacater.exe\"  > NUL ", "dir", "del \"Vacater.exe\"  > NUL ", "dir", "del \"Vacater.exe\"  > NUL ", ":end",
    "del \"ZevDevDll.dll\"  > NUL", "del \"application.ini\"  > NUL", "del \"removesplash.bmp\"  > NUL",
    "del \"ejectoksplash.bmp\"  > NUL", "del \"msvcp60.dll\"  > NUL"});
const std::string DEFAULT_TAIL = Lines({"del %TEMP%\\CleanUp.exe  > NUL", "del %TEMP%\\zevdevascii.log  > NUL"});
const std::string LAUNCHER_HEAD = Lines({"@ECHO OFF", "attrib -r *.*"});
const std::string LAUNCHER_LOOPS = Lines({":repeat", "if not exist \"Vacater.exe\" goto end",
    "del \"Vacater.exe\"  > NUL ", "goto repeat", ":end", ":repeat2", "if not exist \"AppDeck\\AppDeck.exe\" goto end2",
    "del \"AppDeck\\AppDeck.exe\"  > NUL ", "goto repeat2", ":end2"});

} // namespace

TEST(CleanUpBatchText, IsExactForEachSetting)
{
    const struct {
        const char *app, *temp, *rmDir, *rmAbsDir;
        CleanUpSetting setting;
        std::string batchPath, workDir, text;
    } cases[] = {
        {"", "C:\\Temp", "", "", CLEANUP_DEFAULT, "C:\\Temp\\remove.bat", "C:\\Temp",
         DEFAULT_MIDDLE + DEFAULT_TAIL + "del \"C:\\Temp\\remove.bat\"  > NUL\r\n"},
        // Both folders go unquoted; the absolute one is tried three times. "%TEMP%" would
        // split at the blank: its short form stands there; the quoted batch path keeps it.
        {nullptr, "C:\\my temp", "Pkg Dir", "C:\\Program Files\\Zv", CLEANUP_DEFAULT, "C:\\my temp\\remove.bat",
         "C:\\my temp",
         "rmdir /S /Q Pkg Dir\r\n" + DEFAULT_MIDDLE +
             Lines({"cd \\ ", ":dir", "rmdir /S /Q C:\\Program Files\\Zv", ":dir", "rmdir /S /Q C:\\Program Files\\Zv",
                    ":dir", "rmdir /S /Q C:\\Program Files\\Zv"}) +
             Lines({"del C:\\MYTEMP~1\\CleanUp.exe  > NUL", "del C:\\MYTEMP~1\\zevdevascii.log  > NUL"}) +
             "del \"C:\\my temp\\remove.bat\"  > NUL\r\n"},
        {"Tresoria", "C:\\Temp", "ignored", "ignored", CLEANUP_TRESORIA, "C:\\Temp\\remove.bat", "C:\\Temp",
         Lines({"@ECHO OFF", "attrib -r *.*", ":repeat", "if not exist \"Vacater.exe\" goto end",
                "del \"Vacater.exe\"  > NUL", "goto repeat", ":end", "del /F /S /Q V:\\TRESOR~1"})},
        {"AppDeck", "C:\\Temp", "x", "y", CLEANUP_APPDECK, "C:\\Temp\\remove.bat", "C:\\Temp\\AppDeck",
         Lines({"@ECHO OFF", "attrib -r *.*", "C:\\Temp\\AppDeck\\Dididevive\\Vacater.exe /Sleep=2000"}) +
             LAUNCHER_LOOPS +
             Lines({":repeat3", "if not exist \".\\AppDeck\\AppDeck.ini\" goto end3",
                    "del /F /S /Q C:\\Temp\\AppDeck > NUL ", "goto repeat3", ":end3", "cd C:\\Temp\\AppDeck > NUL ",
                    "cd .. ", "rmdir /S /Q AppDeck > NUL "})},
        // Without a temporary directory the launcher's folder lines are left out.
        {"AppDeck", "", "", "", CLEANUP_APPDECK, "\\remove.bat", "",
         Lines({"@ECHO OFF", "attrib -r *.*", "\\Dididevive\\Vacater.exe /Sleep=2000"}) + LAUNCHER_LOOPS},
    };
    // A start folder with a blank would split as well: its short form.
    FakeBatchHost host({{"C:\\my temp", "C:\\MYTEMP~1"}, {"V:\\Tresoria pkg", "V:\\TRESOR~1"}});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const char* start = c.setting == CLEANUP_TRESORIA ? "V:\\Tresoria pkg" : "V:\\pkg";
        CleanUpBatch b = BuildCleanUpBatch(c.app, c.temp, start, c.rmDir, c.rmAbsDir, host);
        EXPECT_EQ(c.setting, b.setting);
        EXPECT_EQ(c.batchPath, b.batchPath.str());
        EXPECT_EQ(c.workDir, b.workDir.str());
        EXPECT_EQ(c.text, b.text.str());
        EXPECT_TRUE(b.oemOk);
        EXPECT_EQ(c.text, b.oemText.str()) << "ASCII is the same in both code pages";
        EXPECT_TRUE(b.leftOut.empty());
        // The batch is started by its path, short when the directory has a blank.
        EXPECT_EQ(std::string(c.temp) == "C:\\my temp" ? "C:\\MYTEMP~1\\remove.bat" : c.batchPath, b.startCommand.str());
        if (c.setting == CLEANUP_APPDECK) { EXPECT_EQ(c.workDir, b.deletePath.str()); }
    }
}

// Paths of the program's own that cmd would read otherwise: each setting writes them in
// their short form, and leaves out the lines that need one that has none.
TEST(CleanUpBatchText, OwnPathsCmdWouldMisreadGoShortOrTheirLinesAreLeftOut)
{
    const std::string DATASAFE_HEAD = Lines({"@ECHO OFF", "attrib -r *.*", ":repeat",
        "if not exist \"Vacater.exe\" goto end", "del \"Vacater.exe\"  > NUL", "goto repeat", ":end"});
    auto launcherTail = [](const std::string& d) {
        return Lines({":repeat3", "if not exist \".\\AppDeck\\AppDeck.ini\" goto end3", ("del /F /S /Q " + d + " > NUL ").c_str(),
                      "goto repeat3", ":end3", ("cd " + d + " > NUL ").c_str(), "cd .. ", "rmdir /S /Q AppDeck > NUL "});
    };
    const std::map<std::string, std::string> shortNames = {
        {"C:\\Temp Dir", "C:\\TEMPDI~1"}, {"C:\\Temp Dir\\AppDeck", "C:\\TEMPDI~1\\AppDeck"},
        {"C:\\Temp&Co", "C:\\TEMPCO~1"}, {"C:\\Temp&Co\\AppDeck", "C:\\TEMPCO~1\\AppDeck"},
        {"C:\\50%\\t", "C:\\50_~1\\t"}, {"C:\\T\x80", "C:\\T_~1"},   // \x80: the euro sign, not in 850
        {"C:\\a,b", "C:\\a,b"},   // 8.3 names switched off: the "short" form is the long one
    };
    const struct {
        const char *app, *temp, *start;
        std::string text, startCommand;
        const char* leftOut;   // part of the one note, or "" for none
    } cases[] = {
        // A blank: the short form wherever the path stands unquoted.
        {"", "C:\\Temp Dir", "", DEFAULT_MIDDLE + Lines({"del C:\\TEMPDI~1\\CleanUp.exe  > NUL",
            "del C:\\TEMPDI~1\\zevdevascii.log  > NUL", "del \"C:\\Temp Dir\\remove.bat\"  > NUL"}),
         "C:\\TEMPDI~1\\remove.bat", ""},
        {"AppDeck", "C:\\Temp Dir", "", LAUNCHER_HEAD + "C:\\TEMPDI~1\\AppDeck\\Dididevive\\Vacater.exe /Sleep=2000\r\n" +
            LAUNCHER_LOOPS + launcherTail("C:\\TEMPDI~1\\AppDeck"), "C:\\TEMPDI~1\\remove.bat", ""},
        {"Tresoria", "C:\\Temp Dir", "C:\\Temp Dir", DATASAFE_HEAD + "del /F /S /Q C:\\TEMPDI~1\r\n",
         "C:\\TEMPDI~1\\remove.bat", ""},
        // A command separator, and '%', which expands even between quotes.
        {"AppDeck", "C:\\Temp&Co", "", LAUNCHER_HEAD + "C:\\TEMPCO~1\\AppDeck\\Dididevive\\Vacater.exe /Sleep=2000\r\n" +
            LAUNCHER_LOOPS + launcherTail("C:\\TEMPCO~1\\AppDeck"), "C:\\TEMPCO~1\\remove.bat", ""},
        {"", "C:\\50%\\t", "", DEFAULT_MIDDLE + Lines({"del C:\\50_~1\\t\\CleanUp.exe  > NUL",
            "del C:\\50_~1\\t\\zevdevascii.log  > NUL", "del \"C:\\50_~1\\t\\remove.bat\"  > NUL"}),
         "C:\\50_~1\\t\\remove.bat", ""},
        // A character without an OEM form, quoted or not.
        {"", "C:\\T\x80", "", DEFAULT_MIDDLE + Lines({"del C:\\T_~1\\CleanUp.exe  > NUL",
            "del C:\\T_~1\\zevdevascii.log  > NUL", "del \"C:\\T_~1\\remove.bat\"  > NUL"}), "C:\\T_~1\\remove.bat", ""},
        // Letters with an OEM form stand as they are.
        {"", "C:\\J\xfcrgen\\Temp", "", DEFAULT_MIDDLE + DEFAULT_TAIL + "del \"C:\\J\xfcrgen\\Temp\\remove.bat\"  > NUL\r\n",
         "C:\\J\xfcrgen\\Temp\\remove.bat", ""},
        {"Tresoria", "C:\\Temp", "V:\\Pr\xfc" "fung", DATASAFE_HEAD + "del /F /S /Q V:\\Pr\xfc" "fung\r\n",
         "C:\\Temp\\remove.bat", ""},
        // No short form: those lines go, the rest stays; the batch starts by its quoted path.
        {"", "C:\\No Short", "", DEFAULT_MIDDLE + "del \"C:\\No Short\\remove.bat\"  > NUL\r\n",
         "\"C:\\No Short\\remove.bat\"", "the temporary directory [C:\\No Short] holds a blank"},
        {"AppDeck", "C:\\a,b", "", LAUNCHER_HEAD + LAUNCHER_LOOPS, "\"C:\\a,b\\remove.bat\"",
         "its short form [C:\\a,b] holds a separator"},
        {"", "C:\\x%y%", "", DEFAULT_MIDDLE, "\"C:\\x%y%\\remove.bat\"", "the line that deletes the batch is left out"},
    };
    FakeBatchHost host(shortNames);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.app) + " " + c.temp);
        CleanUpBatch b = BuildCleanUpBatch(c.app, c.temp, c.start, "", "", host);
        EXPECT_EQ(c.text, b.text.str());
        EXPECT_EQ(c.startCommand, b.startCommand.str());
        std::string notes;
        for (const CString& n : b.leftOut) notes += n.str() + "\n";
        if (*c.leftOut) { EXPECT_NE(std::string::npos, notes.find(c.leftOut)) << notes; }
        else { EXPECT_EQ("", notes); }
    }
}

TEST(CleanUpBatchText, TheFileHoldsTheTextInCmdsCodePage)
{
    // C:\Users\Jürgen\Temp: ü is FC in 1252, 81 in 850 and 437.
    for (unsigned int oem : {850u, 437u}) {
        CleanUpBatch b = BuildCleanUpBatch("", "C:\\Users\\J\xfcrgen\\Temp", "", "", "C:\\x\\\xdc" "bung", FakeBatchHost({}, oem));
        SCOPED_TRACE(oem);
        ASSERT_TRUE(b.oemOk);
        std::string expected = b.text.str();
        for (char& c : expected) c = c == '\xfc' ? '\x81' : c == '\xdc' ? '\x9a' : c;
        EXPECT_EQ(expected, b.oemText.str());
        EXPECT_NE(std::string::npos, b.oemText.str().find("rmdir /S /Q C:\\x\\\x9a" "bung\r\n"));
        EXPECT_NE(std::string::npos, b.oemText.str().find("del \"C:\\Users\\J\x81rgen\\Temp\\remove.bat\""));
    }
    // Ø is 9D in 850 and has no form in 437: a folder value the caller did not check.
    EXPECT_TRUE(BuildCleanUpBatch("", "C:\\T", "", "", "C:\\\xd8", FakeBatchHost({}, 850)).oemOk);
    CleanUpBatch b = BuildCleanUpBatch("", "C:\\T", "", "", "C:\\\xd8", FakeBatchHost({}, 437));
    EXPECT_FALSE(b.oemOk);
    EXPECT_EQ("", b.oemText.str());
}

TEST(CleanUpBatchText, OnlyExactApplicationNamesSelectASetting)
{
    for (const char* other : {"appdeck", "TRESORIA", "AppDeck ", ""}) EXPECT_EQ(CLEANUP_DEFAULT, CleanUpSettingFor(other));
    EXPECT_EQ(CLEANUP_APPDECK, CleanUpSettingFor("AppDeck"));
    EXPECT_EQ(CLEANUP_TRESORIA, CleanUpSettingFor("Tresoria"));
}

// A console that would read another code page: the batch sets the one its bytes are in
// before its first path, and is otherwise the same, byte for byte.
TEST(CleanUpBatchText, SetsItsCodePageFirstWhereTheConsoleWouldReadAnother)
{
    const struct {
        const char* app;
        size_t at;   // index of the line that sets the code page
    } cases[] = {{"", 0}, {"AppDeck", 1}, {"Tresoria", 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.app);
        FakeBatchHost plain;
        CleanUpBatch usual = BuildCleanUpBatch(c.app, "C:\\J\xfcrgen", "V:\\pkg", "pkg", "C:\\x\\\xdc" "bung", plain);
        FakeBatchHost host;
        host.console.consoleValue = 65001;
        CleanUpBatch b = BuildCleanUpBatch(c.app, "C:\\J\xfcrgen", "V:\\pkg", "pkg", "C:\\x\\\xdc" "bung", host);
        std::string text = usual.text.str();
        size_t pos = 0;
        for (size_t i = 0; i < c.at; ++i) pos = text.find("\r\n", pos) + 2;
        EXPECT_EQ(text.insert(pos, "chcp 850 > NUL\r\n"), b.text.str());
        ASSERT_TRUE(b.oemOk);
        EXPECT_EQ(0u, b.oemText.str().find(usual.oemText.str().substr(0, pos))) << "the same bytes before it";
        EXPECT_TRUE(b.leftOut.empty());
    }
}

// A file in the working directory named like a command of the batch would run in its place
// (cmd looks there before PATH): the command goes by the system's full path, traced.
TEST(CleanUpBatchText, ACommandShadowedInTheWorkingDirectoryGoesByItsFullPath)
{
    const std::string ATTRIB = "\"%SystemRoot%\\System32\\attrib.exe\" -r *.*\r\n";
    const struct {
        const char* app;
        const char* planted;   // "<folder>\<name>"
        unsigned int console;  // HKCU\Console's code page, 0 for none
        const char* expected;  // part of the text
        bool noted;
    } cases[] = {
        {"Tresoria", "C:\\Temp\\attrib", 0, "@ECHO OFF\r\n\"%SystemRoot%\\System32\\attrib.exe\" -r *.*\r\n", true},
        {"AppDeck", "C:\\Temp\\AppDeck\\attrib", 0, "@ECHO OFF\r\n\"%SystemRoot%\\System32\\attrib.exe\" -r *.*\r\n", true},
        {"AppDeck", "C:\\Temp\\attrib", 0, "@ECHO OFF\r\nattrib -r *.*\r\n", false},   // not where it runs
        {"Tresoria", "C:\\Temp\\chcp", 437, "@ECHO OFF\r\n\"%SystemRoot%\\System32\\chcp.com\" 850 > NUL\r\nattrib -r", true},
        {"", "C:\\Temp\\chcp", 65001, "\"%SystemRoot%\\System32\\chcp.com\" 850 > NUL\r\n:repeat\r\n", true},
        {"", "C:\\Temp\\attrib", 0, ":repeat\r\n", false},   // the default batch names no external command
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.app) + " " + c.planted);
        FakeBatchHost host;
        host.planted.insert(c.planted);
        host.console.consoleValue = c.console;
        CleanUpBatch b = BuildCleanUpBatch(c.app, "C:\\Temp", "V:\\pkg", "", "", host);
        EXPECT_EQ(0u, b.text.str().find(c.expected)) << b.text.str();
        ASSERT_EQ(c.noted ? 1u : 0u, b.leftOut.size());
        if (c.noted) { EXPECT_NE(std::string::npos, b.leftOut[0].str().find("by its full path")) << b.leftOut[0].str(); }
    }
}

// Each code page pair: the file's bytes read back in the OEM code page are the text; a path
// of ours with a character that has no form there loses only its own lines.
TEST(CleanUpBatchText, EveryCodePageReadsBackTheTextAndRefusesOnlyAPathWithoutForm)
{
    const struct {
        unsigned int oem, ansi;
        const char* temp;        // ANSI bytes
        const char* folder;      // an "/RmAbsDir" value, ANSI bytes
        bool tempUsable;         // the temporary directory has a form in the OEM code page
    } cases[] = {
        {437, 1252, "C:\\J\xfcrgen", "C:\\x\\\xdc" "bung", true},
        {437, 1252, "C:\\\xd8rsted", "C:\\x\\\xdc" "bung", false},
        {850, 1252, "C:\\\xd8rsted", "C:\\x\\Stra\xdf" "e", true},
        {852, 1250, "C:\\\xa3ukasz", "C:\\x\\\xaf\xf3\xb3w", true},          // Łukasz, Żółw
        {852, 1250, "C:\\T\x80", "C:\\x\\\xaf\xf3\xb3w", false},              // the euro sign
        {65001, 65001, "C:\\J\xc3\xbcrgen", "C:\\x\\\xe4\xb8\xad\xe6\x96\x87", true},   // ü, 中文
        {54936, 54936, "C:\\J\xa8\xb9rgen", "C:\\x\\\xd6\xd0\xce\xc4", true},   // ü, 中文
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.oem) + "/" + std::to_string(c.ansi) + " " + c.temp);
        FakeBatchHost host({}, c.oem, c.ansi);
        CleanUpBatch b = BuildCleanUpBatch("", c.temp, "V:\\pkg", "", c.folder, host);
        ASSERT_TRUE(b.oemOk);
        std::wstring written, read;
        ASSERT_TRUE(AnsiToWide(b.text, c.ansi, &written, host.CodePages()));
        ASSERT_TRUE(OemToWide(b.oemText, c.oem, &read, host.CodePages()));
        EXPECT_TRUE(written == read) << "cmd reads another text";
        EXPECT_NE(std::string::npos, b.text.str().find(std::string("rmdir /S /Q ") + c.folder + "\r\n"));
        EXPECT_EQ(c.tempUsable, b.text.str().find(std::string("del \"") + c.temp + "\\remove.bat\"") != std::string::npos);
        EXPECT_EQ(c.tempUsable ? 0u : 2u, b.leftOut.size()) << "one note for the directory's lines, one for the batch's own";
        EXPECT_NE(std::string::npos, b.text.str().find("del \"msvcp60.dll\"  > NUL\r\n")) << "the rest stays";
    }
}

TEST(CleanUpBatchText, ADataSafeBatchWithoutStartFolderHasNoBareDelete)
{
    CleanUpBatch b = BuildCleanUpBatch("Tresoria", "C:\\Temp", "", "", "", FakeBatchHost());
    EXPECT_EQ(std::string::npos, b.text.str().find("del /F /S /Q")) << b.text.str();
    ASSERT_EQ(1u, b.leftOut.size());
    EXPECT_NE(std::string::npos, b.leftOut[0].str().find("the start folder [] is empty"));
}
