// Splash windows as a person sees them: size, place, caption, picture, and when they go.
#include "EjectSupport.h"
#include <Splash.h>
#include <gtest/gtest.h>

using namespace ejecttest;

namespace {

const COLORREF BLUE = RGB(0x1F, 0x4E, 0x79);
const COLORREF YELLOW = RGB(0xF2, 0xC5, 0x00);

bool IsGone(HBITMAP h) { return GetObjectType(h) == 0; }

// EJECT_SPLASH_HOLD_MS keeps a splash on screen for a while, to take a screenshot of it.
void HoldForScreenshot()
{
    if (const char* ms = getenv("EJECT_SPLASH_HOLD_MS")) PumpFor(static_cast<DWORD>(atoi(ms)));
}

class SplashWindow : public ::testing::Test {
protected:
    void SetUp() override { CSplashWnd::EnableSplashScreen(TRUE); }
    void TearDown() override
    {
        for (const SplashInfo& s : SplashWindows(GetCurrentThreadId())) DestroyWindow(s.hWnd);
    }
};

} // namespace

TEST_F(SplashWindow, NothingShowsUntilEnabled)
{
    CSplashWnd::EnableSplashScreen(FALSE);
    HBITMAP hBitmap = MakeBitmap(40, 30, BLUE, YELLOW);
    EXPECT_EQ(nullptr, CSplashWnd::ShowSplashScreen(nullptr, hBitmap, 0, 0));
    EXPECT_TRUE(SplashWindows(GetCurrentThreadId()).empty());
    EXPECT_TRUE(IsGone(hBitmap)) << "the bitmap was handed over with the call";
    CSplashWnd::EnableSplashScreen(TRUE);
}

TEST_F(SplashWindow, PictureOfOuterSizeCentredOnTheWorkArea)
{
    HBITMAP hBitmap = MakeBitmap(400, 300, BLUE, YELLOW);
    CSplashWnd* pSplash = CSplashWnd::ShowSplashScreen(nullptr, hBitmap, 0, 0);
    ASSERT_NE(nullptr, pSplash);
    std::vector<SplashInfo> shown = SplashWindows(GetCurrentThreadId());
    ASSERT_EQ(1u, shown.size());
    const SplashInfo& s = shown[0];
    EXPECT_EQ(pSplash->GetSafeHwnd(), s.hWnd);
    EXPECT_TRUE(s.visible);
    EXPECT_EQ(WS_POPUP | WS_VISIBLE, s.style & (WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_THICKFRAME));
    EXPECT_EQ(400, s.window.right - s.window.left);
    EXPECT_EQ(300, s.window.bottom - s.window.top);
    RECT area = WorkArea();
    EXPECT_EQ((area.left + area.right) / 2 - 200, s.window.left);
    EXPECT_EQ((area.top + area.bottom) / 2 - 150, s.window.top);
    EXPECT_EQ(400, s.client.right);
    EXPECT_EQ(300, s.client.bottom);

    // What is on the screen: the picture, painted before ShowSplashScreen returned.
    HDC screen = GetDC(nullptr);
    COLORREF corner = GetPixel(screen, s.window.left + 5, s.window.top + 5);
    COLORREF middle = GetPixel(screen, s.window.left + 200, s.window.top + 150);
    ReleaseDC(nullptr, screen);
    EXPECT_TRUE(SimilarColour(BLUE, corner, 8)) << std::hex << corner;
    EXPECT_TRUE(SimilarColour(YELLOW, middle, 8)) << std::hex << middle;

    HoldForScreenshot();

    CSplashWnd::HideSplashScreen(pSplash);
    EXPECT_FALSE(IsWindow(s.hWnd));
    EXPECT_TRUE(IsGone(hBitmap)) << "the window object and its bitmap went with the window";
}

TEST_F(SplashWindow, CaptionBarCarriesTheText)
{
    HBITMAP hBitmap = MakeBitmap(400, 300, BLUE, YELLOW);
    CSplashWnd* pSplash = CSplashWnd::ShowSplashScreen(nullptr, hBitmap, 0, WS_CAPTION);
    ASSERT_NE(nullptr, pSplash);
    CSplashWnd::SetSplashText(pSplash, "Sie k\xF6nnen Vaultik jetzt entfernen!");
    std::vector<SplashInfo> shown = SplashWindows(GetCurrentThreadId());
    ASSERT_EQ(1u, shown.size());
    const SplashInfo& s = shown[0];
    EXPECT_EQ(static_cast<DWORD>(WS_CAPTION), s.style & WS_CAPTION);
    EXPECT_EQ("Sie k\xF6nnen Vaultik jetzt entfernen!", s.text);
    EXPECT_EQ(400, s.window.right - s.window.left) << "the outer size stays the picture's";
    EXPECT_EQ(300, s.window.bottom - s.window.top);
    EXPECT_LT(s.client.bottom, 300);
    EXPECT_LT(s.client.right, 400);
    HoldForScreenshot();
    CSplashWnd::HideSplashScreen(pSplash);
    EXPECT_FALSE(IsWindow(s.hWnd));
}

TEST_F(SplashWindow, DisplayTimeHidesItWhileTheThreadDispatches)
{
    HBITMAP hBitmap = MakeBitmap(64, 48, BLUE, YELLOW);
    CSplashWnd* pSplash = CSplashWnd::ShowSplashScreen(nullptr, hBitmap, 300, 0);
    ASSERT_NE(nullptr, pSplash);
    HWND hWnd = pSplash->GetSafeHwnd();
    EXPECT_TRUE(IsWindowVisible(hWnd));
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(hWnd); }, 10000));
    EXPECT_TRUE(IsGone(hBitmap));
}

TEST_F(SplashWindow, DisplayTimeZeroKeepsItUntilHidden)
{
    HBITMAP hBitmap = MakeBitmap(64, 48, BLUE, YELLOW);
    CSplashWnd* pSplash = CSplashWnd::ShowSplashScreen(nullptr, hBitmap, 0, 0);
    ASSERT_NE(nullptr, pSplash);
    HWND hWnd = pSplash->GetSafeHwnd();
    PumpFor(1500);
    EXPECT_TRUE(IsWindowVisible(hWnd));
    CSplashWnd::HideSplashScreen(pSplash);
    EXPECT_FALSE(IsWindow(hWnd));
    EXPECT_TRUE(IsGone(hBitmap));
}

TEST_F(SplashWindow, NoPictureValueCreatesNothingAndLeavesTheWayFree)
{
    EXPECT_EQ(nullptr, CSplashWnd::ShowSplashScreen(nullptr, SPLASH_NO_BITMAP, 0, 0));
    EXPECT_TRUE(SplashWindows(GetCurrentThreadId()).empty());
    // Nothing is "being created" any more: the next splash shows.
    CSplashWnd* pSplash = CSplashWnd::ShowSplashScreen(nullptr, MakeBitmap(20, 20, BLUE, YELLOW), 0, 0);
    ASSERT_NE(nullptr, pSplash);
    CSplashWnd::HideSplashScreen(pSplash);

    CSplashWnd::HideSplashScreen(nullptr);
    CSplashWnd::SetSplashText(nullptr, "ignored");
}

TEST_F(SplashWindow, SeveralMayExistAtOnce)
{
    CSplashWnd* a = CSplashWnd::ShowSplashScreen(nullptr, MakeBitmap(100, 80, BLUE, YELLOW), 0, 0);
    CSplashWnd* b = CSplashWnd::ShowSplashScreen(nullptr, MakeBitmap(60, 40, BLUE, YELLOW), 0, WS_CAPTION);
    ASSERT_NE(nullptr, a);
    ASSERT_NE(nullptr, b);
    EXPECT_EQ(2u, SplashWindows(GetCurrentThreadId()).size());
    CSplashWnd::HideSplashScreen(a);
    EXPECT_EQ(1u, SplashWindows(GetCurrentThreadId()).size());
    CSplashWnd::HideSplashScreen(b);
    EXPECT_TRUE(SplashWindows(GetCurrentThreadId()).empty());
}
