// Nanoseconds per log call for the costs that matter: a call the mask drops (a log call and
// an application trace), a line into a plain log file that is opened, appended and closed
// per line (the default), and a line with LogStaysOpen. Settings come from a registry key
// this program writes and removes. The ring's trailer is measured alone too: its time
// stamp, built per line and per second.
#include "LogLine.h"
#include "LogRing.h"
#include "debug.h"
#include <zvcrypt/Config.h>
#include <zvcrypt/Log.h>
#include <windows.h>
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

static zvCLogInit s_logInit;

namespace {

const char* const BENCH_KEY = "Software\\Zevtron Systems\\LogBench";

void setDword(const char* name, DWORD value)
{
    HKEY h;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, BENCH_KEY, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h,
                        nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(h, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(h);
}

void setText(const char* name, const std::string& value)
{
    HKEY h;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, BENCH_KEY, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h,
                        nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(h);
}

void apply()
{
    zvcrypt::Config store;
    store.load(BENCH_KEY);
    zvLogConfigure(store);
}

double nowNs()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1e9 / static_cast<double>(frequency.QuadPart);
}

template <typename F>
double timePerCall(int calls, F call)
{
    double start = nowNs();
    for (int i = 0; i < calls; ++i) call(i);
    return (nowNs() - start) / calls;
}

template <typename F>
double measure(const char* name, int calls, F call)
{
    for (int i = 0; i < calls / 10 + 1; ++i) call(i);  // warm up
    double perCall = timePerCall(calls, call);
    printf("%-40s %12.0f ns/call  (%d calls)\n", name, perCall, calls);
    return perCall;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A line of the logger against the system calls the design makes for one line of the plain
// log file without the logger: open, seek to the end, write, close (or seek, write and
// commit while the file stays open). The two alternate in short rounds; the ratio is the
// median of the ratios of neighbouring rounds, so a burst of load on the machine (or in
// Wine's server) touches both sides of a ratio alike.
void compareWithBare(const char* bareName, const char* loggedName, const std::string& path, bool staysOpen,
                     int rounds, int callsPerRound)
{
    std::string bare = path + ".bare";
    DeleteFileA(bare.c_str());
    int kept = staysOpen ? _open(bare.c_str(), _O_RDWR | _O_CREAT | _O_BINARY, 0666) : -1;
    char line[200];
    auto bareLine = [&](int i) {
        int n = snprintf(line, sizeof line, "log_bench.cpp( 123): [pid=42] [tid=0000000000000020] line %d %s\r\n",
                         i, "text");
        int fd = staysOpen ? kept : _open(bare.c_str(), _O_RDWR | _O_BINARY | _O_CREAT, 0666);
        _lseek(fd, 0, SEEK_END);
        _write(fd, line, static_cast<unsigned>(n));
        if (staysOpen) _commit(fd);
        else _close(fd);
    };
    auto loggedLine = [](int i) { zvLogWrite(__FILE__, __LINE__, LOGMASK_TRACE, "line %d %s\n", i, "text"); };
    for (int i = 0; i < callsPerRound / 10 + 1; ++i) {  // warm up
        bareLine(i);
        loggedLine(i);
    }
    std::vector<double> bareNs, loggedNs, ratios;
    for (int r = 0; r < rounds; ++r) {
        bareNs.push_back(timePerCall(callsPerRound, bareLine));
        loggedNs.push_back(timePerCall(callsPerRound, loggedLine));
        ratios.push_back(loggedNs.back() / bareNs.back());
    }
    if (kept != -1) _close(kept);
    DeleteFileA(bare.c_str());
    double b = median(bareNs), l = median(loggedNs);
    int calls = rounds * callsPerRound;
    printf("%-40s %12.0f ns/call  (%d calls, median of %d rounds)\n", bareName, b, calls, rounds);
    printf("%-40s %12.0f ns/call  (%d calls, median of %d rounds)\n", loggedName, l, calls, rounds);
    printf("%-40s %12.2f x the bare system calls\n", loggedName, median(ratios));
}

// The mapped ring log (IOFileType 2). The back-end is chosen when the log first starts, so
// this case runs in a second process of this program ("ring"); the back-end's traces of
// every write go to the log path plus ".stderr".
int ringBench()
{
    char tmp[MAX_PATH];
    GetTempPathA(MAX_PATH, tmp);
    std::string path = std::string(tmp) + "zv-log-bench-ring.log";
    DeleteFileA(path.c_str());
    setDword("LogLevel", 0x01000000);
    setDword("PrintOut", 0);
    setDword("LogStaysOpen", 0);
    setDword("IOFileType", 2);
    setDword("MaxFileLen", 1048576);
    setDword("LogRedirectSTDERR", 1);
    setText("LogPath", path);
    apply();
    measure("mapped ring, map/append/unmap per line", 5000, [](int i) {
        zvLogWrite(__FILE__, __LINE__, LOGMASK_TRACE, "line %d %s\n", i, "text");
    });
    setDword("LogStaysOpen", 1);
    apply();
    measure("mapped ring, LogStaysOpen", 20000, [](int i) {
        zvLogWrite(__FILE__, __LINE__, LOGMASK_TRACE, "line %d %s\n", i, "text");
    });
    return 0;
}

// What every ring line paid for its trailer when the time stamp was built per line, and
// what it pays with the stamp built once a second.
void trailerBench()
{
    static size_t sink = 0;
    measure("ring trailer, ctime() per line", 200000, [](int) {
        zvcrypt::Blob trailer(zvcrypt::zvRingTrailer(zvcrypt::logTimeStamp(time(nullptr)).c_str()).c_str());
        sink += trailer.getLength();
    });
    static zvcrypt::LogRing ring(0x80000);
    measure("ring trailer, stamp built once a second", 200000, [](int) {
        sink += ring.trailer(false).getLength();
    });
}

void runRingBench()
{
    fflush(stdout);
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string cmd = "\"" + std::string(self) + "\" ring";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) return;
    WaitForSingleObject(pi.hProcess, INFINITE);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    char tmp[MAX_PATH];
    GetTempPathA(MAX_PATH, tmp);
    DeleteFileA((std::string(tmp) + "zv-log-bench-ring.log").c_str());
    DeleteFileA((std::string(tmp) + "zv-log-bench-ring.log.stderr").c_str());
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && strcmp(argv[1], "ring") == 0) return ringBench();

    char tmp[MAX_PATH];
    GetTempPathA(MAX_PATH, tmp);
    std::string path = std::string(tmp) + "zv-log-bench.log";
    DeleteFileA(path.c_str());

    setDword("LogLevel", 0x01000000);
    setDword("PrintOut", 0);
    setDword("ShowDate", 1);
    setDword("ShowPid", 1);
    setDword("ShowTid", 1);
    setText("LogPath", path);
    apply();

    measure("dropped by the mask", 2000000, [](int i) {
        zvLogWrite(__FILE__, __LINE__, LOGMASK_ERROR, "dropped %d %s\n", i, "text");
    });
    setDword("LogLevel", 0x08000000);   // error lines only: application traces are dropped
    apply();
    measure("application trace dropped by the mask", 2000000, [](int i) {
        DebugTrace(0, "dropped %d %s", i, "text");
    });
    setDword("LogLevel", 0x01000000);
    apply();
    compareWithBare("bare open/seek/write/close per line", "plain file, open/append/close per line", path,
                    false, 41, 200);
    setDword("LogStaysOpen", 1);
    apply();
    compareWithBare("bare seek/write/commit per line", "plain file, LogStaysOpen", path, true, 41, 500);

    trailerBench();
    runRingBench();

    RegDeleteKeyA(HKEY_LOCAL_MACHINE, BENCH_KEY);
    setDword("LogLevel", 0);  // nothing more is written, not even the closing block
    setText("LogPath", path);  // setting the path closes the open file
    apply();
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, BENCH_KEY);
    DeleteFileA(path.c_str());
    return 0;
}
