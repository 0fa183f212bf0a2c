// Where the program was started from, whether an instance stays, and the copy's command line.
#include "Relocation.h"
#include "XParamList.h"
#include <map>
#include <string>
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

// What the copy's tokenizer reads from a restart line: the last value of each key.
std::map<std::string, std::string> CopyReads(const char* line)
{
    std::map<std::string, std::string> keys;
    XParamList params;
    params.SetCommandLine(line);
    if (params.Parse())
        for (int i = 0; i < params.GetCount(); ++i) keys[params.GetKey(i)] = params.GetValue(i);
    return keys;
}

TEST(RestartCommandLine, CarriesEveryFolderValueTheCopyReadsBackUnchanged)
{
    const std::string longName(300, 'a');
    const struct {
        const char *tempDir, *rmDir, *rmAbsDir, *vk;
        const char* options;   // after tempDir + "\Vacater.exe"
        const char* leftOut;   // the option left off, and part of its reason
        const char* reason;
    } cases[] = {
        {"C:\\T", "", "E:\\x y", "Q:", " /DriveLetter=E /CleanUpOnly=7 /RmAbsDir=\"E:\\x y\" /VKDriveLetter=Q:", "", ""},
        {"C:\\T", "pkg", "", "Q:", " /DriveLetter=E /CleanUpOnly=7 /RmDir=pkg /VKDriveLetter=Q:", "", ""},
        {"C:\\T", "rel", "C:\\a b", "F", " /DriveLetter=E /CleanUpOnly=7 /RmAbsDir=\"C:\\a b\" /VKDriveLetter=F", "", ""},
        {"C:\\T", "", "", "Q:", "", "", ""},
        {"C:\\my temp", "x", "", "", " /DriveLetter=E /CleanUpOnly=7 /RmDir=x /VKDriveLetter=", "", ""},
        // The copy's own check decides about these: the restart line carries them as given.
        {"C:\\T", "", "C:\\users\\bob", "Q:", " /DriveLetter=E /CleanUpOnly=7 /RmAbsDir=\"C:\\users\\bob\" /VKDriveLetter=Q:", "", ""},
        {"C:\\T", "..", "", "Q:", " /DriveLetter=E /CleanUpOnly=7 /RmDir=.. /VKDriveLetter=Q:", "", ""},
        {"C:\\T", "", "C:\\x\\T\x80", "Q:", " /DriveLetter=E /CleanUpOnly=7 /RmAbsDir=\"C:\\x\\T\x80\" /VKDriveLetter=Q:", "", ""},
        {"C:\\T", "", "C:\\x\\\xdc" "bung", "Q:", " /DriveLetter=E /CleanUpOnly=7 /RmAbsDir=\"C:\\x\\\xdc" "bung\" /VKDriveLetter=Q:", "", ""},
        // The copy would read another value: left off, the other options go.
        {"C:\\T", "C:\\x\\target b", "", "Q:", " /DriveLetter=E /CleanUpOnly=7 /VKDriveLetter=Q:", "/RmDir", "holds a blank"},
        {"C:\\T", "", "C:\\x\\a\"b", "Q:", " /DriveLetter=E /CleanUpOnly=7 /VKDriveLetter=Q:", "/RmAbsDir", "double quote"},
        {"C:\\T", "a\"b", "", "Q:", " /DriveLetter=E /CleanUpOnly=7 /VKDriveLetter=Q:", "/RmDir", "double quote"},
        {"C:\\T", "ok", "a\"b", "Q:", " /DriveLetter=E /CleanUpOnly=7 /VKDriveLetter=Q:", "/RmAbsDir", "double quote"},
        {"C:\\T", "", longName.c_str(), "Q:", " /DriveLetter=E /CleanUpOnly=7 /VKDriveLetter=Q:", "/RmAbsDir",
         "would reach the copy as [aaaa"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.rmDir) + "|" + c.rmAbsDir);
        RestartOptions options = {c.tempDir, 'E', 7, c.rmDir, c.rmAbsDir, c.vk};
        RestartPlan plan = PlanRestart(options);
        EXPECT_EQ(std::string(c.tempDir) + "\\Vacater.exe" + c.options, plan.commandLine.str());
        EXPECT_EQ(c.leftOut, plan.leftOutOption.str());
        EXPECT_NE(std::string::npos, plan.leftOutReason.str().find(c.reason)) << plan.leftOutReason.str();
        // The option the plan names is exactly what the copy reads; a left-out one is not there at all.
        std::map<std::string, std::string> read = CopyReads(plan.commandLine);
        if (*c.leftOut) { EXPECT_EQ(plan.leftOutOption == "/RmAbsDir" ? c.rmAbsDir : c.rmDir, plan.leftOutValue.str()); }
        bool absolute = *c.rmAbsDir != '\0';
        std::string sent = plan.folderOption.str();
        EXPECT_EQ(*c.leftOut || !(*c.rmDir || *c.rmAbsDir) ? "" : absolute ? "/RmAbsDir" : "/RmDir", sent);
        for (const char* option : {"/RmDir", "/RmAbsDir"}) {
            if (sent == option) { EXPECT_EQ(absolute ? c.rmAbsDir : c.rmDir, read[option]); }
            else { EXPECT_EQ(0u, read.count(option)) << option; }
        }
        if (*c.options) { EXPECT_EQ(c.vk, read["/VKDriveLetter"]); }
    }
}
