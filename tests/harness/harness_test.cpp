#include <gtest/gtest.h>
#include <windows.h>
#include <zvcrypt/Log.h>

TEST(Harness, RunsUnderWindows)
{
    OSVERSIONINFOA vi = {};
    vi.dwOSVersionInfoSize = sizeof vi;
    EXPECT_TRUE(GetVersionExA(&vi));
    SetLastError(1234);
    zvLogRaw("harness %d\n", 1);
    EXPECT_EQ(1234u, GetLastError());
}
