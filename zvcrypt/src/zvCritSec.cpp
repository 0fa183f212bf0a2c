#include <zvcrypt/zvCritSec.h>
#include <windows.h>

namespace zvcrypt {

zvCritSec::zvCritSec() : mpCritSec(new CRITICAL_SECTION)
{
    InitializeCriticalSection(mpCritSec);
}

zvCritSec::~zvCritSec()
{
    if (mpCritSec) {
        DeleteCriticalSection(mpCritSec);
        delete mpCritSec;
        mpCritSec = nullptr;
    }
}

void zvCritSec::lock()
{
    EnterCriticalSection(mpCritSec);
}

void zvCritSec::unlock()
{
    LeaveCriticalSection(mpCritSec);
}

}  // namespace zvcrypt
