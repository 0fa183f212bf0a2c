// The deciding parts of the relocation to the temporary directory: where the program was
// started from, whether this instance stays, the copy's command line, and the copy itself.
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

// The copy's command line: tempDir + "\Vacater.exe" and the restart options. The folder of
// "/RmAbsDir" goes in quotes and wins over "/RmDir"; with neither the path stands alone.
CString BuildRestartCommandLine(const char* tempDir, char driveLetter, long cleanUpOnly,
                                const char* rmDir, const char* rmAbsDir,
                                const char* vkDriveLetter);

// Copies the program file by 4096-byte reads and writes. The source is opened with the
// open-always disposition. Failures are shown in message boxes captioned "Error" and the
// copy goes on, as far as it can.
void CopyProgramFile(const char* source, const char* target);

// The message box text for a failed read, by the last error.
const char* ReadErrorText(unsigned long lastError);
