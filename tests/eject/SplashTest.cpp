// Splash windows as a person sees them: size, place, caption, picture, and when they go.
#include "EjectSupport.h"
#include <Splash.h>
#include <SplashPlacement.h>
#include <gtest/gtest.h>

using namespace ejecttest;

namespace {

bool IsGone(HBITMAP h) { return GetObjectType(h) == 0; }

class SplashWindow : public ::testing::Test {
protected:
    void SetUp() override { CSplashWnd::EnableSplashScreen(TRUE); }
    void TearDown() override
    {
        for (const SplashInfo& s : SplashWindows(GetCurrentThreadId())) DestroyWindow(s.hWnd);
    }
};

} // namespace

// The picture gives the outer size, caption bar or not; the window is centred on the work area.
TEST_F(SplashWindow, PictureSizedCentredAndCaptionedAsAsked)
{
    struct Case { DWORD style; const char* text; } cases[] = {{0, nullptr}, {WS_CAPTION, "Sie k\xF6nnen Vaultik jetzt entfernen!"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        HBITMAP hBitmap = MakeBitmap(400, 300, BLUE, YELLOW);
        CSplashWnd* pSplash = CSplashWnd::ShowSplashScreen(nullptr, hBitmap, 0, c.style);
        ASSERT_NE(nullptr, pSplash);
        if (c.text) CSplashWnd::SetSplashText(pSplash, c.text);
        std::vector<SplashInfo> shown = SplashWindows(GetCurrentThreadId());
        ASSERT_EQ(1u, shown.size());
        const SplashInfo& s = shown[0];
        EXPECT_TRUE(s.visible);
        EXPECT_EQ(WS_POPUP | c.style, s.style & (WS_POPUP | WS_CAPTION | WS_THICKFRAME));
        EXPECT_EQ(c.text ? c.text : "", s.text);
        RECT area = WorkArea();
        EXPECT_EQ((area.left + area.right) / 2 - 200, s.window.left);
        EXPECT_EQ((area.top + area.bottom) / 2 - 150, s.window.top);
        EXPECT_EQ(400, s.window.right - s.window.left);
        EXPECT_EQ(300, s.window.bottom - s.window.top);
        EXPECT_EQ(!c.style, s.client.right == 400 && s.client.bottom == 300) << "the caption bar takes room";
        if (!c.style) {  // the picture is on the screen before ShowSplashScreen returns
            HDC screen = GetDC(nullptr);
            EXPECT_TRUE(SimilarColour(BLUE, GetPixel(screen, s.window.left + 5, s.window.top + 5), 8));
            EXPECT_TRUE(SimilarColour(YELLOW, GetPixel(screen, s.window.left + 200, s.window.top + 150), 8));
            ReleaseDC(nullptr, screen);
        }
        if (const char* ms = getenv("EJECT_SPLASH_HOLD_MS")) PumpFor(static_cast<DWORD>(atoi(ms)));  // screenshots
        CSplashWnd::HideSplashScreen(pSplash);
        EXPECT_FALSE(IsWindow(s.hWnd));
        EXPECT_TRUE(IsGone(hBitmap)) << "the bitmap goes with the window";
    }
}

TEST_F(SplashWindow, DisplayTimeHidesItWhileTimeZeroKeepsIt)
{
    HBITMAP timedBitmap = MakeBitmap(64, 48, BLUE, YELLOW);
    HWND timed = CSplashWnd::ShowSplashScreen(nullptr, timedBitmap, 300, 0)->GetSafeHwnd();
    CSplashWnd* pKept = CSplashWnd::ShowSplashScreen(nullptr, MakeBitmap(64, 48, BLUE, YELLOW), 0, WS_CAPTION);
    ASSERT_NE(nullptr, pKept);
    EXPECT_EQ(2u, SplashWindows(GetCurrentThreadId()).size());
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(timed); }, 10000));
    EXPECT_TRUE(IsGone(timedBitmap));
    PumpFor(1000);
    EXPECT_TRUE(IsWindowVisible(pKept->GetSafeHwnd()));
    CSplashWnd::HideSplashScreen(pKept);
    EXPECT_TRUE(SplashWindows(GetCurrentThreadId()).empty());
}

// The monitor that holds the cursor gets the window, centred on its work area (taskbar
// left out), whatever the monitors' layout; a picture larger than the area keeps its top
// left corner (and caption bar) on that monitor.
TEST(SplashPlacement, CentredOnTheWorkAreaItIsGiven)
{
    struct Case {
        const char* name;
        RECT area;
        SIZE window;
        POINT at;
    } cases[] = {
        {"primary, taskbar below", {0, 0, 1920, 1040}, {400, 300}, {760, 370}},
        {"second monitor right of it", {1920, 0, 4480, 1400}, {400, 300}, {3000, 550}},
        {"monitor left of the primary", {-1280, 0, 0, 984}, {400, 300}, {-840, 342}},
        {"monitor above, taskbar at its top", {0, -1080, 1920, -40}, {400, 300}, {760, -710}},
        {"odd sizes round towards the left", {0, 0, 1001, 701}, {400, 300}, {300, 200}},
        {"larger than the area", {100, 50, 900, 650}, {1000, 700}, {100, 50}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        POINT at = CentredOnWorkArea(c.window, c.area);
        EXPECT_EQ(c.at.x, at.x);
        EXPECT_EQ(c.at.y, at.y);
    }
}

// Shown above every window, while the window the user works in keeps the focus; the
// picture is the client area pixel for pixel.
TEST_F(SplashWindow, StaysOnTopWithoutTakingTheFocus)
{
    HWND work = CreateWindowExA(0, "STATIC", "work", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200, nullptr,
                                nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, work);
    SetForegroundWindow(work);
    SetActiveWindow(work);
    PumpFor(100);
    ASSERT_EQ(work, GetActiveWindow());

    CSplashWnd* pSplash = CSplashWnd::ShowSplashScreen(nullptr, MakeBitmap(123, 77, BLUE, YELLOW), 0, 0);
    ASSERT_NE(nullptr, pSplash);
    PumpFor(100);
    std::vector<SplashInfo> shown = SplashWindows(GetCurrentThreadId());
    ASSERT_EQ(1u, shown.size());
    EXPECT_EQ(work, GetActiveWindow()) << "the splash took the focus";
    EXPECT_EQ(work, GetForegroundWindow());
    EXPECT_TRUE(GetWindowLongA(shown[0].hWnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(shown[0].visible);
    EXPECT_EQ(123, shown[0].client.right);
    EXPECT_EQ(77, shown[0].client.bottom);
    CSplashWnd::HideSplashScreen(pSplash);
    DestroyWindow(work);
}
