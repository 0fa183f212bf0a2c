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
}
