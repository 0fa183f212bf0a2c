#include "SupportReport.h"
#include <cstdio>
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

// A text setting as the logger reads it; empty when missing, empty or not a text.
std::string Text(const std::vector<RegistryValue>& values, const char* name)
{
    const RegistryValue* v = Find(values, name);
    if (!v || (v->type != REG_SZ && v->type != REG_EXPAND_SZ)) return std::string();
    return v->text;
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
    out += padded + value + CRLF;
}

void File(std::string& out, const FileFacts& f)
{
    out += "  " + f.path;
    if (!f.exists) {
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

} // namespace

std::string LogFileBase(const std::vector<RegistryValue>& values, const std::string& userProfile)
{
    std::string path = Text(values, "LogPath");
    if (path.empty()) path = (userProfile.empty() ? std::string(".") : userProfile) + "\\zv.log";
    std::string dir, name = path;
    size_t slash = path.find_last_of('\\');
    if (slash != std::string::npos && slash + 1 < path.size()) {
        dir = path.substr(0, slash);
        name = path.substr(slash + 1);
    }
    std::string dirName = Text(values, "LogDirName"), fileName = Text(values, "LogFileName");
    if (!dirName.empty()) dir = dirName;
    if (!fileName.empty()) name = fileName;
    return dir.empty() ? name : dir + "\\" + name;
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
        return "\"" + value.text + "\"" + (value.type == REG_EXPAND_SZ ? " (expandable)" : "");
    default:
        snprintf(buffer, sizeof buffer, "type %lu: ", value.type);
        return buffer + value.text + " (the logger reads it as 0)";
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
    Line(out, "%USERPROFILE%", f.userProfile.empty() ? std::string("(not set)") : f.userProfile);
    out += CRLF;

    out += std::string("== Logging settings") + CRLF;
    Line(out, "ZVCRYPT_LOG_CONF", f.logConfVariable.empty() ? std::string("(not set)") : f.logConfVariable);
    for (const SettingsView& view : f.settings) {
        out += "HKLM\\" + view.key + "  [" + view.label + "]" + CRLF;
        if (!view.found) out += std::string("  (no such key)") + CRLF;
        else if (view.values.empty()) out += std::string("  (no values)") + CRLF;
        for (const RegistryValue& v : view.values) out += "  " + v.name + " = " + ShowValue(v) + CRLF;
    }
    out += CRLF;

    out += std::string("== Log files") + CRLF;
    if (f.logFiles.empty()) out += std::string("  (none found)") + CRLF;
    for (const FileFacts& file : f.logFiles) File(out, file);
    out += CRLF;

    out += std::string("== Devices of the token") + CRLF;
    if (!f.deviceError.empty()) out += "  the device list could not be read: " + f.deviceError + CRLF;
    for (const char* pattern : TOKEN_PATTERNS) {
        out += std::string("pattern ") + pattern + CRLF;
        size_t n = 0;
        for (const DeviceFacts& d : f.devices) {
            if (d.pattern != pattern) continue;
            ++n;
            out += "  instance_id=" + d.instanceId + CRLF;
            out += "    hardware_id=" + d.hardwareId + CRLF;
            out += "    description=" + d.description + CRLF;
            if (!d.parentId.empty()) out += "    parent=" + d.parentId + CRLF;
        }
        if (n == 0) out += std::string("  (no present device matches)") + CRLF;
    }
    out += CRLF;

    out += "== Package files in " + f.packageFolder + CRLF;
    for (const FileFacts& file : f.packageFiles) File(out, file);
    return out;
}

} // namespace report
