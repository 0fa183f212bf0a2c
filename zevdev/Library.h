// The library behind the exports: handles with their current output, device records and
// device list, and the back-end chosen at the first handle. The DLL holds one process-wide
// instance over the machine's device tree; every entry point locks it. Only a build with
// ZEVDEV_SCENARIOS (tests, the demo) keeps the call journal: the shipped object has none.
#pragma once
#include "Backend.h"
#include "DeviceTree.h"
#include "ZevDevSim.h"
#include <map>
#include <memory>
#include <string>
#include <windows.h>

namespace zevdev {

// Chooses the back-end at the first handle after a reset and says in `note` (the
// journal's first line, after "# ") which one answers and why.
typedef std::unique_ptr<Backend> (*BackendChooser)(DeviceTree& tree, std::string& note);

// The chooser of the shipped library: the device tree, always.
std::unique_ptr<Backend> ChooseDeviceTree(DeviceTree& tree, std::string& note);

class Library {
public:
    Library(DeviceTree& tree, BackendChooser choose);
    ~Library();
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    ZDHANDLE createHandle();
    int exec(ZDHANDLE handle, unsigned long flags, const char* command);
    int getOutput(ZDHANDLE handle, char* buffer, unsigned long size, unsigned long* length);
    int parseCurrentOutput(ZDHANDLE handle, unsigned long flags);
    int getDevice(ZDHANDLE handle, int index, char* buffer, unsigned long size, unsigned long* length);
    int getDeviceInfo(ZDHANDLE handle, int index, const char* key, char* buffer, unsigned long size,
                      unsigned long* length);
    int closeHandle(ZDHANDLE* pHandle);

#ifdef ZEVDEV_SCENARIOS
    void reset();
    unsigned long journal(char* buffer, unsigned long size);
#endif
    void setExecHook(ZDSIM_EXEC_HOOK hook, void* context);

private:
    struct Session {
        std::string output;
        std::vector<DeviceRecord> pending;  // the devices the last command found, until parsed
        std::vector<DeviceRecord> parsed;   // device records after ZDAPI_ParseCurrentOutput
        DeviceList devices;                 // read once, reused by the handle's commands
    };
    Session* find(ZDHANDLE handle);
    const DeviceRecord* parsedRecord(ZDHANDLE handle, int index, char* buffer, unsigned long size,
                                     unsigned long* length, int& result);
    void chooseBackend();
    // Journals the line that line() makes; where no journal is built, the line is never made.
    template <class MakeLine> void record(MakeLine line)
    {
#ifdef ZEVDEV_SCENARIOS
        m_journal.add(line());
#else
        (void)line;
#endif
    }

    CRITICAL_SECTION m_lock;
    std::map<ZDHANDLE, std::unique_ptr<Session>> m_sessions;
    DeviceTree& m_deviceTree;
    BackendChooser m_choose;
    std::unique_ptr<Backend> m_backend;  // null until the first handle after a reset
#ifdef ZEVDEV_SCENARIOS
    // Every call as one line; also appended to the file that ZEVDEV_JOURNAL named when the
    // library was made or last reset (read then, not under the lock at every call).
    struct Journal {
        std::string text;
        std::string file;
        void add(const std::string& line);
    };
    Journal m_journal;
#endif
    ZDSIM_EXEC_HOOK m_hook = nullptr;
    void* m_hookContext = nullptr;
};

} // namespace zevdev
