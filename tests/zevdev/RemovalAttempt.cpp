#include "RemovalAttempt.h"
#include "EjectPasses.h"
#include "EjectReport.h"
#include "RemoveManager.h"

const char* const EJECT_COMMAND_40 = EJECT_COMMAND_1;
const char* const EJECT_COMMAND_41 = EJECT_COMMAND_2;

namespace {

const unsigned long REPORT_BUFFER = 16000;

// One pass, the calls in the program's order.
EjectResult Pass(zevdev::Library& library, ZDHANDLE handle, const char* command, long& devicesEjected)
{
    static char buffer[REPORT_BUFFER];
    unsigned long length = 0;
    devicesEjected = 0;
    EjectResult result = EJECT_RESULT_INCONCLUSIVE;
    library.exec(handle, 0, command);
    library.getOutput(handle, buffer, REPORT_BUFFER, &length);
    FindDevicesEjected(buffer, &devicesEjected);
    library.parseCurrentOutput(handle, 0);
    library.getDevice(handle, 0, buffer, REPORT_BUFFER, &length);
    library.getDeviceInfo(handle, 0, "info", buffer, REPORT_BUFFER, &length);
    switch (ClassifyEjectInfo(buffer)) {
    case EJECT_INFO_EJECTED:
        result = EJECT_RESULT_DONE;
        break;
    case EJECT_INFO_FAILED:
        library.getDeviceInfo(handle, 0, "error", buffer, REPORT_BUFFER, &length);
        result = EjectErrorResult(buffer);
        break;
    case EJECT_INFO_NONE:
        break;
    }
    return result;
}

EjectResult Command(zevdev::Library& library, const char* command, bool handlePerPass, RemovalAttempt& attempt)
{
    ZDHANDLE handle = library.createHandle();
    ++attempt.handles;
    EjectPasses loop;
    bool goOn = true;
    for (int passes = 0; goOn; ++passes) {
        if (handlePerPass && passes > 0) {
            library.closeHandle(&handle);
            handle = library.createHandle();
            ++attempt.handles;
        }
        long devicesEjected = 0;
        EjectResult pass = Pass(library, handle, command, devicesEjected);
        ++attempt.passes;
        goOn = loop.Take(pass, devicesEjected);
    }
    library.closeHandle(&handle);
    return loop.result;
}

} // namespace

RemovalAttempt RunRemovalAttempt(zevdev::Library& library, bool handlePerPass)
{
    RemovalAttempt attempt;
    Command(library, EJECT_COMMAND_40, handlePerPass, attempt);
    attempt.result = Command(library, EJECT_COMMAND_41, handlePerPass, attempt);
    return attempt;
}
