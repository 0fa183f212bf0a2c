// The logger's companions: the memory-mapped ring back-end, the profiler and the heap
// analyser.
#include "LogHooks.h"
#include "LogRing.h"
#include <zvcrypt/LogProcAnalyse.h>
#include <zvcrypt/profiler.h>
#include <cstdlib>
#include <cxxabi.h>
#include <typeinfo>

namespace zvcrypt {

zvIO* logCreateRingBackEnd(unsigned long ringSize)
{
    return new LogRing(ringSize);
}

std::string logBackEndName(const zvIO& io)
{
    const char* mangled =
        dynamic_cast<const LogRing*>(&io) ? typeid(zvIOMemFile).name() : typeid(io).name();
    int status = 0;
    char* plain = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
    std::string name = std::string("class ") + (plain && status == 0 ? plain : mangled);
    free(plain);
    return name;
}

CProfiler* logCreateProfiler()
{
    CProfiler* profiler = new CProfiler();
    profiler->start("");
    profiler->stop();
    return profiler;
}

void logProfilerResume(CProfiler* profiler)
{
    if (profiler)
        profiler->resume();
}

void logProfilerStop(CProfiler* profiler)
{
    if (profiler)
        profiler->stop();
}

void logProfilerLap(CProfiler* profiler)
{
    if (profiler)
        profiler->lap();
}

void logDeleteProfiler(CProfiler* profiler)
{
    delete profiler;
}

LogProcAnalyse* logCreateHeapAnalyser()
{
    LogProcAnalyse* analyser = new LogProcAnalyse();
    analyser->start();
    return analyser;
}

unsigned long logHeapCurrent(LogProcAnalyse* analyser)
{
    return analyser ? analyser->current() : 0;
}

unsigned long logHeapDifference(LogProcAnalyse* analyser)
{
    return analyser ? analyser->difference() : 0;
}

void logDeleteHeapAnalyser(LogProcAnalyse* analyser)
{
    // The analyser deletes "heap.out" as it goes.
    delete analyser;
}

} // namespace zvcrypt
