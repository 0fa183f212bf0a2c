#include "X86Programs.h"
#include <gtest/gtest.h>
#include <windows.h>

namespace x86test {

namespace {

std::string Env(const char* name)
{
    char value[1024] = "";
    DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
    return n < sizeof value ? std::string(value, n) : std::string();
}

} // namespace

std::string X86Program(const char* name)
{
    std::string folder = "Z:" + Env("ZV_X86_BIN");   // a Linux path: Wine maps / to Z:
    for (char& c : folder)
        if (c == '/') c = '\\';
    return folder + "\\" + name;
}

std::string X86SkipReason()
{
    std::string skip = Env("ZV_X86_SKIP");
    if (!skip.empty()) return skip;
    // Run outside scripts/run-tests.sh, nobody probed: that must show, not pass silently.
    EXPECT_FALSE(Env("ZV_X86_BIN").empty()) << "ZV_X86_BIN is not set: run the tests through scripts/run-tests.sh";
    return std::string();
}

} // namespace x86test
