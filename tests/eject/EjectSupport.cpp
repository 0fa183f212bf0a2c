#include "EjectSupport.h"
#include <ZevDevSim.h>
#include <algorithm>
#include <cstdio>
#include <map>
#include <gtest/gtest.h>

namespace ejecttest {

namespace {
const UINT WM_RUN = WM_APP + 77;
}

std::string PackageFile(const char* name)
{
    return std::string(EJECT_PACKAGE_DIR) + "/" + name;
}

CurrentDir::CurrentDir(const std::string& dir)
{
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    m_previous = previous;
    SetCurrentDirectoryA(dir.c_str());
}

LoopThread::LoopThread()
{
    m_ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_thread = CreateThread(nullptr, 0, Main, this, 0, &m_id);
    WaitForSingleObject(m_ready, INFINITE);
}

LoopThread::~LoopThread()
{
    PostThreadMessageA(m_id, WM_QUIT, 0, 0);
    WaitForSingleObject(m_thread, 30000);
    CloseHandle(m_thread);
    CloseHandle(m_ready);
}

DWORD WINAPI LoopThread::Main(void* self)
{
    MSG msg;
    PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // the queue exists from here on
    SetEvent(static_cast<LoopThread*>(self)->m_ready);
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (!msg.hwnd && msg.message == WM_RUN) {
            (*reinterpret_cast<std::function<void()>*>(msg.lParam))();
            SetEvent(reinterpret_cast<HANDLE>(msg.wParam));
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

void LoopThread::run(const std::function<void()>& fn)
{
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::function<void()> copy = fn;
    PostThreadMessageA(m_id, WM_RUN, reinterpret_cast<WPARAM>(done), reinterpret_cast<LPARAM>(&copy));
    // On a time-out the thread may still use `copy` and `done`: better a stopped test than a crash.
    if (WaitForSingleObject(done, 120000) != WAIT_OBJECT_0) {
        ADD_FAILURE() << "the loop thread did not finish in time";
        TerminateProcess(GetCurrentProcess(), 3);
    }
    CloseHandle(done);
}

namespace {
BOOL CALLBACK CollectSplash(HWND hWnd, LPARAM lp)
{
    char cls[64] = "", text[512] = "";
    GetClassNameA(hWnd, cls, sizeof cls);
    if (strncmp(cls, "ZvWnd:", 6) != 0) return TRUE;
    SplashInfo s = {};
    s.hWnd = hWnd;
    GetWindowRect(hWnd, &s.window);
    GetClientRect(hWnd, &s.client);
    s.style = static_cast<DWORD>(GetWindowLongPtrA(hWnd, GWL_STYLE));
    GetWindowTextA(hWnd, text, sizeof text);
    s.text = text;
    s.visible = IsWindowVisible(hWnd) != FALSE;
    reinterpret_cast<std::vector<SplashInfo>*>(lp)->push_back(s);
    return TRUE;
}
} // namespace

std::vector<SplashInfo> SplashWindows(DWORD threadId)
{
    std::vector<SplashInfo> found;
    EnumThreadWindows(threadId, CollectSplash, reinterpret_cast<LPARAM>(&found));
    return found;
}

RECT WorkArea()
{
    RECT area = {};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

std::string SymbolicJournal()
{
    std::string text(ZDSIM_GetJournal(nullptr, 0) + 1, '\0'), out;
    text.resize(ZDSIM_GetJournal(&text[0], static_cast<unsigned long>(text.size())));
    std::map<std::string, std::string> names;
    for (size_t start = 0, end; start < text.size(); start = end + 1) {
        end = std::min(text.find('\n', start), text.size());
        if (end == start || text[start] == '#') continue;  // '#' lines tell about the scenario
        if (text.compare(start, 19, "ZDAPI_CreateHandle\t") == 0) names.clear();
        for (size_t p = start, tab; p <= end; p = tab + 1) {
            tab = std::min(text.find('\t', p), end);
            std::string field = text.substr(p, tab - p);
            size_t at = field[0] == '=' ? 1 : 0;  // "=" marks a returned value
            if (field.size() - at == 2 * sizeof(void*) &&
                field.find_first_not_of("0123456789abcdefABCDEF", at) == std::string::npos) {
                std::string name = "p" + std::to_string(names.size() + 1);
                field.replace(at, std::string::npos, field.find_first_not_of('0', at) == std::string::npos
                                                         ? "null" : names.emplace(field.substr(at), name).first->second);
            }
            out += field + (tab == end ? "\n" : "\t");
        }
    }
    return out;
}

void UseScenario(const TempDir& dir, const std::string& text)
{
    ASSERT_TRUE(WriteBytes(dir.path("scenario.txt"), text));
    SetEnvironmentVariableA("ZEVDEV_SCENARIO", dir.path("scenario.txt").c_str());
    ZDSIM_Reset();
}

void UseNoScenario()
{
    SetEnvironmentVariableA("ZEVDEV_SCENARIO", nullptr);
    ZDSIM_Reset();
}

HBITMAP MakeBitmap(int width, int height, COLORREF bg, COLORREF fg)
{
    BITMAPINFO bi = {};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP h = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!h) return nullptr;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            bool inner = x >= width / 4 && x < width * 3 / 4 && y >= height / 4 && y < height * 3 / 4;
            COLORREF c = inner ? fg : bg;
            static_cast<DWORD*>(bits)[y * width + x] = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
        }
    GdiFlush();
    return h;
}

bool SimilarColour(COLORREF a, COLORREF b, int tolerance)
{
    return abs(GetRValue(a) - GetRValue(b)) <= tolerance && abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

bool PumpUntil(const std::function<bool()>& pred, DWORD timeoutMs)
{
    for (DWORD start = GetTickCount(); !pred();) {
        if (GetTickCount() - start > timeoutMs) return pred();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return true;
}

} // namespace ejecttest
