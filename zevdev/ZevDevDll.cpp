// The exports of ZevDevDll.dll; the work is done by the library object. The test build
// (ZEVDEV_SCENARIOS) also plays scenarios and exports the test hooks of ZevDevSim.h; the
// shipped library has neither and always asks the device tree.
#include "Library.h"
#include "SystemDeviceTree.h"
#ifdef ZEVDEV_SCENARIOS
#include "ScenarioChoice.h"
#endif

using zevdev::Library;

namespace {

// Made when the DLL loads, in this order: no lazy construction to guard between threads.
zevdev::SystemDeviceTree c_deviceTree;
#ifdef ZEVDEV_SCENARIOS
Library c_library(c_deviceTree, zevdev::ChooseScenarioOrDeviceTree);
#else
Library c_library(c_deviceTree, zevdev::ChooseDeviceTree);
#endif

} // namespace

extern "C" {

ZDHANDLE ZDAPI_CreateHandle(void) { return c_library.createHandle(); }

int ZDAPI_ZevDevExec(ZDHANDLE handle, unsigned long flags, const char* command)
{
    return c_library.exec(handle, flags, command);
}

int ZDAPI_GetOutput(ZDHANDLE handle, char* buffer, unsigned long size, unsigned long* length)
{
    return c_library.getOutput(handle, buffer, size, length);
}

int ZDAPI_ParseCurrentOutput(ZDHANDLE handle, unsigned long flags)
{
    return c_library.parseCurrentOutput(handle, flags);
}

int ZDAPI_GetDevice(ZDHANDLE handle, int index, char* buffer, unsigned long size, unsigned long* length)
{
    return c_library.getDevice(handle, index, buffer, size, length);
}

int ZDAPI_GetDeviceInfo(ZDHANDLE handle, int index, const char* key, char* buffer, unsigned long size,
                        unsigned long* length)
{
    return c_library.getDeviceInfo(handle, index, key, buffer, size, length);
}

int ZDAPI_CloseHandle(ZDHANDLE* pHandle) { return c_library.closeHandle(pHandle); }

#ifdef ZEVDEV_SCENARIOS
void ZDSIM_Reset(void) { c_library.reset(); }

unsigned long ZDSIM_GetJournal(char* buffer, unsigned long size) { return c_library.journal(buffer, size); }

void ZDSIM_SetExecHook(ZDSIM_EXEC_HOOK hook, void* context) { c_library.setExecHook(hook, context); }
#endif

} // extern "C"
