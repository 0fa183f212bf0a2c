// The text of the clean-up batch "remove.bat" for its three settings, decided from the
// application's options and the temporary directory.
#pragma once
#include "BatchWord.h"
#include "CString.h"
#include <vector>

enum CleanUpSetting {
    CLEANUP_APPDECK,   // launcher setting: works in %Temp%\AppDeck, keeps itself
    CLEANUP_TRESORIA,  // data-safe setting: deletes the whole start folder, keeps itself
    CLEANUP_DEFAULT,   // deletes the program, the package files, the folders and itself
};

struct CleanUpBatch {
    CleanUpSetting setting;
    CString batchPath;      // tempDir + "\remove.bat"
    CString startCommand;   // what starts the batch: batchPath, or a form cmd reads as one word
    CString workDir;        // where the batch runs
    CString deletePath;     // launcher setting only: tempDir + "\AppDeck", empty without tempDir
    CString text;           // every line ends in "\r\n"; in the ANSI code page, as traced
    // The file's bytes: text in the host's OEM code page, which cmd reads (the batch sets it
    // with "chcp" where the console would start in another). oemOk is false (and oemText
    // empty) when a character of text has no OEM form.
    CString oemText;
    bool oemOk;
    // Notes for the trace, each "<what> [<path>] <why>; <what changed>": a path of ours that
    // cmd cannot read as one word and that has no usable short form (its lines are left
    // out), or a command that a file in the working directory would replace.
    std::vector<CString> leftOut;
};

// Name of the launcher's folder inside the temporary directory.
extern const char* const APPDECK_FOLDER;

// The setting that an "/Application" value selects (exact, case-sensitive comparison).
CleanUpSetting CleanUpSettingFor(const char* application);

// Builds the whole batch. tempDir may be empty (the "Temp" variable is not set). The folder
// values are written as they are (check them first); paths of the program's own that cmd
// would not read as they are go in their short form, from host. Where the console would
// read another code page than the OEM one, the batch sets it first ("chcp"); where the
// working directory holds a file named like a command of the batch, the command goes by
// its full path. Without either, the text is the usual one, byte for byte.
CleanUpBatch BuildCleanUpBatch(const char* application, const char* tempDir,
                               const char* currentPath, const char* rmDir,
                               const char* rmAbsDir, const BatchHost& host);
