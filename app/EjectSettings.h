// The package's splash settings from its ini file (".\Application.ini" when ejecting).
#pragma once
#include "CString.h"

#define EJECT_SETTINGS_FILE ".\\Application.ini"

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
