// How the clean-up batch is started on this system, seen by a stand-in for system32's
// cmd.exe that records its command line and ends (the test set-up puts it there; Wine runs
// it only for this test program, started with WINEDLLOVERRIDES making cmd.exe native).
// Wine's cmd ignores AutoRun, so the command line is what shows it: with an AutoRun value
// the batch goes through "cmd.exe /d /c", without one it is started as it always was.
#include "CleanUpInTemp.h"
#include "TempDir.h"
#include <gtest/gtest.h>
#include <fstream>
#include <sstream>

namespace {

// The command lines the stand-in recorded for the clean-up run in temp.
std::string StartedCommandLines(const std::string& temp)
{
    const std::string record = temp + "\\cmd-record.txt";
    SetEnvironmentVariableA("ZV_CMD_RECORD", record.c_str());
    EXPECT_EQ(CLEANUP_STARTED, RunCleanUpIn(temp));
    std::string lines;
    for (int i = 0; i < 300 && lines.empty(); ++i, Sleep(100)) {
        std::ifstream in(record, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        lines = s.str();
    }
    return lines;
}

} // namespace

TEST(BatchStartRun, AnAutoRunValueMakesTheBatchStartThroughCmdWithoutIt)
{
    TempDir plain("zvstart"), autoRun("zvstartar");
    const std::string before = StartedCommandLines(plain.dir());
    EXPECT_EQ(std::string::npos, before.find("/d")) << before;
    EXPECT_NE(std::string::npos, before.find(plain.dir() + "\\remove.bat")) << before;

    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Command Processor", 0, nullptr,
                                             0, KEY_SET_VALUE, nullptr, &key, nullptr));
    const char command[] = "cd /d %USERPROFILE%";
    RegSetValueExA(key, "AutoRun", 0, REG_SZ, reinterpret_cast<const BYTE*>(command), sizeof command);
    const std::string with = StartedCommandLines(autoRun.dir());
    RegDeleteValueA(key, "AutoRun");
    RegCloseKey(key);
    EXPECT_EQ("cmd.exe /d /c \"" + autoRun.dir() + "\\remove.bat\"\n", with);
}
