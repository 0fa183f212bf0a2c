// The resource tracker: name lookups, reports on the logger's broadcasts (including the
// replay of a start that happened before a tracker registered) and teardown.
#include <gtest/gtest.h>
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include <zvcrypt/Blob.h>
#include <zvcrypt/LogDefs.h>
#include <zvcrypt/ResMan.h>
#include <zvcrypt/zvMessage.h>

using zvcrypt::Blob;
using zvcrypt::zvMessage;
using zvcrypt::zvResManInit;

namespace {

std::string tempFile(const char* name)
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    return std::string(temp) + name + std::to_string(GetCurrentProcessId()) + ".txt";
}

std::string readFile(const std::string& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

size_t count(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// Runs f with standard error (the library's direct traces) going to a file.
template <class F> std::string stderrOf(F f)
{
    const std::string file = tempFile("resman_stderr");
    fflush(stderr);
    int saved = _dup(2);
    int fd = _open(file.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, 0666);
    _dup2(fd, 2);
    _close(fd);
    f();
    fflush(stderr);
    _dup2(saved, 2);
    _close(saved);
    std::string text = readFile(file);
    DeleteFileA(file.c_str());
    return text;
}

} // namespace

TEST(ResourceTracker, NamesOnlyWhatWasRecordedAndReportsNothingWhenEmpty)
{
    const DWORD tid = GetCurrentThreadId();
    EXPECT_STREQ("nothing found", zvResManInit::findName(tid).getString());
    ASSERT_TRUE(zvResManInit::addHandle(tid, Blob("ui thread")));
    EXPECT_STREQ("ui thread", zvResManInit::findName(tid).getString());
    EXPECT_TRUE(zvResManInit::removeHandle(tid));
    EXPECT_STREQ("nothing found", zvResManInit::findName(tid).getString());

    std::string text = stderrOf([] { zvMessage::getInstance()->broadcast(ZV_MSG_LOG_STARTED); });
    EXPECT_NE(std::string::npos, text.find("->CALLING zvMessageAction "));
    EXPECT_EQ(std::string::npos, text.find("[zvResMan]"));
    EXPECT_EQ(std::string::npos, text.find("[zvResman]"));
}

TEST(ResourceTracker, LateTrackerIsToldOfAnEarlierStart)
{
    // The start of the logger is in the broadcaster's history before the tracker exists.
    zvMessage::getInstance()->broadcast(ZV_MSG_LOG_STARTED);
    const unsigned long starts = zvMessage::getHistoryCount();
    ASSERT_GE(starts, 1ul);

    ASSERT_TRUE(zvResManInit::addHandle(0x1234, Blob("worker")));
    ASSERT_TRUE(zvResManInit::addMemory(0x5678, "splash bitmap"));
    // Registration replays the history at once; the second tracker's end keeps the maps.
    std::string text = stderrOf([] { zvResManInit late; });
    EXPECT_EQ(starts, count(text, "[zvResMan]\tzvResManInit::zvMessageAction:  Handle (0x"));
    EXPECT_EQ(starts, count(text, ") worker stayed open"));
    EXPECT_EQ(starts, count(text, ") splash bitmap stayed open"));
    EXPECT_NE(std::string::npos, text.find(" = 4660) worker stayed open"));
    EXPECT_EQ(0u, count(text, "dtor"));
    size_t handle = text.find("Handle (0x");
    size_t memory = text.find("memory (0x");
    EXPECT_LT(handle, memory);  // handles first, then memory

    // The maps survived the second tracker.
    EXPECT_STREQ("worker", zvResManInit::findName(0x1234).getString());
    zvResManInit::removeHandle(0x1234);
    zvResManInit::removeMemory(0x5678);
}

TEST(ResourceTracker, LastTrackerReportsLeftoversAndLookupsFailAfterwards)
{
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string probe(self);
    probe = probe.substr(0, probe.find_last_of('\\') + 1) + "resman_exit_probe.exe";
    const std::string out = tempFile("resman_probe_out");
    const std::string err = tempFile("resman_probe_err");

    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    HANDLE hOut = CreateFileA(out.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    HANDLE hErr = CreateFileA(err.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, hOut);
    ASSERT_NE(INVALID_HANDLE_VALUE, hErr);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = hOut;
    si.hStdError = hErr;
    PROCESS_INFORMATION pi = {};
    std::string cmd = "\"" + probe + "\"";
    ASSERT_TRUE(CreateProcessA(probe.c_str(), &cmd[0], nullptr, nullptr, TRUE, 0, nullptr,
                               nullptr, &si, &pi));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 60000));
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    CloseHandle(hOut);
    CloseHandle(hErr);

    const std::string stdoutText = readFile(out);
    std::string stderrText = readFile(err);
    DeleteFileA(out.c_str());
    DeleteFileA(err.c_str());

    EXPECT_EQ(0u, code);
    EXPECT_NE(std::string::npos, stdoutText.find("running: probe handle\r\n"));
    EXPECT_NE(std::string::npos, stdoutText.find("after exit: noting found mpHandleList==NULL\r\n"));
    EXPECT_NE(std::string::npos, stderrText.find("[zvResMan]\tdtor Handle (0x"));
    EXPECT_LT(stderrText.find("dtor Handle"), stderrText.find("dtor memory"));
    for (char& c : stderrText)  // %p may print either case
        c = (char)tolower((unsigned char)c);
    EXPECT_NE(std::string::npos, stderrText.find("beef) probe handle stayed open"));
    EXPECT_NE(std::string::npos, stderrText.find("f00d) probe block stayed open"));
    EXPECT_NE(std::string::npos, stderrText.find("f00e)  stayed open"));
    EXPECT_NE(std::string::npos, stderrText.find("[zvresman] mphandlelist==null"));
}
