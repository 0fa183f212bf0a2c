// The guards that create the logger with the first of them and destroy it with the last.
// Kept apart from the log entry points: only a program that holds a guard links the logger.
#include "LogInt.h"
#include <zvcrypt/Log.h>

using zvcrypt::gpLogTarget;
using zvcrypt::giLogInitCount;

// Static initialisation and termination run on one thread: the count needs no lock.
zvCLogInit::zvCLogInit()
{
    if (giLogInitCount++ == 0) {
        if (!gpLogTarget)
            gpLogTarget = new zvcrypt::zvCLog();
        else
            zvLogRaw("*******zvCLogInit THIS SHOULD NOT HAPPEN******");
    }
}

zvCLogInit::~zvCLogInit()
{
    if (--giLogInitCount == 0 && gpLogTarget) {
        delete gpLogTarget;
        gpLogTarget = nullptr;
    }
}
