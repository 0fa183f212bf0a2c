#include "Library.h"
#include "HexText.h"
#include "SystemBackend.h"
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace zevdev {

namespace {

class Lock {
public:
    explicit Lock(CRITICAL_SECTION& cs) : m_cs(cs) { EnterCriticalSection(&m_cs); }
    ~Lock() { LeaveCriticalSection(&m_cs); }
private:
    CRITICAL_SECTION& m_cs;
};

// The journal's field texts. The shipped build makes no journal lines, so it never calls them.
// As "%p" prints it: zero-padded, lower case.
[[maybe_unused]] std::string Ptr(const void* p)
{
    return HexText(reinterpret_cast<uintptr_t>(p), 2 * sizeof p, false);
}

// Journal fields are tab-separated, one call a line: line ends and tabs in texts are escaped.
[[maybe_unused]] std::string Text(const char* s)
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

#ifdef ZEVDEV_SCENARIOS
// The file that ZEVDEV_JOURNAL names; empty when none.
std::string JournalFile()
{
    const char* name = "ZEVDEV_JOURNAL";
    DWORD size = GetEnvironmentVariableA(name, nullptr, 0);
    if (size == 0) return std::string();
    std::string value(size, '\0');
    DWORD n = GetEnvironmentVariableA(name, &value[0], size);
    value.resize(n < size ? n : 0);
    return value;
}
#endif

// Cuts what does not fit, always terminates, and tells the full length.
int Copy(const std::string& text, char* buffer, unsigned long size, unsigned long* length)
{
    if (length) *length = static_cast<unsigned long>(text.size());
    if (!buffer || size == 0) return ZD_E_ARGUMENT;
    size_t n = text.size() < size - 1 ? text.size() : size - 1;
    memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return n < text.size() ? ZD_E_TRUNCATED : ZD_OK;
}

} // namespace

std::unique_ptr<Backend> ChooseDeviceTree(DeviceTree& tree, std::string& note)
{
    note = "the device tree answers";
    return std::unique_ptr<Backend>(new SystemBackend(tree));
}

Library::Library(DeviceTree& tree, BackendChooser choose) : m_deviceTree(tree), m_choose(choose)
{
    InitializeCriticalSection(&m_lock);
#ifdef ZEVDEV_SCENARIOS
    m_journal.file = JournalFile();
#endif
}

Library::~Library() { DeleteCriticalSection(&m_lock); }

Library::Session* Library::find(ZDHANDLE handle)
{
    auto it = m_sessions.find(handle);
    return it == m_sessions.end() ? nullptr : it->second.get();
}

#ifdef ZEVDEV_SCENARIOS
void Library::Journal::add(const std::string& line)
{
    text += line;
    text += '\n';
    if (file.empty()) return;
    if (FILE* f = fopen(file.c_str(), "ab")) {
        fwrite(line.data(), 1, line.size(), f);
        fputs("\r\n", f);
        fclose(f);
    }
}
#endif

// The journal's lines that start with '#' tell which back-end answers.
void Library::chooseBackend()
{
    std::string note;
    m_backend = m_choose(m_deviceTree, note);
    record([&] { return "# " + note; });
}

ZDHANDLE Library::createHandle()
{
    Lock lock(m_lock);
    if (!m_backend) chooseBackend();
    auto session = std::make_unique<Session>();
    ZDHANDLE handle = session.get();
    m_sessions[handle] = std::move(session);
    record([&] { return "ZDAPI_CreateHandle\t=" + Ptr(handle); });
    return handle;
}

int Library::exec(ZDHANDLE handle, unsigned long flags, const char* command)
{
    ZDSIM_EXEC_HOOK hook;
    void* context;
    {
        Lock lock(m_lock);
        record([&] { return "ZDAPI_ZevDevExec\t" + Ptr(handle) + "\t" + std::to_string(flags) + "\t" + Text(command); });
        hook = m_hook;
        context = m_hookContext;
    }
    // Outside the lock: a test's hook may look at windows or call anything.
    if (hook) hook(command ? command : "", context);

    Lock lock(m_lock);
    Session* s = find(handle);
    if (!s) return ZD_E_HANDLE;
    s->pending.clear();
    s->parsed.clear();
    if (!command) {
        s->output.clear();
        return ZD_E_ARGUMENT;
    }
    if (!m_backend) chooseBackend();  // a reset since this handle was made
    CommandReport report = m_backend->run(command, s->devices);
    s->output = report.output;
    s->pending = report.devices;
    return report.result;
}

int Library::getOutput(ZDHANDLE handle, char* buffer, unsigned long size, unsigned long* length)
{
    Lock lock(m_lock);
    record([&] {
        return "ZDAPI_GetOutput\t" + Ptr(handle) + "\t" + Ptr(buffer) + "\t" + std::to_string(size) + "\t" + Ptr(length);
    });
    Session* s = find(handle);
    if (!s) return ZD_E_HANDLE;
    return Copy(s->output, buffer, size, length);
}

int Library::parseCurrentOutput(ZDHANDLE handle, unsigned long flags)
{
    Lock lock(m_lock);
    record([&] { return "ZDAPI_ParseCurrentOutput\t" + Ptr(handle) + "\t" + std::to_string(flags); });
    Session* s = find(handle);
    if (!s) return ZD_E_HANDLE;
    s->parsed = s->pending;
    return ZD_OK;
}

// Device record `index` of the handle's parsed output; else clears the caller's buffer
// and sets `result` to the error.
const DeviceRecord* Library::parsedRecord(ZDHANDLE handle, int index, char* buffer, unsigned long size,
                                          unsigned long* length, int& result)
{
    Session* s = find(handle);
    if (!s) {
        result = ZD_E_HANDLE;
        return nullptr;
    }
    if (index < 0 || static_cast<size_t>(index) >= s->parsed.size()) {
        Copy(std::string(), buffer, size, length);
        result = ZD_E_NODEVICE;
        return nullptr;
    }
    return &s->parsed[static_cast<size_t>(index)];
}

int Library::getDevice(ZDHANDLE handle, int index, char* buffer, unsigned long size, unsigned long* length)
{
    Lock lock(m_lock);
    record([&] {
        return "ZDAPI_GetDevice\t" + Ptr(handle) + "\t" + std::to_string(index) + "\t" + Ptr(buffer) + "\t" +
               std::to_string(size) + "\t" + Ptr(length);
    });
    int result = ZD_OK;
    const DeviceRecord* device = parsedRecord(handle, index, buffer, size, length, result);
    return device ? Copy(device->recordText(), buffer, size, length) : result;
}

int Library::getDeviceInfo(ZDHANDLE handle, int index, const char* key, char* buffer, unsigned long size,
                           unsigned long* length)
{
    Lock lock(m_lock);
    record([&] {
        return "ZDAPI_GetDeviceInfo\t" + Ptr(handle) + "\t" + std::to_string(index) + "\t" + Text(key) + "\t" +
               Ptr(buffer) + "\t" + std::to_string(size) + "\t" + Ptr(length);
    });
    int result = ZD_OK;
    const DeviceRecord* device = parsedRecord(handle, index, buffer, size, length, result);
    if (!device) return result;
    const std::string* value = key ? device->field(key) : nullptr;
    return Copy(value ? *value : std::string(), buffer, size, length);
}

int Library::closeHandle(ZDHANDLE* pHandle)
{
    Lock lock(m_lock);
    // The journal shows both the variable's address and the handle found there.
    record([&] { return "ZDAPI_CloseHandle\t" + Ptr(pHandle) + "\t" + (pHandle ? Ptr(*pHandle) : std::string("(null)")); });
    if (!pHandle) return ZD_E_ARGUMENT;
    auto it = m_sessions.find(*pHandle);
    if (it == m_sessions.end()) return ZD_E_HANDLE;
    m_sessions.erase(it);
    *pHandle = nullptr;
    return ZD_OK;
}

#ifdef ZEVDEV_SCENARIOS
void Library::reset()
{
    std::string file = JournalFile();   // read before the lock: nothing else waits for it
    Lock lock(m_lock);
    m_journal.text.clear();
    m_journal.file = file;
    m_backend.reset();
}

unsigned long Library::journal(char* buffer, unsigned long size)
{
    Lock lock(m_lock);
    Copy(m_journal.text, buffer, size, nullptr);
    return static_cast<unsigned long>(m_journal.text.size());
}
#endif

void Library::setExecHook(ZDSIM_EXEC_HOOK hook, void* context)
{
    Lock lock(m_lock);
    m_hook = hook;
    m_hookContext = context;
}

} // namespace zevdev
