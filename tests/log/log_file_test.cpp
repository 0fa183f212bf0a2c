// The log file as another program sees it: a child process logs with real registry
// settings and environment, and the tests compare the bytes of its log file.
#include <gtest/gtest.h>
#include <windows.h>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

const char* const APP_KEY = "Software\\Zevtron Systems\\Zevtron Vaultik\\tresoria";
const char* const CONF_KEY = "Software\\Zevtron Systems\\LogTests\\conf";
const char* const CONF_PARENT = "Software\\Zevtron Systems\\LogTests";

// Every value name a test may set under the application's key; removed before and after
// each test so tests stay independent of each other and of earlier runs.
const char* const LOG_SETTINGS[] = {
    "LogLevel", "LogMask", "LogClear", "IOFileType", "MaxFileLen", "LogFileAppendPID",
    "LogFileAppendProcName", "LogFiles", "FixFileNameLen", "LogShortPath", "ShowPid",
    "ShowTid", "ShowDate", "LogShowFileAndLine", "PrintOut", "WriteOut", "ThreadSave",
    "LogStaysOpen", "LogProfile", "LogProcAnalyse", "LogForce", "LogPath", "LogFileName",
    "LogDirName", "LogRedirectSTDERR", "LogRedirectSTDOUT"};

void deleteSettings(const char* key)
{
    HKEY h;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_SET_VALUE, &h) != ERROR_SUCCESS) return;
    for (const char* name : LOG_SETTINGS) RegDeleteValueA(h, name);
    RegCloseKey(h);
}

void setDword(const char* key, const char* name, DWORD value)
{
    HKEY h;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_SET_VALUE,
                                             nullptr, &h, nullptr));
    RegSetValueExA(h, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(h);
}

void setText(const char* key, const char* name, const std::string& value)
{
    HKEY h;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_SET_VALUE,
                                             nullptr, &h, nullptr));
    RegSetValueExA(h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(h);
}

std::string readFile(const std::string& path)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::string();
    std::string data;
    char buf[65536];
    DWORD n = 0;
    while (ReadFile(h, buf, sizeof buf, &n, nullptr) && n > 0) data.append(buf, n);
    CloseHandle(h);
    return data;
}

void writeFile(const std::string& path, const std::string& data)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    DWORD n = 0;
    WriteFile(h, data.data(), static_cast<DWORD>(data.size()), &n, nullptr);
    CloseHandle(h);
}

bool fileExists(const std::string& path)
{
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string systemText(DWORD code)
{
    char buf[4096] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buf,
                   4095, nullptr);
    char* lf = strchr(buf, '\n');
    if (lf) {
        if (lf > buf) lf[-1] = '\0'; else *lf = '\0';
    }
    return buf;
}

size_t count(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
    return n;
}

std::string wide(const std::string& narrow)
{
    std::string out;
    for (char c : narrow) {
        out += c;
        out += '\0';
    }
    return out;
}

std::string exeDir()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string p(path);
    return p.substr(0, p.rfind('\\'));
}

struct ChildResult {
    DWORD exitCode;
    DWORD pid;
};

// Starts log_child.exe with the arguments and an environment made of ours plus the
// given variables (an empty value removes the variable).
ChildResult runChild(const std::string& args, const std::map<std::string, std::string>& env,
                     const std::string& cwd = std::string(), const std::string& stderrPath = std::string())
{
    std::map<std::string, std::string> vars;
    char* block = GetEnvironmentStringsA();
    for (char* p = block; *p; p += strlen(p) + 1) {
        std::string entry(p);
        size_t eq = entry.find('=', 1);
        if (eq == std::string::npos) continue;
        vars[entry.substr(0, eq)] = entry.substr(eq + 1);
    }
    FreeEnvironmentStringsA(block);
    vars.erase("ZVCRYPT_LOG_CONF");
    for (const auto& kv : env) {
        for (auto it = vars.begin(); it != vars.end();) {
            if (_stricmp(it->first.c_str(), kv.first.c_str()) == 0) it = vars.erase(it); else ++it;
        }
        if (!kv.second.empty()) vars[kv.first] = kv.second;
    }
    std::string envBlock;
    for (const auto& kv : vars) envBlock += kv.first + "=" + kv.second + '\0';
    envBlock += '\0';

    std::string cmd = "\"" + exeDir() + "\\log_child.exe\" " + args;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    HANDLE err = INVALID_HANDLE_VALUE;
    if (!stderrPath.empty()) {
        SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
        err = CreateFileA(stderrPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        si.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
        si.hStdError = err;
    }
    PROCESS_INFORMATION pi = {};
    std::vector<char> cmdLine(cmd.begin(), cmd.end());
    cmdLine.push_back('\0');
    ChildResult result = {0xFFFFFFFF, 0};
    if (!CreateProcessA(nullptr, cmdLine.data(), nullptr, nullptr, TRUE, 0, &envBlock[0],
                        cwd.empty() ? nullptr : cwd.c_str(), &si, &pi)) {
        ADD_FAILURE() << "CreateProcess failed " << GetLastError();
        if (err != INVALID_HANDLE_VALUE) CloseHandle(err);
        return result;
    }
    if (WaitForSingleObject(pi.hProcess, 120000) != WAIT_OBJECT_0) {
        TerminateProcess(pi.hProcess, 99);
        ADD_FAILURE() << "log_child did not end: " << args;
    }
    GetExitCodeProcess(pi.hProcess, &result.exitCode);
    result.pid = pi.dwProcessId;
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    if (err != INVALID_HANDLE_VALUE) CloseHandle(err);
    return result;
}

void removeTree(const std::string& dir)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = fd.cFileName;
            if (name == "." || name == "..") continue;
            std::string path = dir + "\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) removeTree(path);
            else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryA(dir.c_str());
}

// The text between the opening block and the closing block of the first run.
std::string bodyOf(const std::string& log)
{
    size_t start = log.find("output=\"\r\n");
    if (start == std::string::npos) return std::string();
    start += 10;
    size_t end = log.find("modInfo(\"-\");\r\n", start);
    return log.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

class LogFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        deleteSettings(APP_KEY);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, CONF_KEY);
        char tmp[MAX_PATH];
        GetTempPathA(MAX_PATH, tmp);
        dir = std::string(tmp) + "zvlogtest-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
        removeTree(dir);
        CreateDirectoryA(dir.c_str(), nullptr);
        logPath = dir + "\\test.log";
    }
    void TearDown() override
    {
        deleteSettings(APP_KEY);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, CONF_KEY);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, CONF_PARENT);
        removeTree(dir);
    }
    // The usual application settings: trace and error lines into logPath.
    void appSettings(DWORD level = 0x09000000)
    {
        setDword(APP_KEY, "LogLevel", level);
        setText(APP_KEY, "LogPath", logPath);
        setDword(APP_KEY, "PrintOut", 0);
    }
    ChildResult run(const std::string& args, std::map<std::string, std::string> env = {})
    {
        return runChild(args, env);
    }

    std::string dir;
    std::string logPath;
};

// ---------------------------------------------------------------------------------------

TEST_F(LogFile, NewFileHasMarkPreambleOpeningLineAndClosingBlock)
{
    appSettings();
    setDword(APP_KEY, "LogShortPath", 1);
    setDword(APP_KEY, "ShowDate", 1);
    setDword(APP_KEY, "ShowPid", 1);
    setDword(APP_KEY, "ShowTid", 1);
    setDword(APP_KEY, "FixFileNameLen", 20);
    ChildResult r = run("trace");
    ASSERT_EQ(0u, r.exitCode);

    std::string log = readFile(logPath);
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
        "\\[pid=" + std::to_string(r.pid) + "\\] \\[tid=" + ptr + "\\]    Hello 5\r\n"
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
    setDword(APP_KEY, "LogClear", 0);
    ASSERT_EQ(0u, run("trace").exitCode);
    std::string first = readFile(logPath);
    ASSERT_EQ(0u, run("trace").exitCode);
    std::string both = readFile(logPath);

    ASSERT_GT(both.size(), first.size());
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
    EXPECT_EQ(1u, count(both, "createlog();"));
}

TEST_F(LogFile, ClearOnStartEmptiesThePreviousLog)
{
    appSettings();
    ASSERT_EQ(0u, run("trace").exitCode);
    ASSERT_EQ(0u, run("trace").exitCode);
    std::string log = readFile(logPath);
    EXPECT_EQ(1u, count(log, "createlog();"));
    EXPECT_EQ(0u, count(log, "continuelog();"));
    EXPECT_EQ(1u, count(log, "Hello 5"));
}

TEST_F(LogFile, LevelZeroTouchesNoFile)
{
    appSettings(0);
    setDword(CONF_KEY, "LogLevel", 0);
    setText(CONF_KEY, "LogPath", logPath);
    ASSERT_EQ(0u, run("trace", {{"ZVCRYPT_LOG_CONF", CONF_KEY}}).exitCode);
    EXPECT_FALSE(fileExists(logPath));
}

TEST_F(LogFile, NullTextWritesNothingAndStartsNothing)
{
    appSettings();
    ASSERT_EQ(0u, run("nulltext").exitCode);
    // The closing block finds no file to append to.
    EXPECT_FALSE(fileExists(logPath));
}

TEST_F(LogFile, MaskBitsMustAllBeInTheLevel)
{
    appSettings(0x01000000);
    ASSERT_EQ(0u, run("masks").exitCode);
    std::string log = readFile(logPath);
    EXPECT_EQ(1u, count(log, "trace line\r\n"));
    EXPECT_EQ(1u, count(log, "mask0 line\r\n"));
    EXPECT_EQ(0u, count(log, "bit31 line"));
    EXPECT_EQ(0u, count(log, "error line"));
    EXPECT_EQ(0u, count(log, "scope line"));

    setDword(APP_KEY, "LogLevel", 0x81000000);
    ASSERT_EQ(0u, run("masks").exitCode);
    log = readFile(logPath);
    EXPECT_EQ(1u, count(log, "trace line\r\n"));
    EXPECT_EQ(1u, count(log, "bit31 line\r\n"));
    EXPECT_EQ(0u, count(log, "error line"));
}

TEST_F(LogFile, SourceFilterPassesListedFilesAndLinesWithoutSource)
{
    appSettings();
    setText(APP_KEY, "LogFiles", "main.cpp debug.cpp");
    ASSERT_EQ(0u, run("files").exitCode);
    std::string log = readFile(logPath);
    EXPECT_EQ(1u, count(log, "C:\\src\\main.cpp(  10): [VACATER]from main\r\n"));
    EXPECT_EQ(0u, count(log, "from skip"));
    EXPECT_EQ(1u, count(log, "no source\r\n"));
    // The base name loses its closing parenthesis for the filter; the path is shown as passed.
    EXPECT_EQ(1u, count(log, "C:\\src\\debug.cpp)(  12): [VACATER]from debug\r\n"));

    setText(APP_KEY, "LogFiles", "nothing but overall");
    ASSERT_EQ(0u, run("files").exitCode);
    EXPECT_EQ(1u, count(readFile(logPath), "from skip"));
}

TEST_F(LogFile, SourceFieldAlignsContinuesWidensAndEndsLines)
{
    appSettings(0x09100000);  // LOGMASK_NOLINEEND is a mask bit like any other
    ASSERT_EQ(0u, run("format").exitCode);
    std::string body = bodyOf(readFile(logPath));
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

TEST_F(LogFile, ShortPathCutsTheBaseNameToTheField)
{
    appSettings();
    setDword(APP_KEY, "LogShortPath", 1);
    ASSERT_EQ(0u, run("format").exitCode);
    std::string body = bodyOf(readFile(logPath));
    EXPECT_EQ(1u, count(body, std::string(15, ' ') + "a.cpp(   7): [VACATER]first\r\n"));
    EXPECT_EQ(1u, count(body, "\r\nbase_name_of_25x.cpp(   8): [VACATER]long\r\n"));
    EXPECT_EQ(1u, count(body, "\r\n" + std::string(15, ' ') + "b.cpp(   9): [VACATER]short\r\n"));
}

TEST_F(LogFile, ErrorLineShowsOpenProceduresThreadAndOsError)
{
    appSettings();
    ASSERT_EQ(0u, run("error").exitCode);
    std::string body = bodyOf(readFile(logPath));
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
    const int threads = 4, lines = 2500;
    ASSERT_EQ(0u, run("threads " + std::to_string(threads) + " " + std::to_string(lines)).exitCode);
    std::string body = bodyOf(readFile(logPath));
    std::regex lineForm(" *\\S*debug\\.cpp\\( *\\d+\\): \\[VACATER\\]thread (\\d\\d) line (\\d{5}) "
                        "payload-abcdefghijklmnopqrstuvwxyz");
    std::set<std::pair<int, int>> seen;
    size_t pos = 0, bad = 0, dup = 0;
    while (pos < body.size()) {
        size_t end = body.find("\r\n", pos);
        ASSERT_NE(std::string::npos, end);
        std::smatch m;
        std::string one = body.substr(pos, end - pos);
        if (std::regex_match(one, m, lineForm)) {
            if (!seen.insert({std::stoi(m[1]), std::stoi(m[2])}).second) ++dup;
        } else if (bad++ == 0) {
            ADD_FAILURE() << "not a whole line: " << one;
        }
        pos = end + 2;
    }
    EXPECT_EQ(0u, bad);
    EXPECT_EQ(0u, dup);
    EXPECT_EQ(static_cast<size_t>(threads * lines), seen.size());
}

TEST_F(LogFile, ForcedCallsAfterTheLoggerGoToStandardError)
{
    setDword(CONF_KEY, "LogForce", 1);
    std::string errPath = dir + "\\stderr.txt";
    ChildResult r = runChild("trace", {{"ZVCRYPT_LOG_CONF", CONF_KEY}, {"ZV_CHILD_AFTER", "1"}},
                             std::string(), errPath);
    ASSERT_EQ(0u, r.exitCode);
    EXPECT_EQ(1u, count(readFile(errPath), "*after the logger 42\r\n"));

    RegDeleteKeyA(HKEY_LOCAL_MACHINE, CONF_KEY);
    r = runChild("trace", {{"ZV_CHILD_AFTER", "1"}}, std::string(), errPath);
    ASSERT_EQ(0u, r.exitCode);
    EXPECT_EQ(0u, count(readFile(errPath), "after the logger"));
}

TEST_F(LogFile, EnvironmentStoreAppliesBeforeTheApplicationStarts)
{
    setDword(CONF_KEY, "LogLevel", 0x01000000);
    setText(CONF_KEY, "LogPath", logPath);
    setDword(CONF_KEY, "PrintOut", 0);
    ASSERT_EQ(0u, run("pre", {{"ZVCRYPT_LOG_CONF", CONF_KEY}}).exitCode);
    EXPECT_EQ(1u, count(readFile(logPath), "before init\r\n"));

    // Without the environment store the same trace goes nowhere.
    DeleteFileA(logPath.c_str());
    ASSERT_EQ(0u, run("pre").exitCode);
    EXPECT_FALSE(fileExists(logPath));
}

TEST_F(LogFile, ClearAfterAStartedLogEmptiesItAndContinuesIt)
{
    setDword(CONF_KEY, "LogLevel", 0x01000000);
    setText(CONF_KEY, "LogPath", logPath);
    setDword(CONF_KEY, "PrintOut", 0);
    setDword(APP_KEY, "LogLevel", 0x01000000);
    ASSERT_EQ(0u, run("preinit", {{"ZVCRYPT_LOG_CONF", CONF_KEY}}).exitCode);
    std::string log = readFile(logPath);
    // The emptied file counts as existing: no mark, no new-file preamble.
    EXPECT_EQ("continuelog();\r\n", log.substr(0, 16));
    EXPECT_EQ(0u, count(log, "before init"));
    EXPECT_EQ(1u, count(log, "[VACATER]after init\r\n"));
    EXPECT_EQ(1u, count(log, "};\r\n"));
}

TEST_F(LogFile, BadSettingsKeepDefaultsAndNeverCrash)
{
    // A store that does not exist.
    EXPECT_EQ(0u, run("trace", {{"ZVCRYPT_LOG_CONF", "Software\\Zevtron Systems\\NoSuchKey"}}).exitCode);
    // LogLevel as text reads as 0: the application's store asks for no logging.
    setText(APP_KEY, "LogLevel", "150994944");
    setText(APP_KEY, "LogPath", logPath);
    EXPECT_EQ(0u, run("trace").exitCode);
    EXPECT_FALSE(fileExists(logPath));
    // A flag as text is off.
    appSettings();
    setText(APP_KEY, "ShowPid", "1");
    EXPECT_EQ(0u, run("trace").exitCode);
    std::string log = readFile(logPath);
    EXPECT_EQ(1u, count(log, "Hello 5\r\n"));
    EXPECT_EQ(0u, count(log, "[pid="));
}

TEST_F(LogFile, MissingFolderLosesLinesUntilItExists)
{
    std::string sub = dir + "\\later";
    appSettings();
    setText(APP_KEY, "LogPath", sub + "\\test.log");
    ASSERT_EQ(0u, run("retry \"" + sub + "\"").exitCode);
    std::string log = readFile(sub + "\\test.log");
    EXPECT_EQ(0u, count(log, "lost line"));
    EXPECT_EQ(1u, count(log, "second line\r\n"));
    EXPECT_EQ(std::string("\0\0createlog();", 14), log.substr(0, 14));
    EXPECT_EQ(1u, count(log, "end(endtime="));
}

TEST_F(LogFile, UnwritablePathLosesEveryLineButTheProgramGoesOn)
{
    writeFile(dir + "\\plainfile", "x");
    appSettings();
    setText(APP_KEY, "LogPath", dir + "\\plainfile\\test.log");
    EXPECT_EQ(0u, run("lines 20").exitCode);
    EXPECT_EQ("x", readFile(dir + "\\plainfile"));
}

TEST_F(LogFile, LongTracesAreCutAndPercentSignsStayLiteral)
{
    appSettings();
    ASSERT_EQ(0u, run("cut").exitCode);
    std::string body = bodyOf(readFile(logPath));
    // The first line fills the whole 4095-character line buffer: no room for its line end.
    size_t x = body.find("xxxx");
    ASSERT_NE(std::string::npos, x);
    size_t lineStart = 0;
    size_t lastX = body.find_first_not_of('x', x);
    EXPECT_EQ(4095u, lastX - lineStart);
    EXPECT_EQ(1u, count(body, "): [VACATER]100% literal %d %s %n\r\n"));
    EXPECT_EQ(1u, count(body, "): [VACATER]wide 50%\r\n"));
}

TEST_F(LogFile, StaysOpenWritesTheSameLines)
{
    appSettings();
    setDword(APP_KEY, "LogStaysOpen", 1);
    ASSERT_EQ(0u, run("lines 50").exitCode);
    std::string log = readFile(logPath);
    for (int i = 0; i < 50; ++i) EXPECT_EQ(1u, count(log, "): [VACATER]line " + std::to_string(i) + "\r\n"));
    EXPECT_EQ(1u, count(log, "};\r\n"));
}

TEST_F(LogFile, WideLogIsContinuedInUtf16)
{
    appSettings();
    setDword(APP_KEY, "LogClear", 0);
    writeFile(logPath, std::string("\xFF\xFE", 2) + wide("old\r\n"));
    ASSERT_EQ(0u, run("trace").exitCode);
    std::string log = readFile(logPath);
    EXPECT_EQ(std::string("\xFF\xFE", 2) + wide("old\r\ncontinuelog();\r\n"), log.substr(0, 2 + 2 * 21));
    EXPECT_EQ(1u, count(log, wide("Hello 5\r\n")));
    EXPECT_EQ(1u, count(log, wide("};\r\n")));
    EXPECT_EQ(0u, count(log, "Hello 5"));
}

TEST_F(LogFile, WithoutWriteOutTheNewFileGetsOnlyItsMark)
{
    appSettings();
    setDword(APP_KEY, "WriteOut", 0);
    setDword(APP_KEY, "PrintOut", 1);
    ASSERT_EQ(0u, run("lines 3").exitCode);
    EXPECT_EQ(std::string("\0\0", 2), readFile(logPath));
}

TEST_F(LogFile, ThreadIdFieldTellsWhetherThreadSaveIsOn)
{
    appSettings();
    setDword(APP_KEY, "ShowTid", 1);
    setDword(APP_KEY, "ThreadSave", 0);
    ASSERT_EQ(0u, run("trace").exitCode);
    std::string log = readFile(logPath);
    EXPECT_EQ(1u, count(log, "[TID="));
    EXPECT_EQ(0u, count(log, "[tid="));
}

TEST_F(LogFile, DefaultPathIsInTheProfileOrTheCurrentFolder)
{
    setDword(APP_KEY, "LogLevel", 0x01000000);
    setDword(APP_KEY, "PrintOut", 0);
    ASSERT_EQ(0u, runChild("trace", {{"USERPROFILE", dir}}).exitCode);
    EXPECT_EQ(1u, count(readFile(dir + "\\zv.log"), "Hello 5\r\n"));

    std::string cwd = dir + "\\cwd";
    CreateDirectoryA(cwd.c_str(), nullptr);
    ASSERT_EQ(0u, runChild("trace", {{"USERPROFILE", ""}}, cwd).exitCode);
    EXPECT_EQ(1u, count(readFile(cwd + "\\zv.log"), "Hello 5\r\n"));
}

TEST_F(LogFile, NamePartsAndAppendFlagsBuildThePath)
{
    setDword(APP_KEY, "LogLevel", 0x01000000);
    setDword(APP_KEY, "PrintOut", 0);
    setDword(APP_KEY, "LogFileAppendPID", 1);
    setDword(APP_KEY, "LogFileAppendProcName", 1);
    setText(APP_KEY, "LogFileName", "app.log");
    setText(APP_KEY, "LogDirName", dir);
    ChildResult r = runChild("trace", {{"USERPROFILE", dir + "\\profile"}});
    ASSERT_EQ(0u, r.exitCode);
    std::string name = dir + "\\app.log_log_child.exe.log_" + std::to_string(r.pid) + ".log";
    EXPECT_EQ(1u, count(readFile(name), "Hello 5\r\n")) << name;

    deleteSettings(APP_KEY);
    setDword(APP_KEY, "LogLevel", 0x01000000);
    setDword(APP_KEY, "PrintOut", 0);
    setDword(APP_KEY, "LogFileAppendPID", 1);
    setText(APP_KEY, "LogPath", dir + "\\p");
    r = runChild("trace", {});
    std::string path = dir + "\\p-" + std::to_string(r.pid) + ".log";
    EXPECT_EQ(1u, count(readFile(path), "Hello 5\r\n")) << path;
}

TEST_F(LogFile, StandardErrorCanGoBesideTheLog)
{
    appSettings();
    setDword(APP_KEY, "LogRedirectSTDERR", 1);
    ASSERT_EQ(0u, run("raw").exitCode);
    EXPECT_EQ(1u, count(readFile(logPath + ".stderr"), "raw text 7\r"));
}

} // namespace
