// The clean-up batch text, byte for byte, for the three settings and their variants.
#include "CleanUpBatch.h"
#include <gtest/gtest.h>
#include <string>

namespace {

std::string Lines(std::initializer_list<const char*> lines)
{
    std::string text;
    for (const char* l : lines) {
        text += l;
        text += "\r\n";
    }
    return text;
}

const std::string DEFAULT_MIDDLE = Lines({
    ":repeat",
    "if not exist \"Vacater.exe\" goto end",
    "del \"Vacater.exe\"  > NUL ",
    "dir",
    "del \"Vacater.exe\"  > NUL ",
    "dir",
    "del \"Vacater.exe\"  > NUL ",
    ":end",
    "del \"ZevDevDll.dll\"  > NUL",
    "del \"application.ini\"  > NUL",
    "del \"removesplash.bmp\"  > NUL",
    "del \"ejectoksplash.bmp\"  > NUL",
    "del \"msvcp60.dll\"  > NUL",
});

std::string DefaultTail(const char* batchPath)
{
    return Lines({"del %TEMP%\\CleanUp.exe  > NUL", "del %TEMP%\\zevdevascii.log  > NUL"}) + "del \"" +
           batchPath + "\"  > NUL\r\n";
}

} // namespace

TEST(DefaultBatch, WithoutFoldersTriesThriceAndDeletesItselfLast)
{
    CleanUpBatch b = BuildCleanUpBatch("", "C:\\Temp", "V:\\pkg", "", "");
    EXPECT_EQ(CLEANUP_DEFAULT, b.setting);
    EXPECT_EQ("C:\\Temp\\remove.bat", b.batchPath.str());
    EXPECT_EQ("C:\\Temp", b.workDir.str());
    EXPECT_EQ(DEFAULT_MIDDLE + DefaultTail("C:\\Temp\\remove.bat"), b.text.str());
}

TEST(DefaultBatch, RemovesBothFoldersUnquoted)
{
    CleanUpBatch b = BuildCleanUpBatch(nullptr, "C:\\my temp", "V:\\pkg", "Pkg Dir", "C:\\Program Files\\Zv");
    std::string expected = "rmdir /S /Q Pkg Dir\r\n" + DEFAULT_MIDDLE +
                           Lines({"cd \\ ", ":dir", "rmdir /S /Q C:\\Program Files\\Zv", ":dir",
                                  "rmdir /S /Q C:\\Program Files\\Zv", ":dir",
                                  "rmdir /S /Q C:\\Program Files\\Zv"}) +
                           DefaultTail("C:\\my temp\\remove.bat");
    EXPECT_EQ(expected, b.text.str());
}

TEST(DefaultBatch, ApplicationNamesDifferingInCaseSelectIt)
{
    EXPECT_EQ(CLEANUP_DEFAULT, CleanUpSettingFor("appdeck"));
    EXPECT_EQ(CLEANUP_DEFAULT, CleanUpSettingFor("TRESORIA"));
    EXPECT_EQ(CLEANUP_DEFAULT, CleanUpSettingFor("AppDeck "));
    EXPECT_EQ(CLEANUP_APPDECK, CleanUpSettingFor("AppDeck"));
    EXPECT_EQ(CLEANUP_TRESORIA, CleanUpSettingFor("Tresoria"));
}

TEST(DataSafeBatch, DeletesTheWholeStartFolder)
{
    CleanUpBatch b = BuildCleanUpBatch("Tresoria", "C:\\Temp", "V:\\Tresoria pkg", "ignored", "ignored");
    EXPECT_EQ(CLEANUP_TRESORIA, b.setting);
    EXPECT_EQ("C:\\Temp", b.workDir.str());
    EXPECT_EQ(Lines({"@ECHO OFF", "attrib -r *.*", ":repeat", "if not exist \"Vacater.exe\" goto end",
                     "del \"Vacater.exe\"  > NUL", "goto repeat", ":end", "del /F /S /Q V:\\Tresoria pkg"}),
              b.text.str());
}

TEST(LauncherBatch, WorksInTheLaunchersFolder)
{
    CleanUpBatch b = BuildCleanUpBatch("AppDeck", "C:\\Temp", "V:\\pkg", "x", "y");
    EXPECT_EQ(CLEANUP_APPDECK, b.setting);
    EXPECT_EQ("C:\\Temp\\remove.bat", b.batchPath.str());
    EXPECT_EQ("C:\\Temp\\AppDeck", b.workDir.str());
    EXPECT_EQ("C:\\Temp\\AppDeck", b.deletePath.str());
    EXPECT_EQ(Lines({"@ECHO OFF", "attrib -r *.*", "C:\\Temp\\AppDeck\\Dididevive\\Vacater.exe /Sleep=2000",
                     ":repeat", "if not exist \"Vacater.exe\" goto end", "del \"Vacater.exe\"  > NUL ",
                     "goto repeat", ":end", ":repeat2", "if not exist \"AppDeck\\AppDeck.exe\" goto end2",
                     "del \"AppDeck\\AppDeck.exe\"  > NUL ", "goto repeat2", ":end2", ":repeat3",
                     "if not exist \".\\AppDeck\\AppDeck.ini\" goto end3",
                     "del /F /S /Q C:\\Temp\\AppDeck > NUL ", "goto repeat3", ":end3",
                     "cd C:\\Temp\\AppDeck > NUL ", "cd .. ", "rmdir /S /Q AppDeck > NUL "}),
              b.text.str());
}

TEST(LauncherBatch, WithoutTempLeavesTheFolderLinesOut)
{
    CleanUpBatch b = BuildCleanUpBatch("AppDeck", "", "V:\\pkg", "", "");
    EXPECT_EQ("\\remove.bat", b.batchPath.str());
    EXPECT_EQ("", b.workDir.str());
    EXPECT_EQ("", b.deletePath.str());
    EXPECT_EQ(Lines({"@ECHO OFF", "attrib -r *.*", "\\Dididevive\\Vacater.exe /Sleep=2000", ":repeat",
                     "if not exist \"Vacater.exe\" goto end", "del \"Vacater.exe\"  > NUL ", "goto repeat",
                     ":end", ":repeat2", "if not exist \"AppDeck\\AppDeck.exe\" goto end2",
                     "del \"AppDeck\\AppDeck.exe\"  > NUL ", "goto repeat2", ":end2"}),
              b.text.str());
}
