// Where the program was started from, whether an instance stays, and the copy's command line.
#include "Relocation.h"
#include <gtest/gtest.h>

TEST(StartFolder, IsTheCommandLineBeforeTheFirstProgramName)
{
    const char* const cases[][2] = {
        {"V:\\Vaultik\\pkg\\Vacater.exe /RemoveOnly=1", "V:\\Vaultik\\pkg"},
        {"C:\\a b\\Vacater.exe", "C:\\a b"},
        {"C:\\x\\Vacater.exe /RmDir=C:\\y\\Vacater.exe", "C:\\x"},
        {"\"E:\\Vacater.exe\" /CleanUpOnly=1", "\"E:"},   // the quote goes later
        {"V:\\pkg\\vacater.exe", ""},                     // another letter case or name: nothing
        {"V:\\pkg\\Remover.exe /Sleep=1", ""},
        {"Vacater.exe", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(c[1], CutStartFolder(c[0]).str()) << c[0];
    EXPECT_EQ("", CutStartFolder(nullptr).str());
    EXPECT_EQ("E:", StripOpeningQuote("\"E:").str());
    EXPECT_EQ("", StripOpeningQuote("").str());
}

TEST(InstanceMode, StaysInTempOrWithRemoveOnlyOne)
{
    EXPECT_TRUE(RunsHere("C:\\Temp", "C:\\Temp", 0));
    EXPECT_FALSE(RunsHere("C:\\temp", "C:\\Temp", 0));  // exact comparison
    EXPECT_FALSE(RunsHere("V:\\pkg", "C:\\Temp", 0));
    EXPECT_TRUE(RunsHere("V:\\pkg", "C:\\Temp", 1));
    EXPECT_FALSE(RunsHere("V:\\pkg", "C:\\Temp", 2));
    EXPECT_FALSE(RunsHere("V:\\pkg", "", 0));
}

TEST(RestartCommandLine, CarriesTheOptionsAndPrefersTheAbsoluteFolder)
{
    EXPECT_EQ("C:\\Temp\\Vacater.exe /DriveLetter=V /CleanUpOnly=1 /RmDir=pkg /VKDriveLetter=V:",
              BuildRestartCommandLine("C:\\Temp", 'V', 1, "pkg", "", "V:").str());
    EXPECT_EQ("C:\\T\\Vacater.exe /DriveLetter=E /CleanUpOnly=-3 /RmAbsDir=\"C:\\a b\" /VKDriveLetter=F",
              BuildRestartCommandLine("C:\\T", 'E', -3, "rel", "C:\\a b", "F").str());
    EXPECT_EQ("C:\\T\\Vacater.exe", BuildRestartCommandLine("C:\\T", 'E', 1, "", "", "F").str());
    // A folder value was left out: the other options still go to the copy.
    EXPECT_EQ("C:\\T\\Vacater.exe /DriveLetter=E /CleanUpOnly=1 /VKDriveLetter=F",
              BuildRestartCommandLine("C:\\T", 'E', 1, "", "", "F", true).str());
    EXPECT_EQ("C:\\T\\Vacater.exe /DriveLetter=E /CleanUpOnly=1 /RmDir=x /VKDriveLetter=F",
              BuildRestartCommandLine("C:\\T", 'E', 1, "x", "", "F", true).str());
}

TEST(RestartCommandLine, CarriesOnlyFolderValuesTheCopyReadsBackAndMayRemove)
{
    BatchFolderContext copy;
    copy.workDir = "C:\\users\\bob\\Temp";
    copy.folders = {{"C:\\users\\bob", "a user profile"}, {"C:\\users\\bob\\Temp", "the temporary directory"}};
    copy.ansiCodePage = 1252;
    copy.oemCodePage = 850;
    const std::string longName(300, 'a');
    const struct {
        const char *option, *value;
        RestartFolderVerdict verdict;
        const char* reason;   // part of it
    } cases[] = {
        {"/RmDir", "oldpkg", RESTART_FOLDER_CARRIED, ""},
        {"/RmAbsDir", "C:\\x\\cache", RESTART_FOLDER_CARRIED, ""},
        {"/RmAbsDir", "C:\\x\\\xdc" "bung", RESTART_FOLDER_CARRIED, ""},
        {"/RmDir", "", RESTART_FOLDER_CARRIED, ""},
        // The copy would read another value: a blank ends the unquoted one, a quote either.
        {"/RmDir", "C:\\x\\target b", RESTART_FOLDER_CHANGED, "blank"},
        {"/RmAbsDir", "C:\\x\\a\"b", RESTART_FOLDER_CHANGED, "double quote"},
        {"/RmDir", "a\"b", RESTART_FOLDER_CHANGED, "double quote"},
        {"/RmAbsDir", longName.c_str(), RESTART_FOLDER_CHANGED, "would reach the copy as [aaaa"},
        // Carried unchanged, but the copy's check refuses it.
        {"/RmAbsDir", "C:\\x\\target b", RESTART_FOLDER_REFUSED, "a blank"},
        {"/RmAbsDir", "C:\\users\\bob", RESTART_FOLDER_REFUSED, "a user profile"},
        {"/RmDir", "..", RESTART_FOLDER_REFUSED, "component .."},
        {"/RmAbsDir", "C:\\x\\T\x80", RESTART_FOLDER_REFUSED, "OEM"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.option) + "=" + c.value);
        CString reason = "stale";
        EXPECT_EQ(c.verdict, RestartFolderCarried(c.option, c.value, copy, &reason));
        if (*c.reason) { EXPECT_NE(std::string::npos, reason.str().find(c.reason)) << reason.str(); }
        else { EXPECT_EQ("", reason.str()); }
    }
}
