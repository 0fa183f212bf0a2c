// The exports of ZevDevDll.dll; the work is done by the simulation.
#include "Simulation.h"

using zevdev::Simulation;

extern "C" {

ZDHANDLE ZDAPI_CreateHandle(void) { return Simulation::instance().createHandle(); }

int ZDAPI_ZevDevExec(ZDHANDLE handle, unsigned long flags, const char* command)
{
    return Simulation::instance().exec(handle, flags, command);
}

int ZDAPI_GetOutput(ZDHANDLE handle, char* buffer, unsigned long size, unsigned long* length)
{
    return Simulation::instance().getOutput(handle, buffer, size, length);
}

int ZDAPI_ParseCurrentOutput(ZDHANDLE handle, unsigned long flags)
{
    return Simulation::instance().parseCurrentOutput(handle, flags);
}

int ZDAPI_GetDevice(ZDHANDLE handle, int index, char* buffer, unsigned long size, unsigned long* length)
{
    return Simulation::instance().getDevice(handle, index, buffer, size, length);
}

int ZDAPI_GetDeviceInfo(ZDHANDLE handle, int index, const char* key, char* buffer, unsigned long size,
                        unsigned long* length)
{
    return Simulation::instance().getDeviceInfo(handle, index, key, buffer, size, length);
}

int ZDAPI_CloseHandle(ZDHANDLE* pHandle) { return Simulation::instance().closeHandle(pHandle); }

void ZDSIM_Reset(void) { Simulation::instance().reset(); }

unsigned long ZDSIM_GetJournal(char* buffer, unsigned long size)
{
    return Simulation::instance().journal(buffer, size);
}

void ZDSIM_SetExecHook(ZDSIM_EXEC_HOOK hook, void* context)
{
    Simulation::instance().setExecHook(hook, context);
}

} // extern "C"
