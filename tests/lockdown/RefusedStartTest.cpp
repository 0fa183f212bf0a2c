// A copy that cannot be started: a load order that disables exactly the copy in this test's
// Temp (set for this program by the build, see CMakeLists.txt) makes Windows refuse it, as a
// policy that refuses programs in Temp would (error 126 here, 1260 or 577 there).
#include "AppTestSupport.h"
#include <cstdio>

using namespace apptest;

namespace {

// A message box of process pid with the given caption: its text, and it is closed with OK.
// Empty when none came.
std::string CloseBoxOf(DWORD pid, const char* caption)
{
    HWND box = nullptr;
    WaitUntil([&] {
        for (HWND h = FindWindowExA(nullptr, nullptr, "#32770", caption); h && !box;
             h = FindWindowExA(nullptr, h, "#32770", caption)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(h, &owner);
            if (owner == pid) box = h;
        }
        return box != nullptr;
    }, 20000);
    if (!box) return std::string();
    std::string text;
    for (HWND child = FindWindowExA(box, nullptr, "Static", nullptr); child && text.empty();
         child = FindWindowExA(box, child, "Static", nullptr)) {
        char buffer[256] = "";
        GetWindowTextA(child, buffer, sizeof buffer);
        text = buffer;
    }
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    return text;
}

std::string SystemText(DWORD code)
{
    char buffer[512] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buffer,
                   sizeof buffer, nullptr);
    std::string text = buffer;
    return text.substr(0, text.find_first_of("\r\n"));
}

} // namespace

using RefusedCopy = AppRun;

TEST_F(RefusedCopy, ShowsTheBoxAndLeavesTempAsItWas)
{
    ASSERT_TRUE(WriteBytes(m_temp + "\\someone-elses.txt", "kept"));
    const std::vector<std::string> before = ListDir(m_temp);
    DWORD pid = 0;
    HANDLE first = StartFromToken("/RmDir=oldpkg", &pid);
    EXPECT_EQ("Vacater-Tool could not be started", CloseBoxOf(pid, "Error"));
    ASSERT_TRUE(WaitForExit(first, 30000));
    EXPECT_TRUE(ProcessesAt(m_temp + "\\Vacater.exe").empty());
    EXPECT_EQ(before, ListDir(m_temp)) << "the copies are removed again, nothing else";
    EXPECT_EQ("kept", ReadBytes(m_temp + "\\someone-elses.txt"));
    std::string log = LogOf(pid);
    EXPECT_EQ(1u, Occurrences(log, "REMOVE_EXE : could not start the copy, error 126: " + SystemText(126) + " ")) << log;
    EXPECT_EQ(static_cast<size_t>(SHIPPED_FILE_COUNT), Occurrences(log, "REMOVE_EXE : removed the copy ")) << log;
    EXPECT_FALSE(Exists(m_root + "\\journal.txt")) << "no device was asked";
}

// A copy that starts but dies at once: its device library cannot be copied beside it (a folder
// of that name is in the way), so the loader stops it before any of its code runs. The
// instance that started it traces the exit code; no box of ours comes.
TEST_F(RefusedCopy, ACopyThatDiesAtOnceIsTracedByItsStarter)
{
    ASSERT_TRUE(MakeDirs(m_temp + "\\ZevDevDll.dll"));
    DWORD pid = 0;
    HANDLE first = StartFromToken("/RmDir=oldpkg", &pid);
    ASSERT_TRUE(WaitForExit(first, 30000));
    std::string log = LogOf(pid);
    EXPECT_EQ(1u, Occurrences(log, "REMOVE_EXE : the copy ended at once, exit code 0xC0000135 ")) << log;
    EXPECT_EQ(0u, Occurrences(log, "could not start the copy")) << log;
    EXPECT_TRUE(ProcessesAt(m_temp + "\\Vacater.exe").empty());
}
