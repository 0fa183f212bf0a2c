// The log file's path from the settings, one row per rule, with the environment and the
// process chosen by the test.
#include <gtest/gtest.h>
#include <zvcrypt/LogPath.h>
#include <map>
#include <string>

namespace {

using zvcrypt::LogFilePath;
using zvcrypt::LogPathSettings;
using zvcrypt::LogPathText;

const std::string PROFILE = "C:\\users\\me";

zvcrypt::EnvLookup environment(bool withProfile)
{
    std::map<std::string, std::string> vars = {{"LOGS", "D:\\logs"}};
    if (withProfile) vars["USERPROFILE"] = PROFILE;
    return [vars](const std::string& name, std::string& value) {
        auto it = vars.find(name);
        if (it == vars.end()) return false;
        value = it->second;
        return true;
    };
}

// A setting absent (null), as the registry holds it (REG_SZ, "=" before it: expanded by the
// store) or as another type ("~" before it: not expanded).
LogPathText text(const char* value)
{
    LogPathText t;
    if (!value) return t;
    t.mbPresent = true;
    t.mbExpand = value[0] == '=';
    t.mText = value[0] == '=' || value[0] == '~' ? value + 1 : value;
    return t;
}

enum { NONE = 0, PID = 1, PROC = 2 };

struct Row {
    const char* name;
    const char* logPath;
    const char* fileName;
    const char* dirName;
    int append;
    bool profile;
    std::string full, base;
};

LogPathSettings settingsOf(const Row& r)
{
    LogPathSettings s;
    s.mLogPath = text(r.logPath);
    s.mLogFileName = text(r.fileName);
    s.mLogDirName = text(r.dirName);
    s.mbAppendPid = (r.append & PID) != 0;
    s.mbAppendProcName = (r.append & PROC) != 0;
    s.mulProcessId = 1234;
    s.mExecutableName = "Vacater.exe";
    return s;
}

TEST(LogFilePath, TheSettingsNameTheFileTheLoggerWrites)
{
    const std::string u = PROFILE;
    const Row rows[] = {
        {"DefaultIsInTheProfile", nullptr, nullptr, nullptr, NONE, true, u + "\\zv.log", u + "\\zv.log"},
        {"DefaultWithoutProfileIsTheCurrentFolder", nullptr, nullptr, nullptr, NONE, false, ".\\zv.log", ".\\zv.log"},
        {"FileNameAloneGoesIntoTheProfile", nullptr, "=app.log", nullptr, NONE, true, u + "\\app.log", u + "\\app.log"},
        {"FileNameAloneWithoutProfile", nullptr, "=app.log", nullptr, NONE, false, ".\\app.log", ".\\app.log"},
        {"DirNameAloneKeepsTheFileName", nullptr, nullptr, "=D:\\x", NONE, true, "D:\\x\\zv.log", "D:\\x\\zv.log"},
        {"PathWithoutBackslashIsTakenAsItIs", "=wow32.log", nullptr, nullptr, NONE, true, "wow32.log", "wow32.log"},
        {"PathWithoutBackslashLeavesThePartsForAFileName", "=wow32.log", "=x.log", nullptr, NONE, true,
         u + "\\x.log", u + "\\x.log"},
        {"PathEndingInBackslashLeavesTheParts", "=C:\\logs\\", "=a.log", nullptr, NONE, true, u + "\\a.log",
         u + "\\a.log"},
        {"EmptyPathNamesNoFile", "=", nullptr, nullptr, NONE, true, "", ""},
        {"ProfileVariableInThePathIsExpanded", "=%USERPROFILE%\\wow32.log", nullptr, nullptr, NONE, true,
         u + "\\wow32.log", u + "\\wow32.log"},
        {"OnlyTheFirstVariableIsExpanded", "=%LOGS%\\%USERPROFILE%.log", nullptr, nullptr, NONE, true,
         "D:\\logs\\%USERPROFILE%.log", "D:\\logs\\%USERPROFILE%.log"},
        {"UnsetVariableExpandsToNothing", "=%NOT_SET%\\a.log", nullptr, nullptr, NONE, true, "\\a.log", "\\a.log"},
        {"ExpandableStringTypeIsNotExpanded", "~%USERPROFILE%\\wow32.log", nullptr, nullptr, NONE, true,
         "%USERPROFILE%\\wow32.log", "%USERPROFILE%\\wow32.log"},
        {"VariablesInFileAndDirNameToo", "=C:\\a\\b.log", "=%LOGS%.log", "=%LOGS%", NONE, true,
         "D:\\logs\\D:\\logs.log", "D:\\logs\\D:\\logs.log"},
        {"PidIsAppendedToThePath", "=C:\\logs\\app", nullptr, nullptr, PID, true, "C:\\logs\\app-1234.log",
         "C:\\logs\\app"},
        {"BothAppendedToThePathEachWithItsLog", "=C:\\logs\\app", nullptr, nullptr, PID | PROC, true,
         "C:\\logs\\app-Vacater.exe.log-1234.log", "C:\\logs\\app"},
        {"FileNameGetsUnderscores", nullptr, "=app.log", nullptr, PID | PROC, true,
         u + "\\app.log_Vacater.exe.log_1234.log", u + "\\app.log"},
        {"AppendFlagsAloneChangeNothing", nullptr, nullptr, nullptr, PID | PROC, true, u + "\\zv.log", u + "\\zv.log"},
        {"DirNameKeepsWhatThePathAppended", "=C:\\a\\b", nullptr, "=E:\\y", PID, true, "E:\\y\\b-1234.log",
         "E:\\y\\b"},
        {"PidAfterATrailingBackslashBecomesTheFileName", "=C:\\logs\\", "=", nullptr, PID, true,
         "C:\\logs\\_1234.log", "C:\\logs\\"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        zvcrypt::EnvLookup env = environment(r.profile);
        LogFilePath path = zvcrypt::zvLogFilePath(settingsOf(r), env);
        EXPECT_EQ(r.full, path.mFullPath);
        EXPECT_EQ(r.base, path.base());
    }
}

TEST(LogFilePath, ALaterStoreBuildsOnTheEarlierOne)
{
    zvcrypt::EnvLookup env = environment(true);
    Row first = {"", "=C:\\a\\x.log", nullptr, nullptr, PID, true, "", ""};
    Row second = {"", nullptr, "=y.log", nullptr, PID, true, "", ""};
    LogFilePath path = zvcrypt::zvLogFilePath(settingsOf(first), env);
    path = zvcrypt::zvLogFilePath(path, settingsOf(second), env);
    EXPECT_EQ("C:\\a\\y.log_1234.log", path.mFullPath);
    EXPECT_EQ("C:\\a\\y.log", path.base());
}

TEST(LogFilePath, EachPieceKeepsAtMost512Characters)
{
    zvcrypt::EnvLookup env = environment(true);
    const std::string dir = "C:\\" + std::string(600, 'd');
    Row r = {"", nullptr, "=f.log", nullptr, PID, true, "", ""};
    LogPathSettings s = settingsOf(r);
    s.mLogDirName = text(("=" + dir).c_str());
    LogFilePath path = zvcrypt::zvLogFilePath(s, env);
    EXPECT_EQ(dir.substr(0, 512), path.mFullPath);  // the file name is cut off with what it appended
    EXPECT_EQ(path.mFullPath, path.base());
}

} // namespace
