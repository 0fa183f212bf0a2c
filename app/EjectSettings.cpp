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
    s.removing = ReadText(iniPath, "Strings", "Removing", EJECT_DEFAULT_REMOVING);
    s.ejectOK = ReadText(iniPath, "Strings", "EjectOK", EJECT_DEFAULT_EJECTOK);
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

bool ReadEjectOKOnlyEjected(const char* iniPath)
{
    return GetPrivateProfileIntA("Application", "EjectOKOnlyEjected", 0, iniPath) != 0;
}

bool ShowsEjectOKSplash(bool onlyEjected, bool deviceEjected)
{
    return !onlyEjected || deviceEjected;
}

const char* SplashWindowText(const CString& caption, const char* defaultCaption)
{
    return caption.IsEmpty() ? defaultCaption : caption.GetString();
}
