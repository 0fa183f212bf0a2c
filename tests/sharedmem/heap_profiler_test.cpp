// The heap analyser's figures, the module file name and the profiler.
#include <gtest/gtest.h>
#include <windows.h>
#include <zvcrypt/LogProcAnalyse.h>
#include <zvcrypt/ModuleName.h>
#include <zvcrypt/profiler.h>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace zvcrypt;

TEST(HeapAnalyser, FiguresGrowWhenTheProcessAllocatesAFewMegabytes)
{
    LogProcAnalyse analyser;
    unsigned long base = analyser.start();
    EXPECT_GT(base, 0u);
    EXPECT_EQ(base, analyser.baseline());
    EXPECT_GE(analyser.heapCount(), 1u);

    // 4 MiB in small blocks, so they come from the heaps and not from separate mappings.
    std::vector<void*> blocks;
    for (int i = 0; i < 4096; ++i) {
        void* p = malloc(1024);
        memset(p, i & 0xFF, 1024);
        blocks.push_back(p);
    }
    unsigned long now = analyser.current();
    unsigned long diff = analyser.difference();
    for (void* p : blocks)
        free(p);

    EXPECT_GE(now, base + 4u * 1024 * 1024 - 256 * 1024);
    EXPECT_GE(diff, 4u * 1024 * 1024 - 256 * 1024);
    EXPECT_LT(diff, 64u * 1024 * 1024);
}

TEST(HeapAnalyser, DestructionDeletesHeapOutInTheCurrentDirectory)
{
    HANDLE h = CreateFileA("heap.out", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    CloseHandle(h);
    {
        LogProcAnalyse analyser;
        char value[64] = {};
        GetEnvironmentVariableA("__MSVCRT_HEAP_SELECT", value, sizeof value);
        EXPECT_STREQ("__GLOBAL_HEAP_SELECTED,1", value);
    }
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("heap.out"));
    // A missing file is no error.
    LogProcAnalyse second;
}

TEST(ModuleName, ExecutableNameWithAndWithoutPath)
{
    std::string full = zvModuleFileName(nullptr, false);
    std::string base = zvModuleFileName(nullptr, true);
    EXPECT_EQ(0, _stricmp("sharedmem_tests.exe", base.c_str())) << base;
    ASSERT_GT(full.size(), base.size());
    EXPECT_EQ('\\', full[full.size() - base.size() - 1]);
    EXPECT_EQ(base, full.substr(full.size() - base.size()));
}

TEST(Profiler, NullNameBecomesTheOperationAndLapsAccumulate)
{
    CProfiler p;
    p.start(nullptr);
    EXPECT_STREQ("The operation", p.name());
    p.start("");
    EXPECT_STREQ("", p.name());
    p.stop();
    double first = p.elapsed();
    EXPECT_GE(p.lap(), first);
}
