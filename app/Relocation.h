// The deciding parts of the relocation to the temporary directory: where the program was
// started from, whether this instance stays, the copy's command line, and the copy itself.
#pragma once
#include "BatchFolderCheck.h"
#include "CString.h"

// The command line cut before the first "\Vacater.exe" (case-sensitive); empty when the
// name does not occur. A quoted program path keeps its opening quote.
CString CutStartFolder(const char* commandLine);
// Drops the opening quote that CutStartFolder leaves on a quoted program path.
CString StripOpeningQuote(const CString& folder);

// True when this instance runs the removal itself: started from the temporary directory
// (exact comparison) or told to eject in place with "/RemoveOnly=1".
bool RunsHere(const char* currentPath, const char* tempDir, long removeOnly);

// The copy's command line: tempDir + "\Vacater.exe" and the restart options. The folder of
// "/RmAbsDir" goes in quotes and wins over "/RmDir"; with neither the path stands alone,
// unless folderLeftOut: a folder value was refused (see RestartFolderCarried), and the
// other options still go to the copy, without a folder option.
CString BuildRestartCommandLine(const char* tempDir, char driveLetter, long cleanUpOnly,
                                const char* rmDir, const char* rmAbsDir,
                                const char* vkDriveLetter, bool folderLeftOut = false);

enum RestartFolderVerdict {
    RESTART_FOLDER_CARRIED = 0,    // the copy receives the value unchanged and may remove its folder
    RESTART_FOLDER_CHANGED = -1,   // the restart command line would hand the copy another value
    RESTART_FOLDER_REFUSED = -2,   // the folder check refuses it
};

// Whether the value of option ("/RmDir" or "/RmAbsDir") may go on the restart command line:
// the copy must read exactly this value back ("/RmDir" stands unquoted, so a blank ends it;
// a double quote ends either), and the folder check, run with the copy's folders
// (copyHost), must accept it. reason says why not, in words that follow "[value] ".
RestartFolderVerdict RestartFolderCarried(const char* option, const char* value, const BatchFolderContext& copyHost,
                                          CString* reason = nullptr);

// Copies the program file by 4096-byte reads and writes. The source is opened with the
// open-always disposition. Failures are shown in message boxes captioned "Error" and the
// copy goes on, as far as it can.
void CopyProgramFile(const char* source, const char* target);

// The message box text for a failed read, by the last error.
const char* ReadErrorText(unsigned long lastError);

// Clears the read-only attribute that CopyFileA keeps from a read-only package (a CD-ROM-like
// token partition): the batch's "del" cannot delete a read-only file, and the next run
// could not replace it. False with the last error when the attribute stays.
bool ClearReadOnly(const char* path, unsigned long* error);
