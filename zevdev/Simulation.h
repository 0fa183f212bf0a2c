// The simulated device library behind the exports: handles, scenario playback and the
// journal. One process-wide instance; every entry point locks it.
#pragma once
#include "Scenario.h"
#include "ZevDevSim.h"
#include <map>
#include <memory>
#include <string>
#include <windows.h>

namespace zevdev {

class Simulation {
public:
    static Simulation& instance();

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
        ScenarioPass pending;  // the device the last command found, until it is parsed
        ScenarioPass parsed;   // device record 0 after ZDAPI_ParseCurrentOutput
        bool hasParsed = false;
    };

    Simulation();
    ~Simulation();
    Session* find(ZDHANDLE handle);
    void loadScenario();
    void record(const std::string& line);

    CRITICAL_SECTION m_lock;
    std::map<ZDHANDLE, std::unique_ptr<Session>> m_sessions;
    Scenario m_scenario;
    bool m_loaded = false;
    std::map<std::string, size_t> m_nextPass;  // per command text
    std::string m_journal;
    ZDSIM_EXEC_HOOK m_hook = nullptr;
    void* m_hookContext = nullptr;
};

} // namespace zevdev
