// The clean-up batch text, byte for byte, for the three settings and their variants.
#include "CleanUpBatch.h"
#include <gtest/gtest.h>
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
        // Both folders go unquoted; the absolute one is tried three times.
        {nullptr, "C:\\my temp", "Pkg Dir", "C:\\Program Files\\Zv", CLEANUP_DEFAULT, "C:\\my temp\\remove.bat",
         "C:\\my temp",
         "rmdir /S /Q Pkg Dir\r\n" + DEFAULT_MIDDLE +
             Lines({"cd \\ ", ":dir", "rmdir /S /Q C:\\Program Files\\Zv", ":dir", "rmdir /S /Q C:\\Program Files\\Zv",
                    ":dir", "rmdir /S /Q C:\\Program Files\\Zv"}) +
             DEFAULT_TAIL + "del \"C:\\my temp\\remove.bat\"  > NUL\r\n"},
        {"Tresoria", "C:\\Temp", "ignored", "ignored", CLEANUP_TRESORIA, "C:\\Temp\\remove.bat", "C:\\Temp",
         Lines({"@ECHO OFF", "attrib -r *.*", ":repeat", "if not exist \"Vacater.exe\" goto end",
                "del \"Vacater.exe\"  > NUL", "goto repeat", ":end", "del /F /S /Q V:\\Tresoria pkg"})},
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
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const char* start = c.setting == CLEANUP_TRESORIA ? "V:\\Tresoria pkg" : "V:\\pkg";
        CleanUpBatch b = BuildCleanUpBatch(c.app, c.temp, start, c.rmDir, c.rmAbsDir);
        EXPECT_EQ(c.setting, b.setting);
        EXPECT_EQ(c.batchPath, b.batchPath.str());
        EXPECT_EQ(c.workDir, b.workDir.str());
        EXPECT_EQ(c.text, b.text.str());
        if (c.setting == CLEANUP_APPDECK) { EXPECT_EQ(c.workDir, b.deletePath.str()); }
    }
}

TEST(CleanUpBatchText, OnlyExactApplicationNamesSelectASetting)
{
    for (const char* other : {"appdeck", "TRESORIA", "AppDeck ", ""}) EXPECT_EQ(CLEANUP_DEFAULT, CleanUpSettingFor(other));
    EXPECT_EQ(CLEANUP_APPDECK, CleanUpSettingFor("AppDeck"));
    EXPECT_EQ(CLEANUP_TRESORIA, CleanUpSettingFor("Tresoria"));
}
