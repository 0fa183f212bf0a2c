#include "SupportReport.h"
#include <cctype>
#include <cstdio>
#include <cstring>
#include <windows.h>

namespace report {

const char* const TOKEN_PATTERNS[TOKEN_PATTERN_COUNT] = {ZV_EJECT_PATTERN_LIST};
const char* const SETTINGS_KEY = ZV_SETTINGS_KEY;
const char* const PACKAGE_FILE_NAMES[PACKAGE_FILE_NAME_COUNT] = {ZV_PROGRAM_FILE, ZV_PACKAGE_FILE_LIST, ZV_TOOL_FILE_LIST};

namespace {

const char* const CRLF = "\r\n";

const RegistryValue* Find(const std::vector<RegistryValue>& values, const char* name)
{
    for (const RegistryValue& v : values)
        if (_stricmp(v.name.c_str(), name) == 0) return &v;
    return nullptr;
}

std::string Number(unsigned long long n)
{
    char buffer[32];
    snprintf(buffer, sizeof buffer, "%llu", n);
    return buffer;
}

void Line(std::string& out, const std::string& label, const std::string& value)
{
    std::string padded = label + ":";
    if (padded.size() < 24) padded.resize(24, ' ');
    out += padded + OneLine(value) + CRLF;
}

void File(std::string& out, const FileFacts& f)
{
    out += "  " + OneLine(f.path);
    if (f.network) {
        out += "  (network path, not opened)";
    } else if (!f.exists) {
        out += "  (missing)";
    } else {
        out += "  " + Number(f.size) + " bytes, " + f.modified;
        if (!f.version.empty()) out += ", version " + f.version;
    }
    out += CRLF;
}

std::string CodePage(unsigned cp)
{
    return cp ? Number(cp) : std::string("(no console)");
}

void Key(std::string& out, const SettingsView& view)
{
    out += OneLine(view.hive + "\\" + view.key) + "  [" + view.label + "]" + CRLF;
    if (!view.found) out += std::string("  (no such key)") + CRLF;
    else if (view.values.empty()) out += std::string("  (no values)") + CRLF;
    for (const RegistryValue& v : view.values) out += "  " + OneLine(v.name) + " = " + ShowValue(v) + CRLF;
}

} // namespace

std::string OneLine(std::string text)
{
    for (char& c : text)
        if (c == '\r' || c == '\n' || c == '\t') c = ' ';
    return text;
}

std::string ShortNames(bool found, unsigned long setting, bool tempOnSystemVolume)
{
    if (!found) return "made (NtfsDisable8dot3NameCreation not set)";
    std::string value = "NtfsDisable8dot3NameCreation = " + Number(setting);
    switch (setting) {
    case 0: return "made on every volume (" + value + ")";
    case 1: return "made on no volume (" + value + ")";
    case 2: return "set per volume (" + value + "; fsutil 8dot3name query shows %Temp%'s)";
    case 3:
        return std::string(tempOnSystemVolume ? "made" : "not made") + ": only on the system volume (" + value + ")";
    default: return "unknown setting (" + value + ")";
    }
}

bool IsNetworkPath(const std::string& path, bool (*driveIsRemote)(char letter))
{
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
        // "\\?\\C:\\..." and "\\.\\C:\\..." are local forms; "\\?\\UNC\\..." is a share.
        if (path.size() >= 4 && (path[2] == '?' || path[2] == '.') && path[3] == '\\') {
            std::string rest = path.substr(4);
            if (_strnicmp(rest.c_str(), "UNC\\", 4) == 0) return true;
            return IsNetworkPath(rest, driveIsRemote);
        }
        return true;
    }
    bool letter = path.size() >= 2 && path[1] == ':' && isalpha(static_cast<unsigned char>(path[0]));
    return letter && driveIsRemote(path[0]);
}

zvcrypt::LogPathSettings LogSettingsOf(const std::vector<RegistryValue>& values, bool appendPid, bool appendProcName)
{
    zvcrypt::LogPathSettings s;
    auto text = [&values](const char* name, zvcrypt::LogPathText& t) {
        const RegistryValue* v = Find(values, name);
        if (!v) return;
        t.mbPresent = true;
        // What the store hands out for another type is not a path the report can rebuild.
        t.mText = v->type == REG_SZ || v->type == REG_EXPAND_SZ ? v->text : std::string();
        t.mbExpand = v->type == REG_SZ;
    };
    text("LogPath", s.mLogPath);
    text("LogFileName", s.mLogFileName);
    text("LogDirName", s.mLogDirName);
    auto flag = [&values](const char* name, bool earlier) {
        const RegistryValue* v = Find(values, name);
        return v && v->type == REG_DWORD ? v->number == 1 : earlier;
    };
    s.mbAppendPid = flag("LogFileAppendPID", appendPid);
    s.mbAppendProcName = flag("LogFileAppendProcName", appendProcName);
    s.mExecutableName = ZV_PROGRAM_FILE;
    return s;
}

std::string ShowValue(const RegistryValue& value)
{
    char buffer[64];
    switch (value.type) {
    case REG_DWORD:
        snprintf(buffer, sizeof buffer, "0x%08lX (%lu)", value.number, value.number);
        return buffer;
    case REG_SZ:
    case REG_EXPAND_SZ:
        if (value.type == REG_SZ && value.expanded != value.text)
            return "\"" + OneLine(value.text) + "\" (read as \"" + OneLine(value.expanded) + "\")";
        return "\"" + OneLine(value.text) + "\"" + (value.type == REG_EXPAND_SZ ? " (expandable: the logger does not expand it)" : "");
    default:
        snprintf(buffer, sizeof buffer, "type %lu: ", value.type);
        return buffer + OneLine(value.text) + " (the logger reads it as 0)";
    }
}

std::string FormatSupportReport(const ReportFacts& f)
{
    std::string out;
    out += "Vacater support report (vacater-report " + f.reportVersion + ")" + CRLF + CRLF;

    out += std::string("== Windows") + CRLF;
    Line(out, "Windows", (f.windowsName.empty() ? std::string("(name unknown)") : f.windowsName) + ", version " +
                             f.windowsVersion);
    Line(out, "Architecture", std::string(f.windows64 ? "64-bit Windows" : "32-bit Windows") + ", " +
                                  (f.program64 ? "64-bit" : "32-bit") + " report program" +
                                  (f.windows64 && !f.program64 ? " (WOW64: reads the WOW6432Node view)" : ""));
    Line(out, "ANSI code page", Number(f.ansiCodePage));
    Line(out, "OEM code page", Number(f.oemCodePage) + " (cmd reads remove.bat in it)");
    Line(out, "Console code page", CodePage(f.consoleCodePage));
    out += CRLF;

    out += std::string("== Temporary directory") + CRLF;
    Line(out, "%Temp%", f.tempVariable.empty() ? std::string("(not set)") : f.tempVariable);
    Line(out, "Long form", f.tempLong.empty() ? std::string("(cannot be read)") : f.tempLong);
    Line(out, "Short form", f.tempShort.empty() ? std::string("(none)") : f.tempShort);
    Line(out, "Short names", ShortNames(f.shortNameSettingFound, f.shortNameSetting, f.tempOnSystemVolume));
    Line(out, "%USERPROFILE%", f.userProfile.empty() ? std::string("(not set)") : f.userProfile);
    out += CRLF;

    out += std::string("== Logging settings") + CRLF;
    Line(out, "ZVCRYPT_LOG_CONF", f.logConfVariable.empty() ? std::string("(not set)") : f.logConfVariable);
    for (const SettingsView& view : f.settings) Key(out, view);
    out += CRLF;

    out += std::string("== Command processor and console (how cmd runs remove.bat)") + CRLF;
    for (const SettingsView& view : f.shell) Key(out, view);
    out += CRLF;

    out += std::string("== Log files") + CRLF;
    for (const std::string& folder : f.logFolders)
        out += "  LogPath names a folder, not a file: " + OneLine(folder) + CRLF;
    if (f.logFiles.empty()) out += std::string("  (none found)") + CRLF;
    for (const FileFacts& file : f.logFiles) File(out, file);
    out += CRLF;

    out += std::string("== Devices of the token") + CRLF;
    if (!f.deviceError.empty()) out += "  the device list could not be read: " + OneLine(f.deviceError) + CRLF;
    for (const char* pattern : TOKEN_PATTERNS) {
        out += std::string("pattern ") + pattern + CRLF;
        size_t n = 0;
        for (const DeviceFacts& d : f.devices) {
            if (d.pattern != pattern) continue;
            ++n;
            out += "  instance_id=" + OneLine(d.instanceId) + CRLF;
            out += "    hardware_id=" + OneLine(d.hardwareId) + CRLF;
            out += "    description=" + OneLine(d.description) + CRLF;
            if (!d.parentId.empty()) out += "    parent=" + OneLine(d.parentId) + CRLF;
        }
        if (n == 0) out += std::string("  (no present device matches)") + CRLF;
    }
    out += CRLF;

    out += "== Package files in " + OneLine(f.packageFolder) + CRLF;
    for (const FileFacts& file : f.packageFiles) File(out, file);
    return out;
}

} // namespace report
