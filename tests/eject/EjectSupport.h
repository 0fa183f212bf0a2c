// Fixtures shared by the eject tests: folders and files, a thread with a message loop,
// the device library's journal, splash windows on a thread, bitmaps and message pumping.
#pragma once
#include "FileBytes.h"
#include "TempDir.h"
#include <functional>
#include <string>
#include <vector>
#include <windows.h>

namespace ejecttest {

std::string PackageFile(const char* name);  // a file of the generated sample package

// Makes `dir` the current directory for the object's lifetime.
class CurrentDir {
public:
    explicit CurrentDir(const std::string& dir);
    ~CurrentDir() { SetCurrentDirectoryA(m_previous.c_str()); }
private:
    std::string m_previous;
};

// A worker thread like the removal dialog's: waits for messages and dispatches them;
// run() executes a function on it and returns when that is done.
class LoopThread {
public:
    LoopThread();
    ~LoopThread();
    void run(const std::function<void()>& fn);
    DWORD id() const { return m_id; }
private:
    static DWORD WINAPI Main(void* self);
    HANDLE m_thread = nullptr, m_ready = nullptr;
    DWORD m_id = 0;
};

// A splash window as a person would see it.
struct SplashInfo {
    HWND hWnd;
    RECT window, client;
    DWORD style;
    std::string text;
    bool visible;
};
std::vector<SplashInfo> SplashWindows(DWORD threadId);
RECT WorkArea();  // of the primary monitor

// The device library's journal, its calls only, with addresses named by first use since the
// last ZDAPI_CreateHandle: "p1" (the handle), "p2", ...; a null address reads "null".
std::string SymbolicJournal();
// Uses `text` as the scenario for the next library handle and forgets earlier calls. An
// empty scenario finds nothing; it is named all the same, so the library never asks the
// prefix's device tree, where other test programs register tokens at the same time.
void UseScenario(const TempDir& dir, const std::string& text);
void UseNoScenario();

const COLORREF BLUE = RGB(0x1F, 0x4E, 0x79), YELLOW = RGB(0xF2, 0xC5, 0x00);
// A top-down 32-bit bitmap: background colour with a rectangle of fg in its middle half.
HBITMAP MakeBitmap(int width, int height, COLORREF bg, COLORREF fg);
bool SimilarColour(COLORREF a, COLORREF b, int tolerance);

// Dispatches this thread's messages until pred() holds or timeoutMs passed; returns pred().
bool PumpUntil(const std::function<bool()>& pred, DWORD timeoutMs);
inline void PumpFor(DWORD ms) { PumpUntil([] { return false; }, ms); }

} // namespace ejecttest
