// The exports of ZevDevDll.dll; the work is done by the library object.
#include "Library.h"

using zevdev::Library;

extern "C" {

ZDHANDLE ZDAPI_CreateHandle(void) { return Library::instance().createHandle(); }

int ZDAPI_ZevDevExec(ZDHANDLE handle, unsigned long flags, const char* command)
{
    return Library::instance().exec(handle, flags, command);
}

int ZDAPI_GetOutput(ZDHANDLE handle, char* buffer, unsigned long size, unsigned long* length)
{
    return Library::instance().getOutput(handle, buffer, size, length);
}

int ZDAPI_ParseCurrentOutput(ZDHANDLE handle, unsigned long flags)
{
    return Library::instance().parseCurrentOutput(handle, flags);
}

int ZDAPI_GetDevice(ZDHANDLE handle, int index, char* buffer, unsigned long size, unsigned long* length)
{
    return Library::instance().getDevice(handle, index, buffer, size, length);
}

int ZDAPI_GetDeviceInfo(ZDHANDLE handle, int index, const char* key, char* buffer, unsigned long size,
                        unsigned long* length)
{
    return Library::instance().getDeviceInfo(handle, index, key, buffer, size, length);
}

int ZDAPI_CloseHandle(ZDHANDLE* pHandle) { return Library::instance().closeHandle(pHandle); }

void ZDSIM_Reset(void) { Library::instance().reset(); }

unsigned long ZDSIM_GetJournal(char* buffer, unsigned long size)
{
    return Library::instance().journal(buffer, size);
}

void ZDSIM_SetExecHook(ZDSIM_EXEC_HOOK hook, void* context)
{
    Library::instance().setExecHook(hook, context);
}

} // extern "C"
