// The application's trace front: every application trace goes through here to the logger.
#pragma once
#include "CString.h"

// Loads the application's settings key and, when it asks for logging (LogLevel non-zero),
// configures the logger, sets the line tag and clears the log.
void DebugInit(const char* configKey, const char* tag);
// printf-style traces; level 1 and 2 indent by three and six blanks.
void DebugTrace(int level, const char* format, ...);
void DebugTraceW(int level, const wchar_t* format, ...);

// Announces its construction ("cs  file line") and destruction ("ds  file line") on the
// debugger output, outside the logger.
class CScopeTrace {
public:
    CScopeTrace(const char* file, int line);
    ~CScopeTrace();
    CScopeTrace(const CScopeTrace&) = delete;
    CScopeTrace& operator=(const CScopeTrace&) = delete;

private:
    CString m_file;
    int m_line;
};
