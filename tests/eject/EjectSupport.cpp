#include "EjectSupport.h"
#include <ZevDevSim.h>
#include <cstdio>
#include <gtest/gtest.h>

namespace ejecttest {

namespace {
const UINT WM_RUN = WM_APP + 77;
}

TempDir::TempDir()
{
    static int counter = 0;
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    char name[MAX_PATH + 64];
    snprintf(name, sizeof name, "%sejtest-%lu-%d", base, GetCurrentProcessId(), ++counter);
    m_path = name;
    CreateDirectoryA(m_path.c_str(), nullptr);
}

TempDir::~TempDir()
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((m_path + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileA(file(fd.cFileName).c_str());
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryA(m_path.c_str());
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    FILE* f = fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, f) << path;
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

std::string ReadFile(const std::string& path)
{
    std::string text;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return text;
    char chunk[65536];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, f)) > 0) text.append(chunk, n);
    fclose(f);
    return text;
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

CurrentDir::~CurrentDir()
{
    SetCurrentDirectoryA(m_previous.c_str());
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

bool LoopThread::run(const std::function<void()>& fn, DWORD timeoutMs)
{
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::function<void()> copy = fn;
    PostThreadMessageA(m_id, WM_RUN, reinterpret_cast<WPARAM>(done), reinterpret_cast<LPARAM>(&copy));
    bool finished = WaitForSingleObject(done, timeoutMs) == WAIT_OBJECT_0;
    // On a time-out the thread may still use `copy` and `done`: better a stuck test than a crash.
    if (!finished) {
        ADD_FAILURE() << "the loop thread did not finish in time";
        TerminateProcess(GetCurrentProcess(), 3);
    }
    CloseHandle(done);
    return finished;
}

namespace {
BOOL CALLBACK CollectSplash(HWND hWnd, LPARAM lp)
{
    char cls[64] = "";
    GetClassNameA(hWnd, cls, sizeof cls);
    if (strncmp(cls, "ZvWnd:", 6) != 0) return TRUE;
    SplashInfo s;
    s.hWnd = hWnd;
    GetWindowRect(hWnd, &s.window);
    GetClientRect(hWnd, &s.client);
    s.style = static_cast<DWORD>(GetWindowLongPtrA(hWnd, GWL_STYLE));
    char text[512] = "";
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

const std::string& Call::operator[](size_t i) const
{
    static const std::string missing = "<missing>";
    return i < f.size() ? f[i] : missing;
}

std::string JournalText()
{
    unsigned long n = ZDSIM_GetJournal(nullptr, 0);
    std::string text(n + 1, '\0');
    ZDSIM_GetJournal(&text[0], n + 1);
    text.resize(n);
    return text;
}

std::vector<Call> JournalCalls()
{
    std::vector<Call> calls;
    std::string text = JournalText();
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (line.empty() || line[0] == '#') continue;
        Call c;
        size_t p = 0;
        for (;;) {
            size_t tab = line.find('\t', p);
            c.f.push_back(line.substr(p, tab == std::string::npos ? std::string::npos : tab - p));
            if (tab == std::string::npos) break;
            p = tab + 1;
        }
        calls.push_back(c);
    }
    return calls;
}

void UseScenario(const TempDir& dir, const std::string& text)
{
    std::string path = dir.file("scenario.txt");
    WriteFile(path, text);
    SetEnvironmentVariableA("ZEVDEV_SCENARIO", path.c_str());
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
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP h = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!h) return nullptr;
    auto* px = static_cast<DWORD*>(bits);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            bool inner = x >= width / 4 && x < width * 3 / 4 && y >= height / 4 && y < height * 3 / 4;
            COLORREF c = inner ? fg : bg;
            px[y * width + x] = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
        }
    GdiFlush();
    return h;
}

void WriteBmpFile(const std::string& path, int width, int height, COLORREF bg, COLORREF fg)
{
    int stride = (width * 3 + 3) & ~3;
    std::string bytes(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + static_cast<size_t>(stride) * height, '\0');
    auto* fh = reinterpret_cast<BITMAPFILEHEADER*>(&bytes[0]);
    auto* ih = reinterpret_cast<BITMAPINFOHEADER*>(&bytes[sizeof(BITMAPFILEHEADER)]);
    fh->bfType = 0x4D42;
    fh->bfSize = static_cast<DWORD>(bytes.size());
    fh->bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    ih->biSize = sizeof(BITMAPINFOHEADER);
    ih->biWidth = width;
    ih->biHeight = height;  // bottom-up
    ih->biPlanes = 1;
    ih->biBitCount = 24;
    ih->biCompression = BI_RGB;
    unsigned char* px = reinterpret_cast<unsigned char*>(&bytes[fh->bfOffBits]);
    for (int row = 0; row < height; ++row) {
        int y = height - 1 - row;
        for (int x = 0; x < width; ++x) {
            bool inner = x >= width / 4 && x < width * 3 / 4 && y >= height / 4 && y < height * 3 / 4;
            COLORREF c = inner ? fg : bg;
            unsigned char* p = px + row * stride + x * 3;
            p[0] = GetBValue(c);
            p[1] = GetGValue(c);
            p[2] = GetRValue(c);
        }
    }
    WriteFile(path, bytes);
}

COLORREF BitmapPixel(HBITMAP hBitmap, int x, int y)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, hBitmap);
    COLORREF c = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    return c;
}

bool SimilarColour(COLORREF a, COLORREF b, int tolerance)
{
    return abs(GetRValue(a) - GetRValue(b)) <= tolerance && abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

bool PumpUntil(const std::function<bool()>& pred, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (!pred()) {
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

void PumpFor(DWORD ms)
{
    PumpUntil([] { return false; }, ms);
}

} // namespace ejecttest
