// The package's splash settings from its ini file (".\Application.ini" when ejecting).
#pragma once
#include "CString.h"

#define EJECT_SETTINGS_FILE ".\\Application.ini"

// The splash captions where the package names none (Windows-1252: 0xF6 is the o with diaeresis).
#define EJECT_DEFAULT_REMOVING "Vaultik wird ausgeworfen"
#define EJECT_DEFAULT_EJECTOK "Sie k\xF6nnen Vaultik jetzt entfernen!"

struct CEjectSettings {
    CString removeSplash;   // [Application] RemoveSplash: picture while ejecting
    CString ejectOKSplash;  // [Application] EjectOKSplash: picture afterwards
    CString removing;       // [Strings] Removing: caption of the first splash
    CString ejectOK;        // [Strings] EjectOK: caption of the second splash
};

// Reads the four texts in this order: RemoveSplash, EjectOKSplash, Removing, EjectOK.
// A missing key gives its default; a key present with an empty value gives the empty text.
CEjectSettings ReadEjectSettings(const char* iniPath = EJECT_SETTINGS_FILE);

// [Application] EjectOKTime in milliseconds: 3000 when absent, limited to 1000..10000.
int ReadEjectOKTime(const char* iniPath = EJECT_SETTINGS_FILE);
int ClampEjectOKTime(int milliseconds);

// [Application] EjectOKOnlyEjected: 1 (any number but 0) shows the second splash only when the
// device library reported an ejected device; absent or 0 shows it after every attempt.
bool ReadEjectOKOnlyEjected(const char* iniPath = EJECT_SETTINGS_FILE);
// Whether the second splash follows this attempt.
bool ShowsEjectOKSplash(bool onlyEjected, bool deviceEjected);

// The text a splash window carries: its caption, or where the package gave an empty one (no
// caption bar) the default caption, so that a screen reader has a name to read.
const char* SplashWindowText(const CString& caption, const char* defaultCaption);
