// The 32-bit programs of the x86 test build, started from the 64-bit tests as a WOW64
// process would be on Windows. scripts/run-tests.sh names their folder (ZV_X86_BIN) where
// the machine runs 32-bit code, or why it does not (ZV_X86_SKIP).
#pragma once
#include <string>

namespace x86test {

// The Windows path of a program of the 32-bit build ("Z:\...\build\x86\bin\zvlog.exe").
std::string X86Program(const char* name);
// Why the 32-bit programs cannot run here; empty when they can.
std::string X86SkipReason();

} // namespace x86test

// Ends the current test as skipped, with the reason, where no 32-bit program can run.
#define SKIP_WITHOUT_X86()                                                         \
    do {                                                                           \
        std::string whyNot_ = x86test::X86SkipReason();                            \
        if (!whyNot_.empty()) GTEST_SKIP() << "32-bit programs: " << whyNot_;      \
    } while (0)
