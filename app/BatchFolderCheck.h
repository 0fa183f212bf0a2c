// Decides whether a folder named by "/RmDir" or "/RmAbsDir" may go into the clean-up batch.
// The batch writes these values unquoted after "rmdir /S /Q", so cmd reads them as words of
// a command line: a value must be one plain folder name, and the folder it resolves to must
// not hold the system, a profile, a user's known folder, the temporary directory or the
// program. The check judges what cmd reads: the value's bytes in the OEM code page, decoded
// back; a value with a character that has no OEM form is refused. Where the folder exists,
// its final path (behind SUBST drives, junctions, mount points and symbolic links) is
// judged as well, and so are the protected folders' own final paths.
#pragma once
#include "CString.h"
#include <string>
#include <utility>
#include <vector>

enum BatchFolderKind {
    BATCH_FOLDER_RELATIVE,   // "/RmDir": resolved against the batch's working directory
    BATCH_FOLDER_ABSOLUTE,   // "/RmAbsDir": resolved after "cd \" on that directory's drive
};

enum BatchFolderVerdict {
    BATCH_FOLDER_OK = 0,
    BATCH_FOLDER_UNSAFE_CHARACTER = -1,  // cmd gives it a meaning, no folder name holds it, or no OEM form
    BATCH_FOLDER_UNSAFE_COMPONENT = -2,  // "." / "..", a final dot or a short (8.3) name: may alias
    BATCH_FOLDER_UNRESOLVABLE = -3,      // network (path, drive or link target), device or drive-relative form
    BATCH_FOLDER_PROTECTED = -4,         // a drive root, a protected folder or an ancestor
};

// A folder the batch must never remove, nor any folder that contains it.
struct ProtectedFolder {
    ProtectedFolder(std::wstring path, CString role) : path(std::move(path)), role(std::move(role)) {}
    // A path in this system's ANSI code page.
    ProtectedFolder(const char* path, const char* role);

    std::wstring path;   // absolute, "X:\..."; wide, since a profile's name need not fit the ANSI code page
    CString role;        // "the Windows folder", "a user profile", ...
};

// What the check asks the file system. The program uses SystemFolderLocator; tests play
// links and network drives with a fake.
class FolderLocator {
public:
    virtual ~FolderLocator() {}
    // The final path of an existing folder ("X:\...", "\\?\X:\..." or "\\?\UNC\server\share\..."),
    // through SUBST drives, junctions, mount points and symbolic links; empty when the folder
    // does not exist or cannot be opened.
    virtual std::wstring FinalPath(const std::wstring& folder) const = 0;
    // True when the drive of that letter is a network drive.
    virtual bool IsNetworkDrive(wchar_t letter) const = 0;
};

// This machine: GetFinalPathNameByHandleW and GetDriveTypeW.
class SystemFolderLocator : public FolderLocator {
public:
    std::wstring FinalPath(const std::wstring& folder) const override;
    bool IsNetworkDrive(wchar_t letter) const override;
};

struct BatchFolderContext {
    CString workDir;   // the batch's working directory, absolute
    std::vector<ProtectedFolder> folders;
    // The code page of the values and paths (ANSI) and the one cmd reads the batch in
    // (OEM). 0 and 1 are the system's own (CP_ACP, CP_OEMCP).
    unsigned int ansiCodePage = 0;
    unsigned int oemCodePage = 1;
    // Null: only the text of values and folders is judged, no link is followed.
    const FolderLocator* locator = nullptr;
};

// The verdict for one value; reason says why in a few words when it is refused.
BatchFolderVerdict CheckBatchFolder(const char* value, BatchFolderKind kind, const BatchFolderContext& context,
                                    CString* reason = nullptr);

// The absolute folder that "rmdir /S /Q value" removes, as CheckBatchFolder resolves it:
// the value as cmd reads it (context's code pages) against context's working directory;
// components joined by single backslashes, no trailing backslash but after a drive ("C:\").
// Empty when value has a form this check does not resolve (it is then refused).
CString ResolveBatchFolder(const char* value, BatchFolderKind kind, const BatchFolderContext& context);
// The same with this system's code pages, as the program's own check reads values.
CString ResolveBatchFolder(const char* value, BatchFolderKind kind, const char* workDir);

// This host's protected folders, read from the system: the Windows and system folders,
// both Program Files folders, ProgramData, the users' root and every profile in it, the
// user's known folders (Desktop, Documents, Downloads, Music, Pictures, Videos, Favorites,
// AppData, OneDrive in all its forms) and the public ones, the same folders by name in
// every profile, the temporary directory and the program's folder, each also under its
// long name when given in short (8.3) form. Links are followed with SystemFolderLocator.
// workDir is where the batch runs.
BatchFolderContext HostBatchFolderContext(const char* workDir, const char* tempDir, const char* programDir);
