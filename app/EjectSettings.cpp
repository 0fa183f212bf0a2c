#include "EjectSettings.h"
#include <windows.h>

namespace {

const int SETTING_BUFFER = 260;

CString ReadText(const char* iniPath, const char* section, const char* key, const char* defaultText)
{
    char buffer[SETTING_BUFFER] = "";
    GetPrivateProfileStringA(section, key, defaultText, buffer, SETTING_BUFFER, iniPath);
    return CString(buffer);
}

} // namespace

CEjectSettings ReadEjectSettings(const char* iniPath)
{
    CEjectSettings s;
    s.removeSplash = ReadText(iniPath, "Application", "RemoveSplash", "");
    s.ejectOKSplash = ReadText(iniPath, "Application", "EjectOKSplash", "");
    s.removing = ReadText(iniPath, "Strings", "Removing", "Vaultik wird ausgeworfen");
    // Windows-1252: 0xF6 is the o with diaeresis.
    s.ejectOK = ReadText(iniPath, "Strings", "EjectOK", "Sie k\xF6nnen Vaultik jetzt entfernen!");
    return s;
}

int ClampEjectOKTime(int milliseconds)
{
    if (milliseconds > 10000) return 10000;
    if (milliseconds < 1000) return 1000;
    return milliseconds;
}

int ReadEjectOKTime(const char* iniPath)
{
    // The profile call returns the value as unsigned; a negative entry compares as negative.
    int value = static_cast<int>(GetPrivateProfileIntA("Application", "EjectOKTime", 3000, iniPath));
    return ClampEjectOKTime(value);
}
