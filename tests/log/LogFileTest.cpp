// The log file as another program sees it: a child process logs with real registry
// settings and environment, and the tests compare the bytes of its log file. (The ring
// back-end alone: LogRingTest.cpp.)
#include "ProductFacts.h"
#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <ostream>
#include <regex>
#include <set>
#include <string>
#include <vector>
#include "ChildProcess.h"
#include "FileBytes.h"
#include "Occurrences.h"
#include "RegistryKey.h"

namespace {

const char* const APP_KEY = ZV_SETTINGS_KEY;
const char* const CONF_KEY = "Software\\Zevtron Systems\\LogTests\\conf";

// One registry value: a number (REG_DWORD) or a text (REG_SZ); an empty text removes it.
struct Val {
    const char* name;
    std::string text;
    DWORD number;
    bool isText;
};
Val N(const char* name, DWORD n) { return Val{name, std::string(), n, false}; }
Val S(const char* name, const std::string& t) { return Val{name, t, 0, true}; }

// Replaces "$D" by the test's folder and "$P" by the child's process id.
std::string expand(std::string text, const std::string& dir, DWORD pid = 0)
{
    for (size_t p; (p = text.find("$D")) != std::string::npos;) text.replace(p, 2, dir);
    for (size_t p; (p = text.find("$P")) != std::string::npos;) text.replace(p, 2, std::to_string(pid));
    return text;
}

// The system's text for an error, up to its first line end.
std::string systemText(DWORD code)
{
    char buf[4096] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buf,
                   4095, nullptr);
    return std::string(buf, strcspn(buf, "\r\n"));
}

// Starts log_child.exe (beside us) in cwd (empty: ours) with our environment changed by env
// (an empty value removes the variable; ZVCRYPT_LOG_CONF is removed unless given) and its
// standard error in errPath. Returns its exit code; pid receives its process id.
DWORD runChild(const std::string& args, std::map<std::string, std::string> env, const std::string& cwd,
               const std::string& errPath, DWORD& pid)
{
    env.emplace("ZVCRYPT_LOG_CONF", "");
    std::map<std::string, std::string> saved;
    for (const auto& kv : env) {
        char old[32768];
        DWORD n = GetEnvironmentVariableA(kv.first.c_str(), old, sizeof old);
        saved[kv.first] = n && n < sizeof old ? old : "";
        SetEnvironmentVariableA(kv.first.c_str(), kv.second.empty() ? nullptr : kv.second.c_str());
    }
    ChildStart how;
    how.workDir = cwd;
    how.errPath = errPath;
    DWORD exitCode = RunChild("log_child.exe " + args, how, 120000, &pid);
    if (exitCode == CHILD_NOT_STARTED) ADD_FAILURE() << "log_child did not start: " << GetLastError();
    if (exitCode == CHILD_HUNG) ADD_FAILURE() << "log_child did not end: " << args;
    for (const auto& kv : saved)
        SetEnvironmentVariableA(kv.first.c_str(), kv.second.empty() ? nullptr : kv.second.c_str());
    return exitCode;
}

// The text between the opening block and the closing block of the first run.
std::string bodyOf(const std::string& log)
{
    size_t start = log.find("output=\"\r\n") + 10;  // npos + 10 wraps to 9
    return start < 10 ? std::string() : log.substr(start, log.find("modInfo(\"-\");\r\n", start) - start);
}

class LogFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmp[MAX_PATH];
        GetTempPathA(MAX_PATH, tmp);
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        for (char& c : name)
            if (c == '/') c = '-';  // a case of a table
        dir = std::string(tmp) + "zvlogtest-" + name;
        removeDir();
        CreateDirectoryA(dir.c_str(), nullptr);
        logPath = dir + "\\test.log";
        appKey.reset(new RegistryKey(APP_KEY, RegistryKey::SHARED_KEY));
    }
    void TearDown() override
    {
        appKey.reset();
        confKey.reset();
        removeDir();
    }
    void removeDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    void setValue(RegistryKey& key, const Val& v)
    {
        std::string t = expand(v.text, dir);
        if (!v.isText)
            ASSERT_TRUE(key.dword(v.name, v.number)) << v.name;
        else if (t.empty())
            key.remove(v.name);
        else
            ASSERT_TRUE(key.text(v.name, t)) << v.name;
    }
    // The usual application settings: trace and error lines into logPath.
    void appSettings(DWORD level = 0x09000000)
    {
        for (const Val& v : {N("LogLevel", level), S("LogPath", logPath), N("PrintOut", 0)}) setValue(*appKey, v);
    }
    void setDword(const char* name, DWORD value) { setValue(*appKey, N(name, value)); }
    DWORD run(const std::string& args, const std::map<std::string, std::string>& env = {},
              const std::string& cwd = std::string())
    {
        return runChild(args, env, cwd, dir + "\\stderr.txt", pid);
    }

    DWORD pid = 0;
    std::string dir;
    std::string logPath;
    std::unique_ptr<RegistryKey> appKey;   // the application's settings key
    std::unique_ptr<RegistryKey> confKey;  // the store that ZVCRYPT_LOG_CONF names, when a case has one
};

// ---------------------------------------------------------------------------------------
// Settings, environment and bad input, each seen in the files a run leaves behind. Every
// case starts from the usual application settings.

enum { ABSENT = -1, STARTS = -2, EQUALS = -3 };
struct Expect {
    std::string file;  // in the test's folder
    std::string text;
    int n;             // how often text occurs, or ABSENT / STARTS / EQUALS
};
struct Case {
    const char* name;
    std::string args;
    std::vector<Val> app, conf;  // conf: the store that ZVCRYPT_LOG_CONF names, when not empty
    std::vector<Expect> expect;
    std::map<std::string, std::string> env = {};
    int runs = 1;
    std::string preFile = "", preData = "";  // written before the run
    bool inDir = false;                      // the child's current folder is the test's folder
};
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

const std::string T = "test.log";


std::vector<Case> cases()
{
    const std::vector<Val> early = {N("LogLevel", 0x01000000), S("LogPath", "$D\\test.log"), N("PrintOut", 0)};
    return {
        // A new plain file is open for writing only: the read of its mark fails, and the
        // direct trace says so on standard error (once per run: the second run deletes the
        // log and creates it again).
        {"ClearOnStartEmptiesThePreviousLog", "trace", {}, {},
         {{T, std::string("\0\0createlog();", 14), STARTS}, {T, "continuelog();", 0}, {T, "Hello 5", 1},
          {"stderr.txt", ":-[can't read from file descriptor ", 1}, {"stderr.txt", " 2 Bytes\r", 1},
          {"stderr.txt", ":-[", 1}}, {}, 2},
        {"ContinuedLogReadsItsMarkSilently", "trace", {N("LogClear", 0)}, {},
         {{T, "continuelog();", 1}, {"stderr.txt", ":-[", 0}}, {}, 1, T, std::string("\0\0old\r\n", 7)},
        {"LevelZeroTouchesNoFile", "trace", {N("LogLevel", 0)}, {N("LogLevel", 0), S("LogPath", "$D\\test.log")},
         {{T, "", ABSENT}}},
        {"NullTextStartsNothing", "nulltext", {}, {}, {{T, "", ABSENT}}},
        {"EveryMaskBitMustBeInTheLevel", "masks", {N("LogLevel", 0x01000000)}, {},
         {{T, "trace line\r\n", 1}, {T, "mask0 line\r\n", 1}, {T, "bit31 line", 0}, {T, "error line", 0},
          {T, "scope line", 0}}},
        {"Bit31NeedsItsOwnLevelBit", "masks", {N("LogLevel", 0x81000000)}, {},
         {{T, "trace line\r\n", 1}, {T, "bit31 line\r\n", 1}, {T, "error line", 0}}},
        {"SourceFilterPassesListedFilesAndLinesWithoutSource", "files", {S("LogFiles", "main.cpp debug.cpp")}, {},
         {{T, "C:\\src\\main.cpp(  10): [VACATER]from main\r\n", 1}, {T, "from skip", 0}, {T, "no source\r\n", 1},
          {T, "C:\\src\\debug.cpp)(  12): [VACATER]from debug\r\n", 1}}},
        {"SourceFilterContainingAllPassesEverything", "files", {S("LogFiles", "nothing but overall")}, {},
         {{T, "from skip", 1}}},
        {"ShortPathCutsTheBaseNameToTheField", "format", {N("LogShortPath", 1)}, {},
         {{T, std::string(15, ' ') + "a.cpp(   7): [VACATER]first\r\n", 1},
          {T, "\r\nbase_name_of_25x.cpp(   8): [VACATER]long\r\n", 1}}},
        {"ThreadIdFieldTellsThatThreadSaveIsOff", "trace", {N("ShowTid", 1), N("ThreadSave", 0)}, {},
         {{T, "[TID=", 1}, {T, "[tid=", 0}}},
        {"EnvironmentStoreAppliesBeforeTheApplicationStarts", "pre", {N("LogLevel", 0)},
         early, {{T, "before init\r\n", 1}}},
        {"WithoutEnvironmentStoreEarlyTracesGoNowhere", "pre", {}, {}, {{T, "", ABSENT}}},
        {"ClearAfterAStartedLogEmptiesAndContinuesIt", "preinit", {N("LogLevel", 0x01000000)}, early,
         {{T, "continuelog();\r\n", STARTS}, {T, "before init", 0}, {T, "[VACATER]after init\r\n", 1}, {T, "};\r\n", 1}}},
        {"MissingStoreChangesNothing", "trace", {}, {}, {{T, "Hello 5\r\n", 1}},
         {{"ZVCRYPT_LOG_CONF", "Software\\Zevtron Systems\\NoSuchKey"}}},
        {"LevelAsTextReadsAsZero", "trace", {S("LogLevel", "150994944")}, {}, {{T, "", ABSENT}}},
        {"FlagAsTextIsOff", "trace", {S("ShowPid", "1")}, {}, {{T, "Hello 5\r\n", 1}, {T, "[pid=", 0}}},
        {"MissingFolderLosesLinesUntilItExists", "retry \"$D\\later\"", {S("LogPath", "$D\\later\\test.log")}, {},
         {{"later\\test.log", std::string("\0\0createlog();", 14), STARTS}, {"later\\test.log", "lost line", 0},
          {"later\\test.log", "second line\r\n", 1}, {"later\\test.log", "end(endtime=", 1}}},
        {"UnwritablePathLosesEveryLineButTheProgramGoesOn", "lines 20", {S("LogPath", "$D\\plainfile\\test.log")}, {},
         {{"plainfile", "x", EQUALS}}, {}, 1, "plainfile", "x"},
        // Every line gives up on the file and releases the lock: the other threads go on.
        {"UnwritablePathLetsEveryThreadGoOn", "threads 4 50", {S("LogPath", "$D\\plainfile\\test.log")}, {},
         {{"plainfile", "x", EQUALS}}, {}, 1, "plainfile", "x"},
        {"StaysOpenWritesTheSameLines", "lines 50", {N("LogStaysOpen", 1)}, {},
         {{T, "[VACATER]line ", 50}, {T, "[VACATER]line 49\r\n", 1}, {T, "};\r\n", 1}}},
        {"WideLogIsContinuedInUtf16", "trace", {N("LogClear", 0)}, {},
         {{T, std::string("\xFF\xFE", 2) + Utf16Bytes("old\r\ncontinuelog();\r\n"), STARTS},
          {T, Utf16Bytes("Hello 5\r\n"), 1}, {T, Utf16Bytes("};\r\n"), 1}, {T, "Hello 5", 0}},
         {}, 1, T, std::string("\xFF\xFE", 2) + Utf16Bytes("old\r\n")},
        {"WithoutWriteOutTheNewFileGetsOnlyItsMark", "lines 3", {N("WriteOut", 0), N("PrintOut", 1)}, {},
         {{T, std::string("\0\0", 2), EQUALS}}},
        {"DefaultPathIsInTheProfile", "trace", {S("LogPath", "")}, {}, {{"zv.log", "Hello 5\r\n", 1}},
         {{"USERPROFILE", "$D"}}},
        {"DefaultPathWithoutProfileIsTheCurrentFolder", "trace", {S("LogPath", "")}, {},
         {{"zv.log", "Hello 5\r\n", 1}}, {{"USERPROFILE", ""}}, 1, "", "", true},
        {"NamePartsAndAppendFlagsBuildThePath", "trace",
         {S("LogPath", ""), N("LogFileAppendPID", 1), N("LogFileAppendProcName", 1), S("LogFileName", "app.log"),
          S("LogDirName", "$D")}, {}, {{"app.log_log_child.exe.log_$P.log", "Hello 5\r\n", 1}},
         {{"USERPROFILE", "$D\\profile"}}},
        {"ProfileVariableInTheLogPathIsExpanded", "trace", {S("LogPath", "%USERPROFILE%\\wow32.log")}, {},
         {{"wow32.log", "Hello 5\r\n", 1}}, {{"USERPROFILE", "$D"}}},
        {"PidIsAppendedToTheLogPath", "trace", {S("LogPath", "$D\\p"), N("LogFileAppendPID", 1)}, {},
         {{"p-$P.log", "Hello 5\r\n", 1}}},
        {"StandardErrorCanGoBesideTheLog", "raw", {N("LogRedirectSTDERR", 1)}, {}, {{"test.log.stderr", "raw text 7\r", 1}}},
        {"ForcedCallsAfterTheLoggerGoToStandardError", "trace", {}, {N("LogForce", 1)},
         {{"stderr.txt", "*after the logger 42\r\n", 1}}, {{"ZV_CHILD_AFTER", "1"}}},
        {"UnforcedCallsAfterTheLoggerAreDropped", "trace", {}, {}, {{"stderr.txt", "after the logger", 0}},
         {{"ZV_CHILD_AFTER", "1"}}},
    };
}

class LogSettingsAndBadInput : public LogFile, public ::testing::WithParamInterface<Case> {};

TEST_P(LogSettingsAndBadInput, LeaveTheExpectedFiles)
{
    const Case& c = GetParam();
    appSettings();
    for (const Val& v : c.app) setValue(*appKey, v);
    if (!c.conf.empty()) {
        confKey.reset(new RegistryKey(CONF_KEY));
        for (const Val& v : c.conf) setValue(*confKey, v);
    }
    std::map<std::string, std::string> env;
    for (const auto& kv : c.env) env[kv.first] = expand(kv.second, dir);
    if (!c.conf.empty()) env["ZVCRYPT_LOG_CONF"] = CONF_KEY;
    if (!c.preFile.empty()) {
        ASSERT_TRUE(WriteBytes(dir + "\\" + c.preFile, c.preData));
    }
    for (int i = 0; i < c.runs; ++i)
        ASSERT_EQ(0u, run(expand(c.args, dir), env, c.inDir ? dir : ""));
    for (const Expect& e : c.expect) {
        std::string file = expand("$D\\" + e.file, dir, pid);
        std::string data = ReadBytes(file);
        if (e.n == ABSENT) EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(file.c_str())) << file;
        else if (e.n == STARTS) EXPECT_EQ(e.text, data.substr(0, e.text.size())) << file;
        else if (e.n == EQUALS) EXPECT_EQ(e.text, data) << file;
        else EXPECT_EQ(static_cast<size_t>(e.n), Occurrences(data, e.text)) << file << ": " << e.text << "\n" << data;
    }
}

INSTANTIATE_TEST_SUITE_P(Case, LogSettingsAndBadInput, ::testing::ValuesIn(cases()),
                         [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------
// Whole files and lines, byte for byte.

TEST_F(LogFile, NewFileHasMarkPreambleOpeningLineAndClosingBlock)
{
    appSettings();
    setDword("LogShortPath", 1);
    setDword("ShowDate", 1);
    setDword("ShowPid", 1);
    setDword("ShowTid", 1);
    setDword("FixFileNameLen", 20);
    ASSERT_EQ(0u, run("trace"));

    std::string log = ReadBytes(logPath);
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(std::string("\0\0", 2), log.substr(0, 2));
    const std::string stamp = "Module zvcrypt \\[Compile Time [A-Z][a-z]{2} [ 0-9]\\d \\d{4} \\d\\d:\\d\\d:\\d\\d";
    const std::string ctime = "[A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9]\\d \\d\\d:\\d\\d:\\d\\d \\d{4}";
    const std::string ptr = sizeof(void*) == 8 ? "[0-9A-F]{16}" : "[0-9A-F]{8}";
    std::regex whole(
        std::string("^") + std::string("\0\0", 2) +
        "createlog\\(\\);\r\n"
        "ioFileType\\(\"class zvcrypt::zvFile\"\\);\r\n"
        "modInfo\\(\"-\"\\);\r\n"
        "modInfo\\(\"\"\\);\r\n"
        "modInfo\\(\"" + stamp + "\\]\"\\);\r\n"
        "log\\( starttime=\"" + ctime + "\"\\) \\{\r\n"
        "output=\"\r\n"
        "( {11})debug\\.cpp\\( {0,3}\\d{1,4}\\): \\[VACATER\\]\\[\\d{6} \\d\\d:\\d\\d:\\d\\d:\\d{3}\\] "
        "\\[pid=" + std::to_string(pid) + "\\] \\[tid=" + ptr + "\\]    Hello 5\r\n"
        "modInfo\\(\"-\"\\);\r\n"
        "modInfo\\(\"\"\\);\r\n"
        "modInfo\\(\"" + stamp + "\"\\);\r\n"
        "end\\(endtime=\"" + ctime + "\"\\);\r\n"
        "\\};\r\n$");
    EXPECT_TRUE(std::regex_match(log, whole)) << log.substr(2);
}

TEST_F(LogFile, SecondRunWithoutClearContinuesAfterTheClosingBlock)
{
    appSettings();
    setDword("LogClear", 0);
    ASSERT_EQ(0u, run("trace"));
    std::string first = ReadBytes(logPath);
    ASSERT_EQ(0u, run("trace"));
    std::string both = ReadBytes(logPath);

    EXPECT_EQ(first, both.substr(0, first.size()));
    std::string second = both.substr(first.size());
    std::regex cont(
        "continuelog\\(\\);\r\n"
        "modInfo\\(\"-\"\\);\r\n"
        "modInfo\\(\"Module zvcrypt \\[Compile Time [^\"\\]]*\"\\);\r\n"
        "log\\( starttime=\"[^\"]{24}\"\\) \\{\r\n"
        "output=\"\r\n"
        ".*Hello 5\r\n"
        "modInfo\\(\"-\"\\);\r\n(.|\r|\n)*\\};\r\n");
    EXPECT_TRUE(std::regex_match(second, cont)) << second;
    EXPECT_EQ(1u, Occurrences(both, "createlog();"));
}

TEST_F(LogFile, SourceFieldAlignsContinuesWidensAndEndsLines)
{
    appSettings(0x09100000);  // LOGMASK_NOLINEEND is a mask bit like any other
    ASSERT_EQ(0u, run("format"));
    std::string body = bodyOf(ReadBytes(logPath));
    const std::string a = "C:\\src\\a.cpp";  // 12 characters, right-aligned in 20
    const std::string longPath = "C:\\src\\very\\long_base_name_of_25x.cpp";  // 37 characters
    const std::string pad(longPath.size() - 12, ' ');  // later names align to the widened field
    std::string expected =
        std::string(8, ' ') + a + "(   7): [VACATER]first\r\n" +
        std::string(8 + 12 + 8, ' ') + "[VACATER]continued\r\n" +
        longPath + "(   8): [VACATER]long\r\n" +
        pad + "C:\\src\\b.cpp(   9): [VACATER]short\r\n" +
        pad + "C:\\src\\c.cpp(  10): [VACATER]no end" +
        pad + "C:\\src\\c.cpp(  11): [VACATER]crlf\r\n" +
        pad + "C:\\src\\c.cpp(  12): [VACATER]bare\r\n" +
        pad + "C:\\src\\c.cpp(  13): [VACATER]" + std::string(10, ' ') + "indented\r\n" +
        pad + "C:\\src\\c.cpp(  14): [VACATER]not indented\r\n";
    EXPECT_EQ(expected, body);
}

TEST_F(LogFile, ErrorLineShowsOpenProceduresThreadAndOsError)
{
    appSettings();
    ASSERT_EQ(0u, run("error"));
    std::string body = bodyOf(ReadBytes(logPath));
    std::string e2 = "\t\t******* [OS Error=(2=2)=" + systemText(2) + "]\r\n";
    std::string e5 = "\t\t******* [OS Error=(5=5)=" + systemText(5) + "]\r\n";
    std::string thread = "\t\t******* [infoThread=nothing found]\r\n";
    std::string expected =
        std::string(4, ' ') + "C:\\src\\child.cpp(  20): [VACATER]it failed\r\n"
        "\t\t******* Stacktrace:\r\n"
        "\t\t******* outerProc\r\n"
        "\t\t******* innerProc\r\n" + thread + e2 +
        std::string(4, ' ') + "C:\\src\\child.cpp(  21): [VACATER]failed again\r\n"
        "\t\t******* Stacktrace:\r\n"
        "\t\t******* innerProc\r\n" + thread + e5 +
        std::string(4, ' ') + "C:\\src\\child.cpp(  22): [VACATER]no procedures\r\n" + thread + e2;
    EXPECT_EQ(expected, body);
}

TEST_F(LogFile, ConcurrentThreadsWriteEveryLineOnceAndWhole)
{
    appSettings();
    const size_t threads = 4, lines = 2500;
    ASSERT_EQ(0u, run("threads " + std::to_string(threads) + " " + std::to_string(lines)));
    std::string body = bodyOf(ReadBytes(logPath));
    std::regex whole("(^|\n) *\\S*debug\\.cpp\\( *\\d+\\): \\[VACATER\\]thread (\\d\\d) line (\\d{5}) "
                     "payload-abcdefghijklmnopqrstuvwxyz\r(?=\n)");
    std::set<std::string> seen;
    for (std::sregex_iterator it(body.begin(), body.end(), whole), end; it != end; ++it)
        seen.insert((*it)[2].str() + "/" + (*it)[3].str());
    // Every line once, and nothing but whole lines.
    EXPECT_EQ(threads * lines, seen.size());
    EXPECT_EQ(threads * lines, Occurrences(body, "\r\n"));
}

TEST_F(LogFile, LongTracesAreCutAndPercentSignsStayLiteral)
{
    appSettings();
    ASSERT_EQ(0u, run("cut"));
    std::string body = bodyOf(ReadBytes(logPath));
    // The first line fills the whole 4095-character line buffer: no room for its line end.
    ASSERT_EQ(4095u, body.find_first_not_of('x', body.find("xxxx")));
    EXPECT_EQ(1u, Occurrences(body, "): [VACATER]100% literal %d %s %n\r\n"));
    EXPECT_EQ(1u, Occurrences(body, "): [VACATER]wide 50%\r\n"));
}

} // namespace
