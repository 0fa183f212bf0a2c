// zvlog: prints a log file of the zvcrypt logger in order, or follows it as it grows.
//   zvlog FILE      the whole log, oldest line first
//   zvlog -f FILE   the log, then every new line until Ctrl+C
// Exit codes: 0 printed, 1 the file cannot be read, 2 not a log file or a wrong command line.
#include "LogFollower.h"
#include "LogReader.h"
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <cstdio>
#include <cstring>
#include <string>
#include <zvcrypt/SystemLibrary.h>

using namespace zvcrypt;

namespace {

enum { EXIT_PRINTED = 0, EXIT_UNREADABLE = 1, EXIT_NOT_A_LOG = 2 };

volatile LONG g_stop = 0;

BOOL WINAPI onConsoleControl(DWORD)
{
    InterlockedExchange(&g_stop, 1);
    return TRUE;
}

std::string systemText(DWORD error)
{
    char text[512] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text,
                   sizeof text, nullptr);
    size_t n = strlen(text);
    while (n && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' '))
        text[--n] = '\0';
    return text;
}

// The file's bytes, read while the logger may still have it open or mapped.
bool readWhole(const char* path, std::string& bytes, DWORD& error)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = GetLastError();
        return false;
    }
    bytes.clear();
    char buffer[65536];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr) != FALSE) && got)
        bytes.append(buffer, got);
    error = ok ? 0 : GetLastError();
    CloseHandle(file);
    return ok;
}

void print(const std::string& text)
{
    if (!text.empty()) {
        fwrite(text.data(), 1, text.size(), stdout);
        fflush(stdout);
    }
}

int follow(const char* path, std::string bytes)
{
    SetConsoleCtrlHandler(onConsoleControl, TRUE);
    LogFollower follower;
    DWORD error = 0;
    for (;;) {
        print(follower.next(bytes));
        if (InterlockedCompareExchange(&g_stop, 0, 0))
            return EXIT_PRINTED;
        Sleep(200);
        // A log that is deleted and made again (LogClear) is simply not there for a while.
        if (!readWhole(path, bytes, error))
            bytes.clear();
    }
}

}  // namespace

int main(int argc, char** argv)
{
    zvcrypt::restrictDllSearch();
    bool follows = argc == 3 && strcmp(argv[1], "-f") == 0;
    if (argc != 2 + (follows ? 1 : 0) || argv[argc - 1][0] == '-') {
        fprintf(stderr, "usage: zvlog [-f] FILE\n"
                        "  prints a log file (plain, UTF-16 or mapped ring) oldest line first;\n"
                        "  -f keeps printing new lines until Ctrl+C\n");
        return EXIT_NOT_A_LOG;
    }
    const char* path = argv[argc - 1];
    // Lines keep their CR LF as the file has them.
    _setmode(_fileno(stdout), _O_BINARY);

    std::string bytes;
    DWORD error = 0;
    if (!readWhole(path, bytes, error)) {
        fprintf(stderr, "zvlog: cannot read %s: %s\n", path, systemText(error).c_str());
        return EXIT_UNREADABLE;
    }
    if (analyseLog(bytes).nKind == LOGFILE_FOREIGN) {
        fprintf(stderr, "zvlog: %s is not a log file (no log mark and frame, no ring header)\n", path);
        return EXIT_NOT_A_LOG;
    }
    if (follows)
        return follow(path, bytes);

    LogInOrder log = readLogInOrder(bytes);
    print(log.text);
    if (log.bTorn)
        fprintf(stderr, "zvlog: the last line of %s is incomplete\n", path);
    return EXIT_PRINTED;
}
