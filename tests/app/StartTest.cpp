// Starting the program from the token drive: relocation to the temporary directory, the
// copy's command line, the modes that stay in place or only sleep, the instance limit and
// the message boxes of a failed copy.
#include "AppFixture.h"

using namespace apptest;

namespace {

void ExpectPackageCopied(const std::string& from, const std::string& to)
{
    std::vector<std::string> names = PACKAGE_FILE_NAMES;
    names.push_back("Vacater.exe");
    for (const std::string& name : names) {
        std::string original, copy;
        ASSERT_TRUE(ReadBytes(from + "\\" + name, original)) << name;
        EXPECT_TRUE(ReadBytes(to + "\\" + name, copy)) << name << " was not copied";
        EXPECT_TRUE(original == copy) << name << " differs from the package's";
    }
}

} // namespace

using RelocatedCopy = AppRun;

TEST_F(RelocatedCopy, StartsFromTempWithTheRmDirOptions)
{
    WriteScenario(SCENARIO_VETO_FOREVER); // keeps the copy busy while it is looked at
    HANDLE first = StartFromToken("/RmDir=oldpkg /CleanUpOnly=0 /VKDriveLetter=V: /Application=AppDeck");
    ASSERT_TRUE(WaitForExit(first, 30000));

    DWORD copy = RelocatedInstance();
    ASSERT_NE(0u, copy);
    ExpectPackageCopied(m_package, m_temp);
    std::string line;
    ASSERT_TRUE(RemoteCommandLine(copy, line));
    EXPECT_EQ(m_temp + "\\Vacater.exe /DriveLetter=V /CleanUpOnly=0 /RmDir=oldpkg /VKDriveLetter=V:", line);

    // The copy knows it is the relocated instance: it runs the dialog and ejects, and starts
    // no further copy.
    HWND dialog = WaitForDialog(copy);
    ASSERT_NE(nullptr, dialog);
    EXPECT_FALSE(IsWindowVisible(dialog));
    EXPECT_TRUE(WaitUntil([&] { return Requests() >= 1; }, 20000));
    EXPECT_EQ(1u, ProcessesNamed("Vacater.exe").size());

    // "HOME" was missing, so the copy set it to the temporary directory.
    std::string home;
    bool present = false;
    ASSERT_TRUE(RemoteEnvironmentValue(copy, "HOME", home, present));
    EXPECT_TRUE(present);
    EXPECT_EQ(m_temp, home);
}

TEST_F(RelocatedCopy, QuotesTheAbsoluteFolderAndFindsItselfInATempWithBlanks)
{
    WriteScenario(SCENARIO_VETO_FOREVER);
    UseTemp(m_root + "\\my temp dir");
    m_env.Set("HOME", "C:\\home of test");
    HANDLE first = StartFromToken("/RmDir=ignored /RmAbsDir=\"C:\\vactest\\abs dir\" /CleanUpOnly=0 "
                                  "/VKDriveLetter=V:");
    ASSERT_TRUE(WaitForExit(first, 30000));

    DWORD copy = RelocatedInstance();
    ASSERT_NE(0u, copy);
    ExpectPackageCopied(m_package, m_temp);
    std::string line;
    ASSERT_TRUE(RemoteCommandLine(copy, line));
    const std::string options = " /DriveLetter=V /CleanUpOnly=0 /RmAbsDir=\"C:\\vactest\\abs dir\" /VKDriveLetter=V:";
    // The program path goes unquoted; Wine (unlike Windows) puts the path it found in quotes
    // before the copy sees it. Either way the copy recognised itself (its dialog below).
    EXPECT_TRUE(line == m_temp + "\\Vacater.exe" + options || line == "\"" + m_temp + "\\Vacater.exe\"" + options)
        << line;
    EXPECT_NE(nullptr, WaitForDialog(copy));
    EXPECT_TRUE(WaitUntil([&] { return Requests() >= 1; }, 20000));
    EXPECT_EQ(1u, ProcessesNamed("Vacater.exe").size());

    std::string home;
    bool present = false;
    ASSERT_TRUE(RemoteEnvironmentValue(copy, "HOME", home, present));
    EXPECT_EQ("C:\\home of test", home) << "a HOME that is set stays as it is";
}

TEST_F(RelocatedCopy, WithoutFoldersGetsItsPathAlone)
{
    WriteScenario(SCENARIO_VETO_FOREVER);
    HANDLE first = StartFromToken("/CleanUpOnly=0");
    ASSERT_TRUE(WaitForExit(first, 30000));
    DWORD copy = RelocatedInstance();
    ASSERT_NE(0u, copy);
    std::string line;
    ASSERT_TRUE(RemoteCommandLine(copy, line));
    EXPECT_EQ(m_temp + "\\Vacater.exe", line);
}

using InstanceMode = AppRun;

TEST_F(InstanceMode, RemoveOnlyOneRunsInPlaceWithoutCopyOrBatch)
{
    DWORD pid = 0;
    HANDLE process = StartFromToken("/RemoveOnly=1 /CleanUpOnly=1", &pid);
    ASSERT_NE(0u, pid);
    EXPECT_NE(nullptr, WaitForDialog(pid)) << "the dialog runs in the started instance";
    ASSERT_TRUE(WaitForExit(process, 30000));
    EXPECT_TRUE(ListDir(m_temp).empty()) << "nothing is copied and no batch is written";
    // With "/CleanUpOnly" the device library is never asked: it would have started its journal.
    EXPECT_FALSE(Exists(m_journal));
}

TEST_F(InstanceMode, SleepOnlySleepsAndEnds)
{
    for (const char* args : {"/RmDir=x /Sleep=300 /CleanUpOnly=1", "/Sleep=0", "/Sleep=300 /RemoveOnly=1"}) {
        HANDLE process = StartFromToken(args);
        ASSERT_TRUE(WaitForExit(process, 30000)) << args;
        EXPECT_TRUE(ListDir(m_temp).empty()) << args;
    }
    EXPECT_FALSE(Exists(m_journal));
}

TEST_F(InstanceMode, ThreeRunningInstancesMakeItWaitOnceAndEnd)
{
    StartFromToken("/Sleep=60000");
    StartFromToken("/Sleep=60000");
    ASSERT_TRUE(WaitUntil([] { return ProcessesNamed("Vacater.exe").size() == 2; }, 20000));
    HANDLE third = StartFromToken("/RmDir=x");
    ASSERT_TRUE(WaitForExit(third, 30000));
    EXPECT_TRUE(ListDir(m_temp).empty()) << "no copy is made while two others run";
    EXPECT_TRUE(ProcessesAt(m_temp + "\\Vacater.exe").empty());
}

using CopyFailure = AppRun;

TEST_F(CopyFailure, MissingTempShowsErrorBoxesAndStartsNothing)
{
    UseTemp(m_root + "\\missing", false);
    DWORD pid = 0;
    HANDLE process = StartFromToken("/RmDir=x", &pid);
    std::vector<std::string> boxes;
    bool ended = WaitUntil(
        [&] {
            for (const std::string& text : CloseErrorBoxes(pid)) boxes.push_back(text);
            return WaitForExit(process, 0);
        },
        30000);
    ASSERT_TRUE(ended) << "the instance did not end";
    EXPECT_EQ(std::vector<std::string>({"CreateFile (temp) Error:INVALID_HANDLE_VALUE",
                                        "Vacater-Tool could not be started"}),
              boxes);
    EXPECT_TRUE(ProcessesNamed("Vacater.exe").empty());
}
