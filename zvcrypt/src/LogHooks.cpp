// Placeholders until the ring back-end, the profiler and the heap analyser are built in.
#include "LogHooks.h"

namespace zvcrypt {

zvIO* logCreateRingBackEnd(unsigned long) { return nullptr; }

CProfiler* logCreateProfiler() { return nullptr; }
void logProfilerResume(CProfiler*) {}
void logProfilerStop(CProfiler*) {}
void logProfilerLap(CProfiler*) {}
void logDeleteProfiler(CProfiler*) {}

LogProcAnalyse* logCreateHeapAnalyser() { return nullptr; }
unsigned long logHeapCurrent(LogProcAnalyse*) { return 0; }
unsigned long logHeapDifference(LogProcAnalyse*) { return 0; }
void logDeleteHeapAnalyser(LogProcAnalyse*) {}

} // namespace zvcrypt
