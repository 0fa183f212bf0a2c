// The text of the clean-up batch "remove.bat" for its three settings, decided from the
// application's options and the temporary directory.
#pragma once
#include "CString.h"

enum CleanUpSetting {
    CLEANUP_APPDECK,   // launcher setting: works in %Temp%\AppDeck, keeps itself
    CLEANUP_TRESORIA,  // data-safe setting: deletes the whole start folder, keeps itself
    CLEANUP_DEFAULT,   // deletes the program, the package files, the folders and itself
};

struct CleanUpBatch {
    CleanUpSetting setting;
    CString batchPath;   // tempDir + "\remove.bat"
    CString workDir;     // where the batch runs
    CString deletePath;  // launcher setting only: tempDir + "\AppDeck", empty without tempDir
    CString text;        // every line ends in "\r\n"
};

// Name of the launcher's folder inside the temporary directory.
extern const char* const APPDECK_FOLDER;

// The setting that an "/Application" value selects (exact, case-sensitive comparison).
CleanUpSetting CleanUpSettingFor(const char* application);

// Builds the whole batch. tempDir may be empty (the "Temp" variable is not set).
CleanUpBatch BuildCleanUpBatch(const char* application, const char* tempDir,
                               const char* currentPath, const char* rmDir,
                               const char* rmAbsDir);
