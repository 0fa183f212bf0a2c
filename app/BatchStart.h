// How the clean-up batch is started. cmd runs the command of an AutoRun value (HKCU or
// HKLM "Software\Microsoft\Command Processor") before a batch it is started for; an
// AutoRun such as "cd /d %USERPROFILE%" would move the batch's "rmdir" lines into the
// profile. Where such a value is set, the batch goes through the system folder's cmd by
// its full path with "/d", which skips AutoRun. Where none is set, the batch is started as
// it always was: no application name, its start command as the whole command line. Where
// another terminal (Windows Terminal) stands in for the console, the batch gets no console
// window at all: such a terminal does not honour SW_HIDE in every version.
#pragma once
#include "CString.h"
#include <vector>

struct BatchStart {
    CString application;           // empty: none, Windows starts cmd for the ".bat" itself
    CString commandLine;
    unsigned long creationFlags;   // for CreateProcess
};

// startCommand: how the batch names itself (its path, or a form cmd reads as one word);
// autoRunSet: an AutoRun value is set; systemDir: the system folder (GetSystemDirectory);
// terminalDelegated: the default terminal is not the console window.
BatchStart DecideBatchStart(const char* startCommand, bool autoRunSet, const char* systemDir,
                            bool terminalDelegated);

// Where an AutoRun value for cmd is set on this system, one text each ("HKCU",
// "HKLM (64-bit view)", "HKLM (32-bit view)"); empty when none is.
std::vector<CString> CmdAutoRunValues();

// True when HKCU\Console\%%Startup names a default terminal other than the console window
// ("let Windows decide", absent or all zeros, and the console itself count as not).
bool DefaultTerminalDelegated();
