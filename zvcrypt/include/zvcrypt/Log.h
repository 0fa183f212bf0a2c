// The log calls every component uses. All of them keep the caller's last OS error.
#pragma once
#include <zvcrypt/LogDefs.h>

namespace zvcrypt {
class Config;
}

// The log call: source file (may be null), line (may be 0), mask, printf format.
void zvLogWrite(const char* sourceFile, int line, unsigned long mask, const char* format, ...);
// Whether zvLogWrite with this mask would write (or profile) the line: callers that build
// their text before calling skip that work when not.
bool zvLogWouldWrite(unsigned long mask);
// Direct trace that never goes through the logger (debugger output and standard error).
void zvLogRaw(const char* format, ...);

void zvLogSetTag(const char* tag);
void zvLogIndent();
void zvLogUnindent();
void zvLogAddSubProc(const char* name);
void zvLogRemoveSubProc(const char* name);
void zvLogConfigure(const zvcrypt::Config& store);
void zvLogSetForce(bool force);
void zvLogClear();

// Every source file that logs holds one static guard; the first creates the logger,
// the last destroys it.
class zvCLogInit {
public:
    zvCLogInit();
    ~zvCLogInit();
    zvCLogInit(const zvCLogInit&) = delete;
    zvCLogInit& operator=(const zvCLogInit&) = delete;
};

// Convenience for library sources: file and line of the call site.
#define ZVLOG(mask, ...) zvLogWrite(__FILE__, __LINE__, (mask), __VA_ARGS__)
