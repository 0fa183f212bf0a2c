// The support report: one plain-text page of what a support engineer asks for when a
// removal failed on a customer's PC. The facts are gathered elsewhere (HostFacts); this
// part only decides what the page says, so it can be checked without a PC.
#pragma once
#include "ProductFacts.h"
#include <string>
#include <vector>

namespace report {

// One value of a registry key, as read.
struct RegistryValue {
    std::string name;
    unsigned long type = 0;        // REG_SZ, REG_DWORD, ...
    unsigned long number = 0;      // REG_DWORD
    std::string text;              // REG_SZ / REG_EXPAND_SZ (UTF-8); other types: hex bytes
};

// The settings key in one registry view (64-bit or 32-bit programs' view).
struct SettingsView {
    std::string label;             // "64-bit view", "32-bit view (WOW6432Node)"
    std::string key;               // "HKLM\\Software\\..."
    bool found = false;
    std::vector<RegistryValue> values;
};

// A file the page names: a log file or a file of the package.
struct FileFacts {
    std::string path;              // UTF-8
    bool exists = false;
    unsigned long long size = 0;
    std::string modified;          // "2026-12-06 07:03:42" (local time)
    std::string version;           // from the version resource; empty when it has none
};

// A present device that matches an eject pattern: the fields of its device record.
struct DeviceFacts {
    std::string pattern;
    std::string instanceId, hardwareId, description, parentId;   // UTF-8, one line each
};

struct ReportFacts {
    std::string reportVersion;     // this tool's version
    std::string windowsName;       // "Windows 10 Pro" (empty when unknown)
    std::string windowsVersion;    // "10.0.19045.3803"
    bool windows64 = false;
    bool program64 = false;
    unsigned ansiCodePage = 0, oemCodePage = 0, consoleCodePage = 0;   // console 0: none
    std::string tempVariable;      // %Temp% as the program reads it
    std::string tempLong, tempShort;
    std::string userProfile;
    std::string logConfVariable;   // ZVCRYPT_LOG_CONF; empty when not set
    std::vector<SettingsView> settings;   // the application's key, then the one ZVCRYPT_LOG_CONF names
    std::vector<FileFacts> logFiles;
    std::vector<DeviceFacts> devices;
    std::string deviceError;       // why the device list could not be read; empty when it could
    std::vector<FileFacts> packageFiles;
    std::string packageFolder;
};

// The eject patterns of the program, in the order it issues them.
const int TOKEN_PATTERN_COUNT = ZV_EJECT_PATTERN_COUNT;
extern const char* const TOKEN_PATTERNS[TOKEN_PATTERN_COUNT];
// The application's settings key under HKEY_LOCAL_MACHINE.
extern const char* const SETTINGS_KEY;
// The package's files beside the program, in the order the page lists them: the program,
// its run-time files, the support tools.
const int PACKAGE_FILE_NAME_COUNT = 1 + ZV_PACKAGE_FILE_COUNT + ZV_TOOL_FILE_COUNT;
extern const char* const PACKAGE_FILE_NAMES[PACKAGE_FILE_NAME_COUNT];

// Where the logger writes with these settings, without the pieces it appends ("-1234.log",
// "_Vacater.exe.log"): LogPath (default: the profile's zv.log), its folder replaced by
// LogDirName and its file name by LogFileName. Empty values count as missing.
std::string LogFileBase(const std::vector<RegistryValue>& values, const std::string& userProfile);

// A registry value as the page shows it: numbers in hex and decimal, texts in quotes.
std::string ShowValue(const RegistryValue& value);

// The page: "\r\n"-ended lines, UTF-8.
std::string FormatSupportReport(const ReportFacts& facts);

} // namespace report
