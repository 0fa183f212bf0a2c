// Where the program was started from, whether an instance stays, and the copy's command line.
#include "Relocation.h"
#include <gtest/gtest.h>

TEST(StartFolder, IsTheCommandLineBeforeTheProgramName)
{
    EXPECT_EQ("V:\\Vaultik\\pkg", CutStartFolder("V:\\Vaultik\\pkg\\Vacater.exe /RemoveOnly=1").str());
    EXPECT_EQ("C:\\a b", CutStartFolder("C:\\a b\\Vacater.exe").str());
    // The first occurrence counts.
    EXPECT_EQ("C:\\x", CutStartFolder("C:\\x\\Vacater.exe /RmDir=C:\\y\\Vacater.exe").str());
}

TEST(StartFolder, QuotedPathInDriveRootKeepsThenDropsTheQuote)
{
    CString raw = CutStartFolder("\"E:\\Vacater.exe\" /CleanUpOnly=1");
    EXPECT_EQ("\"E:", raw.str());
    EXPECT_EQ("E:", StripOpeningQuote(raw).str());
    EXPECT_EQ("E:", StripOpeningQuote("E:").str());
    EXPECT_EQ("", StripOpeningQuote("").str());
}

TEST(StartFolder, OtherNameOrLetterCaseFindsNothing)
{
    EXPECT_EQ("", CutStartFolder("V:\\pkg\\vacater.exe").str());
    EXPECT_EQ("", CutStartFolder("V:\\pkg\\Remover.exe /Sleep=1").str());
    EXPECT_EQ("", CutStartFolder("Vacater.exe").str());
    EXPECT_EQ("", CutStartFolder(nullptr).str());
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

TEST(RestartCommandLine, CarriesTheOptionsOn)
{
    EXPECT_EQ("C:\\Temp\\Vacater.exe /DriveLetter=V /CleanUpOnly=1 /RmDir=pkg /VKDriveLetter=V:",
              BuildRestartCommandLine("C:\\Temp", 'V', 1, "pkg", "", "V:").str());
    EXPECT_EQ("C:\\my temp\\Vacater.exe /DriveLetter=V /CleanUpOnly=0 /RmAbsDir=\"C:\\Program Files\\Zv\" "
              "/VKDriveLetter=",
              BuildRestartCommandLine("C:\\my temp", 'V', 0, "", "C:\\Program Files\\Zv", "").str());
}

TEST(RestartCommandLine, AbsoluteFolderWinsOverRelative)
{
    EXPECT_EQ("C:\\T\\Vacater.exe /DriveLetter=E /CleanUpOnly=-3 /RmAbsDir=\"C:\\abs\" /VKDriveLetter=F",
              BuildRestartCommandLine("C:\\T", 'E', -3, "rel", "C:\\abs", "F").str());
}

TEST(RestartCommandLine, WithoutFoldersIsThePathAlone)
{
    EXPECT_EQ("C:\\T\\Vacater.exe", BuildRestartCommandLine("C:\\T", 'E', 1, "", "", "F").str());
}
