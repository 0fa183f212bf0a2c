// The logger's companions that live in their own classes: the memory-mapped ring back-end,
// the profiler and the heap analyser. The logger reaches them only through these calls;
// each returns null (or 0) while its companion is not built in, and the logger then goes
// on without it (a plain file instead of the ring, no profiler, no heap field).
#pragma once
#include <string>

namespace zvcrypt {

class zvIO;
class CProfiler;
class LogProcAnalyse;

// IOFileType 2: a memory-mapped ring file of ringSize bytes, or null.
zvIO* logCreateRingBackEnd(unsigned long ringSize);
// The back-end's class as the log file's preamble names it ("class zvcrypt::zvFile"). The
// ring shows as the mapped file it is.
std::string logBackEndName(const zvIO& io);

// LogProfile 1: a new profiler, already started with an empty name and stopped.
CProfiler* logCreateProfiler();
void logProfilerResume(CProfiler* profiler);
void logProfilerStop(CProfiler* profiler);
void logProfilerLap(CProfiler* profiler);
void logDeleteProfiler(CProfiler* profiler);

// LogProcAnalyse 1: a new heap analyser whose baseline is already taken.
LogProcAnalyse* logCreateHeapAnalyser();
unsigned long logHeapCurrent(LogProcAnalyse* analyser);     // bytes in use now
unsigned long logHeapDifference(LogProcAnalyse* analyser);  // bytes in use minus baseline
void logDeleteHeapAnalyser(LogProcAnalyse* analyser);        // also deletes "heap.out"

} // namespace zvcrypt
