#include "EjectPasses.h"

bool EjectPasses::Take(EjectResult pass, long devicesEjected)
{
    bool last = false;
    if (pass == EJECT_RESULT_INCONCLUSIVE) {
        ++passes;
    } else {
        result = pass;
        last = true;
    }
    if (devicesEjected != 0) devicesWereEjected = true;
    else if (devicesWereEjected) last = true;
    return !last && passes < EJECT_MAX_PASSES;
}
