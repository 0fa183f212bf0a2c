// A small program that logs, started by the log tests with chosen registry settings and
// environment. argv[1] names what it does; its exit code is 0 unless something it checks
// itself went wrong.
#include "ProductFacts.h"
#include "debug.h"
#include <zvcrypt/Log.h>
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

static zvCLogInit s_logInit;

namespace {

const char* const APP_KEY = ZV_SETTINGS_KEY;
const char* const SRC = "C:\\src\\child.cpp";

// Constructed before every logger guard and destroyed after the last of them, so its
// destructor logs while no logger exists.
struct AfterLogger {
    ~AfterLogger()
    {
        if (getenv("ZV_CHILD_AFTER")) zvLogWrite(SRC, 99, LOGMASK_TRACE, "after the logger %d\n", 42);
    }
};
AfterLogger s_after __attribute__((init_priority(101)));

// Each thread traces its lines, numbered, so the test can find every one of them.
int g_lines = 1000;

DWORD WINAPI threadMain(LPVOID id)
{
    for (int i = 0; i < g_lines; ++i)
        DebugTrace(0, "thread %02d line %05d payload-abcdefghijklmnopqrstuvwxyz",
                   static_cast<int>(reinterpret_cast<INT_PTR>(id)), i);
    return 0;
}

int runThreads(int threads)
{
    std::vector<HANDLE> handles;
    for (INT_PTR t = 0; t < threads; ++t) {
        HANDLE h = CreateThread(nullptr, 256 * 1024, threadMain, reinterpret_cast<LPVOID>(t), 0, nullptr);
        if (!h) return 2;
        handles.push_back(h);
    }
    WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), TRUE, INFINITE);
    for (HANDLE h : handles) CloseHandle(h);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    std::string what = argc > 1 ? argv[1] : "";
    const char* arg2 = argc > 2 ? argv[2] : "";

    if (what == "pre" || what == "preinit") {
        // Traced before DebugInit: reaches the log only through ZVCRYPT_LOG_CONF.
        DebugTrace(0, "before init");
        if (what == "pre") return 0;
    }

    DebugInit(APP_KEY, "[VACATER]");

    if (what == "preinit") DebugTrace(0, "after init");

    if (what == "trace") {
        DebugTrace(1, "Hello %d", 5);
    } else if (what == "masks") {
        zvLogWrite(SRC, 1, 0x01000000, "trace line\n");
        zvLogWrite(SRC, 2, 0x81000000, "bit31 line\n");
        zvLogWrite(SRC, 3, 0x08000000, "error line\n");
        zvLogWrite(SRC, 4, 0, "mask0 line\n");
        zvLogWrite(SRC, 5, 0x04000000, "scope line\n");
    } else if (what == "files") {
        zvLogWrite("C:\\src\\main.cpp", 10, LOGMASK_TRACE, "from main\n");
        zvLogWrite("C:\\src\\skip.cpp", 11, LOGMASK_TRACE, "from skip\n");
        zvLogWrite(nullptr, 0, LOGMASK_TRACE, "no source\n");
        zvLogWrite("C:\\src\\debug.cpp)", 12, LOGMASK_TRACE, "from debug\n");
    } else if (what == "nulltext") {
        zvLogWrite(SRC, 1, LOGMASK_TRACE, nullptr);
    } else if (what == "error") {
        zvLogAddSubProc("outerProc");
        zvLogAddSubProc("innerProc");
        SetLastError(2);
        zvLogWrite(SRC, 20, LOGMASK_ERROR, "it failed");
        if (GetLastError() != 2) return 3;
        zvLogRemoveSubProc("OUTERPROC");
        SetLastError(5);
        zvLogWrite(SRC, 21, LOGMASK_ERROR, "failed again");
        zvLogRemoveSubProc("innerproc");
        SetLastError(2);
        zvLogWrite(SRC, 22, LOGMASK_ERROR, "no procedures");
        zvLogIndent();
        zvLogUnindent();
        if (GetLastError() != 2) return 4;
    } else if (what == "threads") {
        if (argc > 3) g_lines = atoi(argv[3]);
        return runThreads(atoi(arg2));
    } else if (what == "cut") {
        std::string longText(5000, 'x');
        DebugTrace(0, "%s", longText.c_str());
        DebugTrace(0, "%s", "100% literal %d %s %n");
        DebugTraceW(0, L"%ls", L"wide 50%");
    } else if (what == "retry") {
        // The first line cannot reach the file; the folder appears; the next line does.
        DebugTrace(0, "lost line");
        CreateDirectoryA(arg2, nullptr);
        DebugTrace(0, "second line");
    } else if (what == "format") {
        zvLogWrite("C:\\src\\a.cpp", 7, LOGMASK_TRACE, "first\n");
        zvLogWrite(nullptr, 0, LOGMASK_TRACE, "continued\n");
        zvLogWrite("C:\\src\\very\\long_base_name_of_25x.cpp", 8, LOGMASK_TRACE, "long\n");
        zvLogWrite("C:\\src\\b.cpp", 9, LOGMASK_TRACE, "short\n");
        zvLogWrite("C:\\src\\c.cpp", 10, LOGMASK_TRACE | LOGMASK_NOLINEEND, "no end");
        zvLogWrite("C:\\src\\c.cpp", 11, LOGMASK_TRACE, "crlf\r\n");
        zvLogWrite("C:\\src\\c.cpp", 12, LOGMASK_TRACE, "bare");
        zvLogIndent();
        zvLogIndent();
        zvLogWrite("C:\\src\\c.cpp", 13, LOGMASK_TRACE, "indented\n");
        zvLogUnindent();
        zvLogUnindent();
        zvLogUnindent();
        zvLogWrite("C:\\src\\c.cpp", 14, LOGMASK_TRACE, "not indented\n");
    } else if (what == "raw") {
        zvLogRaw("raw text %d", 7);
        fflush(stderr);
    } else if (what == "lines") {
        for (int i = 0; i < atoi(arg2); ++i) DebugTrace(0, "line %d", i);
    }
    return 0;
}
