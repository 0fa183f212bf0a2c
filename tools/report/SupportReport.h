// The support report: one plain-text page of what a support engineer asks for when a
// removal failed on a customer's PC. The facts are gathered elsewhere (HostFacts); this
// part only decides what the page says, so it can be checked without a PC.
#pragma once
#include "ProductFacts.h"
#include <zvcrypt/LogPath.h>
#include <string>
#include <vector>

namespace report {

// One value of a registry key, as read.
struct RegistryValue {
    std::string name;
    unsigned long type = 0;        // REG_SZ, REG_DWORD, ...
    unsigned long number = 0;      // REG_DWORD
    std::string text;              // REG_SZ / REG_EXPAND_SZ (UTF-8); other types: hex bytes
    std::string expanded;          // texts: as the settings store hands it out (REG_SZ of a settings key: expanded)
};

// A registry key in one view (64-bit or 32-bit programs' view): the settings key, or a key
// of the command processor and the console.
struct SettingsView {
    std::string label;             // "64-bit view", "32-bit view (WOW6432Node)"
    std::string hive = "HKLM";
    std::string key;               // "Software\\..."
    bool found = false;
    std::vector<RegistryValue> values;
};

// A file the page names: a log file or a file of the package.
struct FileFacts {
    std::string path;              // UTF-8
    bool network = false;          // on a share or a mapped network drive: never opened
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
    bool shortNameSettingFound = false;     // NtfsDisable8dot3NameCreation
    unsigned long shortNameSetting = 0;
    bool tempOnSystemVolume = false;
    std::string userProfile;
    std::string logConfVariable;   // ZVCRYPT_LOG_CONF; empty when not set
    std::vector<SettingsView> settings;   // the application's key, then the one ZVCRYPT_LOG_CONF names
    std::vector<SettingsView> shell;      // what changes how cmd runs the batch: AutoRun, console, terminal
    std::vector<FileFacts> logFiles;
    std::vector<std::string> logFolders;  // LogPath values that name a folder
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

// The log-path settings of one store as the registry holds them (LogPath, LogFileName,
// LogDirName, the append flags). appendPid / appendProcName carry the flags of a store
// applied before.
zvcrypt::LogPathSettings LogSettingsOf(const std::vector<RegistryValue>& values, bool appendPid, bool appendProcName);

// A registry value as the page shows it: numbers in hex and decimal, texts in quotes.
std::string ShowValue(const RegistryValue& value);

// Whether Windows makes short (8.3) names on the %Temp% volume, from the setting
// NtfsDisable8dot3NameCreation (found or not, its value).
std::string ShortNames(bool found, unsigned long setting, bool tempOnSystemVolume);

// Text for one line of the page: line breaks and tabs become blanks.
std::string OneLine(std::string text);

// Whether a path lies on the network: a UNC path ("\\\\server\\share", "\\\\?\\UNC\\..."), or a
// drive letter that driveIsRemote answers true for. Such a path is never opened.
bool IsNetworkPath(const std::string& path, bool (*driveIsRemote)(char letter));

// The page: "\r\n"-ended lines, UTF-8.
std::string FormatSupportReport(const ReportFacts& facts);

} // namespace report
