// Heap walking for LogProcAnalyse.
#include <zvcrypt/LogProcAnalyse.h>
#include <windows.h>
#include <cstdint>
#include <cstring>

namespace zvcrypt {

LogProcAnalyse::LogProcAnalyse() : mulHeapCount(0), mahHeaps(), mulBytesInUse(0), mulBaseline(0)
{
    // Asks the C runtime to allocate from one global heap, so the walk sees its blocks.
    SetEnvironmentVariableA("__MSVCRT_HEAP_SELECT", "__GLOBAL_HEAP_SELECTED,1");
}

LogProcAnalyse::~LogProcAnalyse()
{
    DeleteFileA("heap.out");
}

void LogProcAnalyse::walk()
{
    mulBytesInUse = 0;
    memset(mahHeaps, 0, sizeof mahHeaps);
    DWORD count = GetProcessHeaps(MAX_HEAPS, reinterpret_cast<HANDLE*>(mahHeaps));
    mulHeapCount = count;
    if (count > MAX_HEAPS)
        count = MAX_HEAPS;
    for (DWORD i = 0; i < count; ++i) {
        HANDLE heap = mahHeaps[i];
        if (!heap)
            continue;
        // Other threads may allocate meanwhile; the lock keeps the walk from reading a
        // half-changed heap. A heap that cannot be locked is walked as it is.
        BOOL locked = HeapLock(heap);
        PROCESS_HEAP_ENTRY entry = {};
        while (HeapWalk(heap, &entry)) {
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                mulBytesInUse += entry.cbData;
        }
        if (locked)
            HeapUnlock(heap);
    }
}

unsigned long LogProcAnalyse::start()
{
    walk();
    mulBaseline = mulBytesInUse;
    return mulBytesInUse;
}

unsigned long LogProcAnalyse::current()
{
    walk();
    return mulBytesInUse;
}

unsigned long LogProcAnalyse::difference()
{
    walk();
    return static_cast<unsigned long>(static_cast<uint32_t>(mulBytesInUse - mulBaseline));
}

}  // namespace zvcrypt
