// The support report: where the logger's files are looked for, what the page says from
// given facts, and the program itself on the Wine prefix.
#include "ChildProcess.h"
#include "FileBytes.h"
#include "Occurrences.h"
#include "RegisteredDevice.h"
#include "RegistryKey.h"
#include "SupportReport.h"
#include "TempDir.h"
#include <gtest/gtest.h>

using namespace report;

namespace {

RegistryValue Text(const char* name, const char* value, unsigned long type = REG_SZ) { return {name, type, 0, value, value}; }
RegistryValue Number(const char* name, unsigned long value) { return {name, REG_DWORD, value, "", ""}; }

// The registry values of a key under HKLM, as "name=type:bytes" lines.
std::string ValuesOf(const char* key)
{
    std::string out;
    HKEY h;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &h) != ERROR_SUCCESS) return "(no key)";
    char name[256];
    BYTE data[1024];
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = sizeof name, size = sizeof data, type = 0;
        if (RegEnumValueA(h, i, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
        out += std::string(name) + "=" + std::to_string(type) + ":" + std::string(reinterpret_cast<char*>(data), size) + "\n";
    }
    RegCloseKey(h);
    return out;
}

} // namespace

TEST(SupportReportLogFiles, SettingsAreHandedToTheLoggersPathRuleAsTheRegistryHoldsThem)
{
    struct Case {
        const char* name;
        std::vector<RegistryValue> values;
        bool earlierPid;
        std::string path;      // LogPath: present, text, expanded (p/t/e)
        bool pid, procName;
    } cases[] = {
        {"nothing set", {}, false, "", false, false},
        {"a text is expanded", {Text("logpath", "%USERPROFILE%\\w.log")}, false, "p%USERPROFILE%\\w.loge", false, false},
        {"an expandable text is not", {Text("LogPath", "%X%", REG_EXPAND_SZ)}, false, "p%X%", false, false},
        {"a number is present, no text", {Number("LogPath", 5)}, false, "p", false, false},
        {"an empty text counts", {Text("LogPath", "")}, false, "pe", false, false},
        {"flags are the number 1", {Number("LogFileAppendPID", 1), Number("LogFileAppendProcName", 2)}, false, "", true,
         false},
        {"an earlier store's flag stays", {}, true, "", true, false},
        {"and a later 0 ends it", {Number("LogFileAppendPID", 0)}, true, "", false, false},
    };
    for (const Case& c : cases) {
        zvcrypt::LogPathSettings s = LogSettingsOf(c.values, c.earlierPid, false);
        std::string path = s.mLogPath.mbPresent ? "p" + s.mLogPath.mText + (s.mLogPath.mbExpand ? "e" : "") : "";
        EXPECT_EQ(c.path, path) << c.name;
        EXPECT_EQ(c.pid, s.mbAppendPid) << c.name;
        EXPECT_EQ(c.procName, s.mbAppendProcName) << c.name;
        EXPECT_EQ("Vacater.exe", s.mExecutableName) << c.name;
    }
}

// A LogPath under %USERPROFILE% is found where the logger writes it, shown in both forms; a
// LogPath that names a folder is said to.
TEST(SupportReportProgram, FindsTheLogOfAProfileLogPathAndSaysWhenLogPathIsAFolder)
{
    RegistryKey settings(SETTINGS_KEY, RegistryKey::SHARED_KEY);
    ASSERT_TRUE(settings.ok());
    char profile[MAX_PATH] = "";
    ASSERT_NE(0u, GetEnvironmentVariableA("USERPROFILE", profile, MAX_PATH));
    std::string log = std::string(profile) + "\\zvreport-wow32.log";
    ASSERT_TRUE(WriteBytes(log, "12345"));
    ASSERT_TRUE(settings.dword("LogLevel", 0x09000000));
    ASSERT_TRUE(settings.text("LogPath", "%USERPROFILE%\\zvreport-wow32.log"));
    ChildResult run = runSibling("vacater-report.exe");
    DeleteFileA(log.c_str());
    ASSERT_EQ(0u, run.exitCode);
    for (const std::string& line : {"  LogPath = \"%USERPROFILE%\\zvreport-wow32.log\" (read as \"" + log + "\")\r\n",
                                    "== Log files\r\n  " + log + "  5 bytes, "})
        EXPECT_EQ(1u, Occurrences(run.out, line)) << line << "\n" << run.out;

    TempDir dir("report_folder");
    ASSERT_TRUE(settings.text("LogPath", dir.path("logs")));
    ASSERT_TRUE(CreateDirectoryA(dir.path("logs").c_str(), nullptr));
    run = runSibling("vacater-report.exe");
    EXPECT_EQ(1u, Occurrences(run.out, "== Log files\r\n  LogPath names a folder, not a file: " + dir.path("logs") + "\r\n"))
        << run.out;
}

TEST(SupportReportPage, SaysWhatWasFoundAndWhatWasNot)
{
    ReportFacts f;
    f.reportVersion = "9.8.7.6";
    f.windowsName = "Windows 10 Pro 22H2";
    f.windowsVersion = "10.0.19045.3803";
    f.windows64 = true;
    f.program64 = false;
    f.ansiCodePage = 1252;
    f.oemCodePage = 850;
    f.tempVariable = f.tempShort = "C:\\Users\\JRGEN~1\\AppData\\Local\\Temp";
    f.tempLong = "C:\\Users\\J\xC3\xBCrgen Meier\\AppData\\Local\\Temp";
    SettingsView view;
    view.label = "32-bit programs' view (WOW6432Node)";
    view.key = SETTINGS_KEY;
    view.found = true;
    view.values = {Number("LogLevel", 0x09000000), Text("LogPath", "C:\\logs\\v.log"), Text("Odd", "0102", REG_BINARY)};
    SettingsView missing;
    missing.label = "64-bit programs' view";
    missing.key = SETTINGS_KEY;
    f.settings = {missing, view};
    FileFacts log;
    log.path = "C:\\logs\\v.log";
    log.exists = true;
    log.size = 1234;
    log.modified = "2026-12-06 07:03:42";
    FileFacts gone;
    gone.path = "C:\\pkg\\msvcp60.dll";
    f.logFiles = {log};
    f.packageFiles = {gone};
    f.packageFolder = "C:\\pkg";
    DeviceFacts d;
    d.pattern = TOKEN_PATTERNS[1];
    d.instanceId = "USB\\VID_3E7A&PID_4107\\0001";
    d.hardwareId = "USB\\VID_3E7A&PID_4107&REV_0100";
    d.description = "Vaultik";
    f.devices = {d};

    std::string page = FormatSupportReport(f);
    const char* sections[] = {"== Windows\r\n", "== Temporary directory\r\n", "== Logging settings\r\n",
                              "== Log files\r\n", "== Devices of the token\r\n", "== Package files in C:\\pkg\r\n"};
    size_t at = 0;
    for (const char* s : sections) {
        size_t found = page.find(s, at);
        ASSERT_NE(std::string::npos, found) << s << " missing or out of order:\n" << page;
        at = found;
    }
    for (const char* line : {"vacater-report 9.8.7.6", "Windows 10 Pro 22H2, version 10.0.19045.3803\r\n",
                             "64-bit Windows, 32-bit report program (WOW64: reads the WOW6432Node view)\r\n",
                             "OEM code page:          850 (cmd reads remove.bat in it)\r\n",
                             "Console code page:      (no console)\r\n",
                             "Long form:              C:\\Users\\J\xC3\xBCrgen Meier\\AppData\\Local\\Temp\r\n",
                             "ZVCRYPT_LOG_CONF:       (not set)\r\n", "  (no such key)\r\n",
                             "  LogLevel = 0x09000000 (150994944)\r\n", "  LogPath = \"C:\\logs\\v.log\"\r\n",
                             "  Odd = type 3: 0102 (the logger reads it as 0)\r\n",
                             "  C:\\logs\\v.log  1234 bytes, 2026-12-06 07:03:42\r\n",
                             "pattern usb\\vid_3e7a&pid_40*\r\n  (no present device matches)\r\npattern usb\\vid_3e7a&pid_41*\r\n"
                             "  instance_id=USB\\VID_3E7A&PID_4107\\0001\r\n    hardware_id=USB\\VID_3E7A&PID_4107&REV_0100\r\n"
                             "    description=Vaultik\r\n",
                             "  C:\\pkg\\msvcp60.dll  (missing)\r\n"})
        EXPECT_EQ(1u, Occurrences(page, line)) << line << "\n" << page;

    f.program64 = true;
    f.deviceError = "SetupDiGetClassDevs failed, error 5";
    page = FormatSupportReport(f);
    EXPECT_EQ(0u, Occurrences(page, "(WOW64:")) << "a 64-bit program reads the native view";
    EXPECT_EQ(1u, Occurrences(page, "  the device list could not be read: SetupDiGetClassDevs failed, error 5\r\n"));
}

// The program on this prefix: a registered token, logging settings pointing at a folder with
// an umlaut, and log files there. It reads them all and changes nothing.
TEST(SupportReportProgram, ReportsTheTokenSettingsAndLogsOfThisPrefix)
{
    const char* key = SETTINGS_KEY;
    RegistryKey settings(key, RegistryKey::SHARED_KEY);
    RegisteredDevice token{"VID_3E7A&PID_4107", "ZVRPT001", {L"USB\\VID_3E7A&PID_4107&REV_0100", L"USB\\VID_3E7A&PID_4107"},
                           L"Vaultik"};
    RegisteredDevice other{"VID_3E7B&PID_4107", "ZVRPT002", {L"USB\\VID_3E7B&PID_4107"}, L"Other stick"};
    ASSERT_TRUE(settings.ok() && token.ok() && other.ok());
    TempDir dir("report");
    std::string logs = dir.path("J\xFCrgen");   // ANSI: the ü of a German user name
    ASSERT_TRUE(CreateDirectoryA(logs.c_str(), nullptr));
    ASSERT_TRUE(settings.dword("LogLevel", 0x09000000));
    ASSERT_TRUE(settings.text("LogPath", logs + "\\vac.log"));
    ASSERT_TRUE(settings.dword("LogFileAppendPID", 1));
    ASSERT_TRUE(WriteBytes(logs + "\\vac.log-77.log", std::string(10, 'x')));
    ASSERT_TRUE(WriteBytes(logs + "\\vac.log.stderr", "abc"));
    ASSERT_TRUE(WriteBytes(logs + "\\other.log", "not ours"));
    std::string before = ValuesOf(key);

    ChildResult run = runSibling("vacater-report.exe");
    ASSERT_EQ(0u, run.exitCode) << run.err;
    const std::string& page = run.out;
    std::string logsUtf8 = dir.path("J\xC3\xBCrgen");
    for (const std::string& line : {
             std::string("ANSI code page:         ") + std::to_string(GetACP()) + "\r\n",
             std::string("OEM code page:          ") + std::to_string(GetOEMCP()) + " (cmd reads remove.bat in it)\r\n",
             std::string("  LogLevel = 0x09000000 (150994944)\r\n"),
             "  LogPath = \"" + logsUtf8 + "\\vac.log\"\r\n",
             "  " + logsUtf8 + "\\vac.log-77.log  10 bytes, ",
             "  " + logsUtf8 + "\\vac.log.stderr  3 bytes, ",
             std::string("pattern usb\\vid_3e7a&pid_41*\r\n  instance_id=USB\\VID_3E7A&PID_4107\\ZVRPT001\r\n"
                         "    hardware_id=USB\\VID_3E7A&PID_4107&REV_0100\r\n    description=Vaultik\r\n"),
             std::string("pattern usb\\vid_3e7a&pid_40*\r\n  (no present device matches)\r\n"),
             std::string("\\vacater-report.exe  "),
         })
        EXPECT_EQ(1u, Occurrences(page, line)) << line << "\n" << page;
    EXPECT_EQ(0u, Occurrences(page, "other.log")) << "a file that is not the logger's";
    EXPECT_EQ(0u, Occurrences(page, "ZVRPT002")) << "another vendor's device";
    EXPECT_EQ(before, ValuesOf(key)) << "the report changed the settings";

    ChildResult usage = runSibling("vacater-report.exe", "--bogus");
    EXPECT_EQ(3u, usage.exitCode);
    EXPECT_NE(std::string::npos, usage.out.find("usage: vacater-report")) << usage.out;
}

// ZVCRYPT_LOG_CONF naming a key with an umlaut: the key is opened under its own name and
// shown in UTF-8 with its values.
TEST(SupportReportProgram, OpensTheKeyThatZvcryptLogConfNamesWithAnUmlaut)
{
    RegistryKey conf("Software\\ZvReport \xDC" "bung");   // ANSI: Übung
    ASSERT_TRUE(conf.ok());
    ASSERT_TRUE(conf.dword("LogLevel", 0x01000000));
    ASSERT_TRUE(SetEnvironmentVariableW(L"ZVCRYPT_LOG_CONF", L"Software\\ZvReport \u00DC" L"bung"));
    ChildResult run = runSibling("vacater-report.exe");
    SetEnvironmentVariableW(L"ZVCRYPT_LOG_CONF", nullptr);
    ASSERT_EQ(0u, run.exitCode) << run.err;
    const char* shown = "HKLM\\Software\\ZvReport \xC3\x9C" "bung  [named by ZVCRYPT_LOG_CONF]\r\n"
                        "  LogLevel = 0x01000000 (16777216)\r\n";
    EXPECT_EQ(1u, Occurrences(run.out, shown)) << run.out;
}

TEST(SupportReportPaths, NetworkPathsAreKnownWithoutAskingTheNetwork)
{
    auto remote = [](char letter) { return letter == 'N' || letter == 'n'; };
    struct Case {
        const char* path;
        bool network;
    } cases[] = {
        {"\\\\server\\share\\vac.log", true},   {"\\\\?\\UNC\\server\\share\\v.log", true},
        {"\\\\?\\C:\\logs\\v.log", false},      {"\\\\.\\N:\\logs\\v.log", true},
        {"N:\\logs\\v.log", true},              {"n:v.log", true},
        {"C:\\logs\\v.log", false},             {"logs\\v.log", false},
        {"\\logs\\v.log", false},               {"", false},
    };
    for (const Case& c : cases) EXPECT_EQ(c.network, IsNetworkPath(c.path, remote)) << c.path;
}

TEST(SupportReportPage, SaysWhetherShortNamesAreMadeOnTheTempVolume)
{
    struct Case {
        bool found;
        unsigned long setting;
        bool systemVolume;
        const char* says;
    } cases[] = {
        {false, 0, true, "made (NtfsDisable8dot3NameCreation not set)"},
        {true, 0, false, "made on every volume (NtfsDisable8dot3NameCreation = 0)"},
        {true, 1, true, "made on no volume (NtfsDisable8dot3NameCreation = 1)"},
        {true, 2, true, "set per volume (NtfsDisable8dot3NameCreation = 2; fsutil 8dot3name query shows %Temp%'s)"},
        {true, 3, true, "made: only on the system volume (NtfsDisable8dot3NameCreation = 3)"},
        {true, 3, false, "not made: only on the system volume (NtfsDisable8dot3NameCreation = 3)"},
        {true, 7, true, "unknown setting (NtfsDisable8dot3NameCreation = 7)"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.says, ShortNames(c.found, c.setting, c.systemVolume));
}

// What support must not be misled by, written with /out into a file: a value with a line
// break, a log on a share, an AutoRun command and a console code page.
TEST(SupportReportProgram, WritesOneLinePerValueAndLeavesSharesAloneIntoTheOutFile)
{
    RegistryKey settings(SETTINGS_KEY, RegistryKey::SHARED_KEY);
    ASSERT_TRUE(settings.ok());
    ASSERT_TRUE(settings.dword("LogLevel", 0x09000000));   // else the logger takes no LogPath
    ASSERT_TRUE(settings.text("LogFiles", "all\r\nInjected\tline"));
    ASSERT_TRUE(settings.text("LogPath", "\\\\zvnohost\\share\\vac.log"));
    const char* processor = "Software\\Microsoft\\Command Processor";
    const char autoRun[] = "cd /d %USERPROFILE%";
    const DWORD codePage = 65001;
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_CURRENT_USER, processor, "AutoRun", REG_SZ, autoRun, sizeof autoRun));
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_CURRENT_USER, "Console", "CodePage", REG_DWORD, &codePage, 4));
    TempDir dir("report_out");
    std::string file = dir.path("page.txt");
    ChildResult run = runSibling("vacater-report.exe", "/out \"" + file + "\"");
    RegDeleteKeyValueA(HKEY_CURRENT_USER, processor, "AutoRun");
    RegDeleteKeyValueA(HKEY_CURRENT_USER, "Console", "CodePage");
    ASSERT_EQ(0u, run.exitCode) << run.out;
    EXPECT_EQ("vacater-report: the page is written to the file given with /out.\r\n", run.out);

    std::string page = ReadBytes(file);
    ASSERT_EQ(0u, page.find("\xEF\xBB\xBFVacater support report (")) << "UTF-8 with a byte-order mark";
    for (const char* line : {"  LogFiles = \"all  Injected line\"\r\n",
                             "  LogPath = \"\\\\zvnohost\\share\\vac.log\"\r\n",
                             "== Log files\r\n  \\\\zvnohost\\share\\vac.log  (network path, not opened)\r\n",
                             "HKCU\\Software\\Microsoft\\Command Processor  [AutoRun]\r\n"
                             "  AutoRun = \"cd /d %USERPROFILE%\"\r\n",
                             "HKCU\\Console  [code page of new consoles]\r\n  CodePage = 0x0000FDE9 (65001)\r\n",
                             "Short names:            "})
        EXPECT_EQ(1u, Occurrences(page, line)) << line << "\n" << page;
    EXPECT_EQ(0u, Occurrences(page, "\r\nInjected")) << page;
    EXPECT_EQ(0u, Occurrences(page, "\t")) << page;

    ChildResult refused = runSibling("vacater-report.exe", "/out \"" + dir.path("no such folder\\page.txt") + "\"");
    EXPECT_EQ(2u, refused.exitCode);
    EXPECT_EQ(0u, refused.out.find("vacater-report: the page could not be written to that file, error 3")) << refused.out;
}
