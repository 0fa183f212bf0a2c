// Decides whether a folder named by "/RmDir" or "/RmAbsDir" may go into the clean-up batch.
// The batch writes these values unquoted after "rmdir /S /Q", so cmd reads them as words of
// a command line: a value must be one plain folder name, and the folder it resolves to must
// not hold the system, a profile, the temporary directory or the program. The check judges
// what cmd reads: the value's bytes in the OEM code page, decoded back; a value with a
// character that has no OEM form is refused.
#pragma once
#include "CString.h"
#include <vector>

enum BatchFolderKind {
    BATCH_FOLDER_RELATIVE,   // "/RmDir": resolved against the batch's working directory
    BATCH_FOLDER_ABSOLUTE,   // "/RmAbsDir": resolved after "cd \" on that directory's drive
};

enum BatchFolderVerdict {
    BATCH_FOLDER_OK = 0,
    BATCH_FOLDER_UNSAFE_CHARACTER = -1,  // cmd gives it a meaning, no folder name holds it, or no OEM form
    BATCH_FOLDER_UNSAFE_COMPONENT = -2,  // "." / "..", a final dot or a short (8.3) name: may alias
    BATCH_FOLDER_UNRESOLVABLE = -3,      // network, device or drive-relative form
    BATCH_FOLDER_PROTECTED = -4,         // a drive root, a protected folder or an ancestor
};

// A folder the batch must never remove, nor any folder that contains it.
struct ProtectedFolder {
    CString path;   // absolute, "X:\..."
    CString role;   // "the Windows folder", "a user profile", ...
};

struct BatchFolderContext {
    CString workDir;   // the batch's working directory, absolute
    std::vector<ProtectedFolder> folders;
    // The code page of the values and paths (ANSI) and the one cmd reads the batch in
    // (OEM). 0 and 1 are the system's own (CP_ACP, CP_OEMCP).
    unsigned int ansiCodePage = 0;
    unsigned int oemCodePage = 1;
};

// The verdict for one value; reason says why in a few words when it is refused.
BatchFolderVerdict CheckBatchFolder(const char* value, BatchFolderKind kind, const BatchFolderContext& context,
                                    CString* reason = nullptr);

// The absolute folder that "rmdir /S /Q value" removes: components joined by single
// backslashes, no trailing backslash but after a drive ("C:\"). Empty when value has a form
// this check does not resolve (it is then refused).
CString ResolveBatchFolder(const char* value, BatchFolderKind kind, const char* workDir);

// This host's protected folders, read from the system: the Windows and system folders,
// both Program Files folders, ProgramData, the users' root and every profile in it, the
// temporary directory and the program's folder, each also under its long name when given
// in short (8.3) form. workDir is where the batch runs.
BatchFolderContext HostBatchFolderContext(const char* workDir, const char* tempDir, const char* programDir);
