// The library behind the exports: handles with their current output and device records,
// the journal, and the back-end chosen at the first handle (a scenario when one is found,
// else the machine's device tree). One process-wide instance; every entry point locks it.
#pragma once
#include "Backend.h"
#include "SystemDeviceTree.h"
#include "ZevDevSim.h"
#include <map>
#include <memory>
#include <string>
#include <windows.h>

namespace zevdev {

class Library {
public:
    static Library& instance();

    ZDHANDLE createHandle();
    int exec(ZDHANDLE handle, unsigned long flags, const char* command);
    int getOutput(ZDHANDLE handle, char* buffer, unsigned long size, unsigned long* length);
    int parseCurrentOutput(ZDHANDLE handle, unsigned long flags);
    int getDevice(ZDHANDLE handle, int index, char* buffer, unsigned long size, unsigned long* length);
    int getDeviceInfo(ZDHANDLE handle, int index, const char* key, char* buffer, unsigned long size,
                      unsigned long* length);
    int closeHandle(ZDHANDLE* pHandle);

    void reset();
    unsigned long journal(char* buffer, unsigned long size);
    void setExecHook(ZDSIM_EXEC_HOOK hook, void* context);

private:
    struct Session {
        std::string output;
        std::vector<DeviceRecord> pending;  // the devices the last command found, until parsed
        std::vector<DeviceRecord> parsed;   // device records after ZDAPI_ParseCurrentOutput
    };

    Library();
    ~Library();
    // Made when the DLL loads: no lazy construction to guard between threads.
    static Library c_instance;
    Session* find(ZDHANDLE handle);
    const DeviceRecord* parsedRecord(ZDHANDLE handle, int index, char* buffer, unsigned long size,
                                     unsigned long* length, int& result);
    void chooseBackend();
    void record(const std::string& line);

    CRITICAL_SECTION m_lock;
    std::map<ZDHANDLE, std::unique_ptr<Session>> m_sessions;
    SystemDeviceTree m_deviceTree;
    std::unique_ptr<Backend> m_backend;  // null until the first handle after a reset
    std::string m_journal;
    ZDSIM_EXEC_HOOK m_hook = nullptr;
    void* m_hookContext = nullptr;
};

} // namespace zevdev
