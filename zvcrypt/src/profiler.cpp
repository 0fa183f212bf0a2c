// Tick-count profiler of the logger.
#include <zvcrypt/profiler.h>
#include <windows.h>
#include <cstring>

namespace zvcrypt {

namespace {
float ticksNow()
{
    return static_cast<float>(GetTickCount());
}
}

CProfiler::CProfiler() : mdElapsed(0.0), mfStart(0.0f), mszName()
{
}

CProfiler::~CProfiler()
{
}

void CProfiler::start(const char* name)
{
    mdElapsed = 0.0;
    strncpy(mszName, name ? name : "The operation", sizeof mszName - 1);
    mszName[sizeof mszName - 1] = 0;
    mfStart = ticksNow();
}

void CProfiler::resume()
{
    mfStart = ticksNow();
}

void CProfiler::stop()
{
    mdElapsed = (static_cast<double>(ticksNow()) - mfStart) * 0.001;
}

double CProfiler::lap()
{
    mdElapsed += (static_cast<double>(ticksNow()) - mfStart) * 0.001;
    return mdElapsed;
}

}  // namespace zvcrypt
