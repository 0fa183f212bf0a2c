// Nanoseconds per log call for the costs that matter: a call the mask drops, a line into a
// plain log file that is opened, appended and closed per line (the default), and a line
// with LogStaysOpen. Settings come from a registry key this program writes and removes.
#include <zvcrypt/Config.h>
#include <zvcrypt/Log.h>
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <string>

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
void measure(const char* name, int calls, F call)
{
    for (int i = 0; i < calls / 10 + 1; ++i) call(i);  // warm up
    double start = nowNs();
    for (int i = 0; i < calls; ++i) call(i);
    double perCall = (nowNs() - start) / calls;
    printf("%-40s %12.0f ns/call  (%d calls)\n", name, perCall, calls);
}

} // namespace

int main()
{
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
    measure("plain file, open/append/close per line", 5000, [](int i) {
        zvLogWrite(__FILE__, __LINE__, LOGMASK_TRACE, "line %d %s\n", i, "text");
    });
    setDword("LogStaysOpen", 1);
    apply();
    measure("plain file, LogStaysOpen", 20000, [](int i) {
        zvLogWrite(__FILE__, __LINE__, LOGMASK_TRACE, "line %d %s\n", i, "text");
    });

    RegDeleteKeyA(HKEY_LOCAL_MACHINE, BENCH_KEY);
    setDword("LogLevel", 0);  // nothing more is written, not even the closing block
    setText("LogPath", path);  // setting the path closes the open file
    apply();
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, BENCH_KEY);
    DeleteFileA(path.c_str());
    return 0;
}
