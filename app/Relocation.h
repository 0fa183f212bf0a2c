// The deciding parts of the relocation to the temporary directory: where the program was
// started from, whether this instance stays, and the copy's command line.
#pragma once
#include "CString.h"

// The command line cut before the first "\Vacater.exe" (case-sensitive); empty when the
// name does not occur. A quoted program path keeps its opening quote.
CString CutStartFolder(const char* commandLine);
// Drops the opening quote that CutStartFolder leaves on a quoted program path.
CString StripOpeningQuote(const CString& folder);

// True when this instance runs the removal itself: started from the temporary directory
// (exact comparison) or told to eject in place with "/RemoveOnly=1".
bool RunsHere(const char* currentPath, const char* tempDir, long removeOnly);

// What the instance on the token hands on to its copy.
struct RestartOptions {
    const char* tempDir;
    char driveLetter;            // the package's drive: the first character of the start folder
    long cleanUpOnly;
    const char* rmDir;
    const char* rmAbsDir;        // wins over rmDir
    const char* vkDriveLetter;
};

// The copy's command line and the folder option it carries. A folder value goes on the line
// exactly as given when the copy's tokenizer reads it back unchanged ("/RmDir" stands
// unquoted, "/RmAbsDir" in double quotes); the copy's own check decides later what its batch
// removes. A value the line cannot carry unchanged is left off, with the other options kept.
struct RestartPlan {
    CString commandLine;     // tempDir + "\Vacater.exe" and the options, unquoted
    CString folderOption;    // "/RmAbsDir" or "/RmDir" when the line carries a folder; else empty
    CString leftOutOption;   // the folder option left off the line; empty when none was
    CString leftOutValue;
    CString leftOutReason;   // why, in words that follow "[value] "
};

RestartPlan PlanRestart(const RestartOptions& options);
