#include "Simulation.h"
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace zevdev {

namespace {

const char SCENARIO_ENV[] = "ZEVDEV_SCENARIO";
const char JOURNAL_ENV[] = "ZEVDEV_JOURNAL";
const char SCENARIO_BESIDE_DLL[] = "zevdev-scenario.txt";

class Lock {
public:
    explicit Lock(CRITICAL_SECTION& cs) : m_cs(cs) { EnterCriticalSection(&m_cs); }
    ~Lock() { LeaveCriticalSection(&m_cs); }
private:
    CRITICAL_SECTION& m_cs;
};

// As "%p" prints it (zero-padded, lower case), by hand: the runtime's C99 printf alone
// would be a quarter of this DLL.
std::string Ptr(const void* p)
{
    uintptr_t value = reinterpret_cast<uintptr_t>(p);
    std::string text(2 * sizeof value, '0');
    for (size_t i = text.size(); i-- > 0; value >>= 4)
        text[i] = "0123456789abcdef"[value & 15];
    return text;
}

// Journal fields are tab-separated, one call a line: line ends and tabs in texts are escaped.
std::string Text(const char* s)
{
    if (!s) return "(null)";
    std::string out;
    for (; *s; ++s) {
        if (*s == '\r') out += "\\r";
        else if (*s == '\n') out += "\\n";
        else if (*s == '\t') out += "\\t";
        else out += *s;
    }
    return out;
}

std::string Env(const char* name)
{
    char value[MAX_PATH * 2];
    DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
    return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

std::string DllFolder()
{
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&DllFolder), &self);
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(self, path, MAX_PATH);
    std::string p(path, n < MAX_PATH ? n : 0);
    size_t slash = p.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : p.substr(0, slash + 1);
}

bool ReadWholeFile(const std::string& path, std::string& text)
{
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return false;
    char chunk[4096];
    size_t n;
    text.clear();
    while ((n = fread(chunk, 1, sizeof chunk, f)) > 0) text.append(chunk, n);
    fclose(f);
    return true;
}

int Copy(const std::string& text, char* buffer, unsigned long size, unsigned long* length)
{
    if (!buffer || size == 0) return ZD_E_ARGUMENT;
    size_t n = text.size() < size - 1 ? text.size() : size - 1;
    memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    if (length) *length = static_cast<unsigned long>(n);
    return n < text.size() ? ZD_E_TRUNCATED : ZD_OK;
}

} // namespace

Simulation& Simulation::instance()
{
    static Simulation sim;
    return sim;
}

Simulation::Simulation() { InitializeCriticalSection(&m_lock); }
Simulation::~Simulation() { DeleteCriticalSection(&m_lock); }

Simulation::Session* Simulation::find(ZDHANDLE handle)
{
    auto it = m_sessions.find(handle);
    return it == m_sessions.end() ? nullptr : it->second.get();
}

void Simulation::record(const std::string& line)
{
    m_journal += line;
    m_journal += '\n';
    std::string path = Env(JOURNAL_ENV);
    if (path.empty()) return;
    if (FILE* f = fopen(path.c_str(), "ab")) {
        fwrite(line.data(), 1, line.size(), f);
        fputs("\r\n", f);
        fclose(f);
    }
}

// Lines that start with '#' tell where the scenario came from; the others are calls.
void Simulation::loadScenario()
{
    m_loaded = true;
    m_scenario = Scenario();
    m_nextPass.clear();
    std::string path = Env(SCENARIO_ENV);
    if (path.empty()) path = DllFolder() + SCENARIO_BESIDE_DLL;
    std::string text;
    if (!ReadWholeFile(path, text)) {
        record("# no scenario: " + path);
        return;
    }
    std::string error;
    if (!ParseScenario(text, m_scenario, error)) {
        m_scenario = Scenario();
        record("# scenario " + path + " rejected, " + error);
        return;
    }
    record("# scenario " + path);
}

ZDHANDLE Simulation::createHandle()
{
    Lock lock(m_lock);
    if (!m_loaded) loadScenario();
    auto session = std::make_unique<Session>();
    ZDHANDLE handle = session.get();
    m_sessions[handle] = std::move(session);
    record("ZDAPI_CreateHandle\t=" + Ptr(handle));
    return handle;
}

int Simulation::exec(ZDHANDLE handle, unsigned long flags, const char* command)
{
    ZDSIM_EXEC_HOOK hook;
    void* context;
    {
        Lock lock(m_lock);
        record("ZDAPI_ZevDevExec\t" + Ptr(handle) + "\t" + std::to_string(flags) + "\t" + Text(command));
        hook = m_hook;
        context = m_hookContext;
    }
    // Outside the lock: a test's hook may look at windows or call anything.
    if (hook) hook(command ? command : "", context);

    Lock lock(m_lock);
    Session* s = find(handle);
    if (!s) return ZD_E_HANDLE;
    s->pending = ScenarioPass();
    s->parsed = ScenarioPass();
    s->hasParsed = false;
    if (!command) {
        s->output.clear();
        return ZD_E_ARGUMENT;
    }
    std::string text = command;
    if (text.compare(0, 6, "eject ") != 0) {
        s->output = "unknown command: " + text + "\r\n";
        return ZD_E_COMMAND;
    }
    const ScenarioCommand* c = m_scenario.find(text);
    size_t& next = m_nextPass[text];
    const ScenarioPass* pass = nullptr;
    if (c && next < c->passes.size()) pass = &c->passes[next++];
    else if (c && c->repeatLast && !c->passes.empty()) pass = &c->passes.back();
    if (!pass) {
        s->output = NoDeviceOutput(text);
        return ZD_OK;
    }
    s->output = pass->output;
    s->pending = *pass;
    return ZD_OK;
}

int Simulation::getOutput(ZDHANDLE handle, char* buffer, unsigned long size, unsigned long* length)
{
    Lock lock(m_lock);
    record("ZDAPI_GetOutput\t" + Ptr(handle) + "\t" + Ptr(buffer) + "\t" + std::to_string(size) + "\t" + Ptr(length));
    Session* s = find(handle);
    if (!s) return ZD_E_HANDLE;
    return Copy(s->output, buffer, size, length);
}

int Simulation::parseCurrentOutput(ZDHANDLE handle, unsigned long flags)
{
    Lock lock(m_lock);
    record("ZDAPI_ParseCurrentOutput\t" + Ptr(handle) + "\t" + std::to_string(flags));
    Session* s = find(handle);
    if (!s) return ZD_E_HANDLE;
    s->parsed = s->pending;
    s->hasParsed = s->pending.hasDevice();
    return ZD_OK;
}

int Simulation::getDevice(ZDHANDLE handle, int index, char* buffer, unsigned long size, unsigned long* length)
{
    Lock lock(m_lock);
    record("ZDAPI_GetDevice\t" + Ptr(handle) + "\t" + std::to_string(index) + "\t" + Ptr(buffer) + "\t" +
           std::to_string(size) + "\t" + Ptr(length));
    Session* s = find(handle);
    if (!s) return ZD_E_HANDLE;
    if (index != 0 || !s->hasParsed) {
        Copy(std::string(), buffer, size, length);
        return ZD_E_NODEVICE;
    }
    return Copy(s->parsed.deviceRecord(), buffer, size, length);
}

int Simulation::getDeviceInfo(ZDHANDLE handle, int index, const char* key, char* buffer, unsigned long size,
                              unsigned long* length)
{
    Lock lock(m_lock);
    record("ZDAPI_GetDeviceInfo\t" + Ptr(handle) + "\t" + std::to_string(index) + "\t" + Text(key) + "\t" +
           Ptr(buffer) + "\t" + std::to_string(size) + "\t" + Ptr(length));
    Session* s = find(handle);
    if (!s) return ZD_E_HANDLE;
    if (index != 0 || !s->hasParsed) {
        Copy(std::string(), buffer, size, length);
        return ZD_E_NODEVICE;
    }
    const std::string* value = key ? s->parsed.field(key) : nullptr;
    return Copy(value ? *value : std::string(), buffer, size, length);
}

int Simulation::closeHandle(ZDHANDLE* pHandle)
{
    Lock lock(m_lock);
    // The journal shows both the variable's address and the handle found there.
    record("ZDAPI_CloseHandle\t" + Ptr(pHandle) + "\t" + (pHandle ? Ptr(*pHandle) : std::string("(null)")));
    if (!pHandle) return ZD_E_ARGUMENT;
    auto it = m_sessions.find(*pHandle);
    if (it == m_sessions.end()) return ZD_E_HANDLE;
    m_sessions.erase(it);
    *pHandle = nullptr;
    return ZD_OK;
}

void Simulation::reset()
{
    Lock lock(m_lock);
    m_journal.clear();
    m_scenario = Scenario();
    m_nextPass.clear();
    m_loaded = false;
}

unsigned long Simulation::journal(char* buffer, unsigned long size)
{
    Lock lock(m_lock);
    Copy(m_journal, buffer, size, nullptr);
    return static_cast<unsigned long>(m_journal.size());
}

void Simulation::setExecHook(ZDSIM_EXEC_HOOK hook, void* context)
{
    Lock lock(m_lock);
    m_hook = hook;
    m_hookContext = context;
}

} // namespace zevdev
