// The registry files of the package, imported as an administrator would (regedit /S): the
// application's logging start-up (log_child) then writes the kind of log each file names,
// where it names it, or nothing at all; the 32-bit view of the registry gets the same.
#include <gtest/gtest.h>
#include <windows.h>
#include <regex>
#include <string>
#include "ChildProcess.h"
#include "ProductFacts.h"
#include "LogReader.h"
#include "FileBytes.h"
#include "TempDir.h"

namespace {

const char* const SETTINGS_KEY = ZV_SETTINGS_KEY;
const char* const VALUES[] = {"LogLevel", "IOFileType", "MaxFileLen", "LogClear", "LogStaysOpen",
                              "LogFileName", "ShowDate", "ShowPid", "ShowTid"};

std::string packageFile(const char* name)
{
    std::string path = std::string("Z:") + ZV_PACKAGE_DIR + "/" + name;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

bool dwordIn(REGSAM view, const char* name, DWORD& value)
{
    DWORD size = sizeof value, type = 0;
    return RegGetValueA(HKEY_LOCAL_MACHINE, SETTINGS_KEY, name, RRF_RT_ANY | view, &type, &value, &size) ==
               ERROR_SUCCESS && type == REG_DWORD;
}

bool presentIn(REGSAM view, const char* name)
{
    return RegGetValueA(HKEY_LOCAL_MACHINE, SETTINGS_KEY, name, RRF_RT_ANY | view, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
}

void forgetSettings()
{
    for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY, 0, KEY_SET_VALUE | view, &key) != ERROR_SUCCESS)
            continue;
        for (const char* name : VALUES)
            RegDeleteValueA(key, name);
        RegCloseKey(key);
    }
}

// Each test starts and ends without logging settings; the user profile, where the files
// send the log, is a folder of the test's own.
class RegistryFile : public ::testing::Test {
protected:
    RegistryFile() : m_profile("regprofile") {}
    void SetUp() override
    {
        forgetSettings();
        char old[MAX_PATH] = {};
        GetEnvironmentVariableA("USERPROFILE", old, MAX_PATH);
        m_oldProfile = old;
        SetEnvironmentVariableA("USERPROFILE", m_profile.dir().c_str());
    }
    void TearDown() override
    {
        SetEnvironmentVariableA("USERPROFILE", m_oldProfile.c_str());
        forgetSettings();
    }
    void import(const char* name)
    {
        ASSERT_EQ(0u, RunChild("regedit.exe /S \"" + packageFile(name) + "\"", ChildStart(), 60000)) << name;
    }
    // The application's trace start-up with the settings key, then five trace lines.
    void runProgram()
    {
        ChildResult r = runSibling("log_child.exe", "lines 5");
        ASSERT_EQ(0u, r.exitCode);
    }
    std::string profileFile(const char* name) const { return m_profile.path(name); }
    bool exists(const char* name) const
    {
        return GetFileAttributesA(profileFile(name).c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    TempDir m_profile;
    std::string m_oldProfile;
};

// "[yyMMdd HH:mm:ss:mmm] [pid=P] [tid=T]" before the text of a trace line.
const std::regex FIELDS_LINE("\\[VACATER\\]\\[\\d{6} \\d\\d:\\d\\d:\\d\\d:\\d{3}\\] \\[pid=\\d+\\] \\[tid=[0-9A-F]+\\] +line 4\r\n");

TEST_F(RegistryFile, TracesGoIntoAPlainFileThatKeepsEveryRun)
{
    import("logging-traces.reg");
    for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
        DWORD level = 0;
        EXPECT_TRUE(dwordIn(view, "LogLevel", level));
        EXPECT_EQ(0x09000000u, level);
    }
    runProgram();
    runProgram();

    std::string file = ReadBytes(profileFile("zv.log"));
    ASSERT_EQ(0, file.compare(0, 14, std::string(2, '\0') + "createlog();"));
    EXPECT_NE(std::string::npos, file.find("ioFileType(\"class zvcrypt::zvFile\");"));
    EXPECT_NE(std::string::npos, file.find("continuelog();")) << "the second run kept the first";
    EXPECT_TRUE(std::regex_search(file, FIELDS_LINE)) << file;
    EXPECT_EQ(zvcrypt::LOGFILE_PLAIN, zvcrypt::analyseLog(file).nKind);
    EXPECT_FALSE(exists("vacater-ring.log"));
}

TEST_F(RegistryFile, RingGoesIntoAOneMegabyteMappedFile)
{
    import("logging-traces.reg");  // what the ring file must override
    import("logging-ring.reg");
    DWORD size = 0;
    EXPECT_TRUE(dwordIn(KEY_WOW64_32KEY, "MaxFileLen", size));
    EXPECT_EQ(0x100000u, size);
    runProgram();

    std::string file = ReadBytes(profileFile("vacater-ring.log"));
    ASSERT_EQ(1048576u + 44, file.size());
    zvcrypt::LogInOrder log = zvcrypt::readLogInOrder(file);
    EXPECT_EQ(zvcrypt::LOGFILE_RING, log.nKind);
    EXPECT_NE(std::string::npos, log.text.find("ioFileType(\"class zvcrypt::zvIOMemFile\");"));
    EXPECT_TRUE(std::regex_search(log.text, FIELDS_LINE)) << log.text;
    EXPECT_NE(std::string::npos, log.text.find("EOF(lastlogtime="));
    EXPECT_FALSE(exists("zv.log"));
}

TEST_F(RegistryFile, OffWritesNothingAndRemovesTheOtherValues)
{
    import("logging-ring.reg");
    import("logging-off.reg");
    for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
        DWORD level = 1;
        EXPECT_TRUE(dwordIn(view, "LogLevel", level));
        EXPECT_EQ(0u, level);
        for (const char* name : VALUES) {
            if (std::string(name) != "LogLevel") {
                EXPECT_FALSE(presentIn(view, name)) << name;
            }
        }
    }
    runProgram();

    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA(profileFile("*.log*").c_str(), &found);
    EXPECT_EQ(INVALID_HANDLE_VALUE, h) << "a log file was made: " << found.cFileName;
    if (h != INVALID_HANDLE_VALUE)
        FindClose(h);
}

// What an administrator reads in an editor: Windows-1252 text with CR LF line ends.
TEST(PackageText, FilesUseCrLfAndWindows1252)
{
    for (const char* name : {"logging-traces.reg", "logging-ring.reg", "logging-off.reg", "Application.ini", "README.txt"}) {
        std::string text = ReadBytes(packageFile(name));
        ASSERT_FALSE(text.empty()) << name;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\n') {
                ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << name << " offset " << i;
            }
            ASSERT_NE(0, text[i]) << name << ": not 8-bit text";
        }
        EXPECT_EQ('\n', text.back()) << name;
        EXPECT_EQ(std::string::npos, text.find("\xC3")) << name << ": UTF-8, not Windows-1252";
    }
    EXPECT_NE(std::string::npos, ReadBytes(packageFile("Application.ini")).find("k\xF6nnen"));
}

}  // namespace
