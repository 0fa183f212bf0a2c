// How the clean-up batch is started: as always where cmd has no AutoRun command, through
// the system folder's cmd with "/d" where it has one; without a console window where
// another terminal stands in for it.
#include "BatchStart.h"
#include <windows.h>
#include <gtest/gtest.h>
#include <string>

TEST(BatchStart, SkipsCmdsAutoRunOnlyWhereOneIsSet)
{
    const struct {
        const char* startCommand;
        bool autoRun;
        const char* systemDir;
        const char* application;
        const char* commandLine;
        bool terminal = false;   // another terminal stands in for the console
    } cases[] = {
        // No AutoRun: no application name, the start command alone.
        {"C:\\Temp\\remove.bat", false, "C:\\Windows\\system32", "", "C:\\Temp\\remove.bat"},
        {"C:\\MYTEMP~1\\remove.bat", false, "C:\\Windows\\system32", "", "C:\\MYTEMP~1\\remove.bat"},
        {"\"C:\\my temp\\remove.bat\"", false, "C:\\Windows\\system32", "", "\"C:\\my temp\\remove.bat\""},
        {"\\remove.bat", false, "C:\\Windows\\system32", "", "\\remove.bat"},
        // AutoRun: cmd by its full path, "/d", and the start command as cmd then reads it.
        {"C:\\Temp\\remove.bat", true, "C:\\Windows\\system32", "C:\\Windows\\system32\\cmd.exe",
         "cmd.exe /d /c \"C:\\Temp\\remove.bat\""},
        {"\"C:\\my temp\\remove.bat\"", true, "C:\\Windows\\system32", "C:\\Windows\\system32\\cmd.exe",
         "cmd.exe /d /c \"\"C:\\my temp\\remove.bat\"\""},
        {"C:\\MYTEMP~1\\remove.bat", true, "D:\\WINNT\\System32", "D:\\WINNT\\System32\\cmd.exe",
         "cmd.exe /d /c \"C:\\MYTEMP~1\\remove.bat\""},
        // No system folder: a cmd.exe searched for could be one planted beside the batch.
        {"C:\\Temp\\remove.bat", true, "", "", "C:\\Temp\\remove.bat"},
        // Windows Terminal as the default terminal: no console window at all, either way.
        {"C:\\Temp\\remove.bat", false, "C:\\Windows\\system32", "", "C:\\Temp\\remove.bat", true},
        {"C:\\Temp\\remove.bat", true, "C:\\Windows\\system32", "C:\\Windows\\system32\\cmd.exe",
         "cmd.exe /d /c \"C:\\Temp\\remove.bat\"", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.startCommand) + (c.autoRun ? " with AutoRun" : "") + (c.terminal ? ", Terminal" : ""));
        BatchStart start = DecideBatchStart(c.startCommand, c.autoRun, c.systemDir, c.terminal);
        EXPECT_EQ(c.application, start.application.str());
        EXPECT_EQ(c.commandLine, start.commandLine.str());
        EXPECT_EQ(c.terminal ? static_cast<unsigned long>(CREATE_NO_WINDOW) : 0ul, start.creationFlags);
    }
}
