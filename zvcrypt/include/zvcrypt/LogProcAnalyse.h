// The heap analyser behind the LogProcAnalyse setting: measures the bytes in use in all
// heaps of the process, for the logger's "[Mem[..Kb]]" field and its closing difference.
#pragma once

namespace zvcrypt {

class LogProcAnalyse {
public:
    enum { MAX_HEAPS = 256 };

    LogProcAnalyse();
    // Deletes "heap.out" in the current directory.
    ~LogProcAnalyse();

    // Walks the heaps and takes the result as the baseline; returns the bytes in use.
    unsigned long start();
    // Walks the heaps; returns the bytes in use.
    unsigned long current();
    // Walks the heaps; returns bytes in use minus the baseline (unsigned: wraps on shrink).
    unsigned long difference();

    unsigned long heapCount() const { return mulHeapCount; }
    unsigned long baseline() const { return mulBaseline; }

    LogProcAnalyse(const LogProcAnalyse&) = delete;
    LogProcAnalyse& operator=(const LogProcAnalyse&) = delete;

private:
    void walk();

    unsigned long mulHeapCount;
    void* mahHeaps[MAX_HEAPS];
    unsigned long mulBytesInUse;
    unsigned long mulBaseline;
};

}  // namespace zvcrypt
