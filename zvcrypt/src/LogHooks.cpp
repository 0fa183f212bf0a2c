// The logger's companions: the memory-mapped ring back-end, the profiler and the heap
// analyser.
#include "LogHooks.h"
#include "LogRing.h"
#include <zvcrypt/LogProcAnalyse.h>
#include <zvcrypt/profiler.h>
#include <cstdlib>
#include <cstring>
#include <typeinfo>

namespace zvcrypt {

zvIO* logCreateRingBackEnd(unsigned long ringSize)
{
    return new LogRing(ringSize);
}

namespace {

// "N7zvcrypt6zvFileE" -> "zvcrypt::zvFile": the plain class names of our back-ends. Any
// other form stays as the compiler wrote it (the runtime's full demangler is 46 KB).
std::string plainClassName(const char* mangled)
{
    const char* p = mangled;
    bool nested = *p == 'N';
    if (nested) ++p;
    std::string name;
    while (*p >= '0' && *p <= '9') {
        char* rest = nullptr;
        unsigned long length = strtoul(p, &rest, 10);
        if (length == 0 || strlen(rest) < length) return mangled;
        if (!name.empty()) name += "::";
        name.append(rest, length);
        p = rest + length;
        if (!nested) break;
    }
    if (name.empty() || strcmp(p, nested ? "E" : "") != 0) return mangled;
    return name;
}

} // namespace

std::string logBackEndName(const zvIO& io)
{
    const char* mangled =
        dynamic_cast<const LogRing*>(&io) ? typeid(zvIOMemFile).name() : typeid(io).name();
    return "class " + plainClassName(mangled);
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
