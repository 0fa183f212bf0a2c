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

RegistryValue Text(const char* name, const char* value, unsigned long type = REG_SZ) { return {name, type, 0, value}; }
RegistryValue Number(const char* name, unsigned long value) { return {name, REG_DWORD, value, ""}; }

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

TEST(SupportReportLogFiles, AreLookedForWhereTheLoggerWrites)
{
    struct Case {
        const char* name;
        std::vector<RegistryValue> values;
        const char* profile;
        const char* base;
    } cases[] = {
        {"no settings: the profile's zv.log", {}, "C:\\Users\\J\xC3\xBCrgen", "C:\\Users\\J\xC3\xBCrgen\\zv.log"},
        {"no profile either: the current folder", {}, "", ".\\zv.log"},
        {"LogPath", {Text("LogPath", "D:\\logs\\vac")}, "C:\\u", "D:\\logs\\vac"},
        {"names ignore letter case", {Text("logpath", "D:\\logs\\vac")}, "C:\\u", "D:\\logs\\vac"},
        {"an empty LogPath is the default", {Text("LogPath", "")}, "C:\\u", "C:\\u\\zv.log"},
        {"a LogPath that is no text reads as missing", {Number("LogPath", 5)}, "C:\\u", "C:\\u\\zv.log"},
        {"LogDirName replaces the folder", {Text("LogPath", "D:\\logs\\vac"), Text("LogDirName", "E:\\x")}, "C:\\u",
         "E:\\x\\vac"},
        {"LogFileName replaces the name", {Text("LogFileName", "app.log")}, "C:\\u", "C:\\u\\app.log"},
        {"both", {Text("LogDirName", "E:\\x"), Text("LogFileName", "app.log")}, "C:\\u", "E:\\x\\app.log"},
        {"expandable texts count", {Text("LogPath", "D:\\v.log", REG_EXPAND_SZ)}, "C:\\u", "D:\\v.log"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.base, LogFileBase(c.values, c.profile)) << c.name;
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
