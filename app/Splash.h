// Splash windows: a borderless pop-up of exactly the picture's size in screen pixels,
// centred on the work area of the monitor that holds the cursor, above other windows but
// never taking the focus, that paints the picture, may carry a caption bar with a text and
// may hide itself after a display time. The window object deletes itself (and its bitmap) when the window
// is destroyed. Splash windows belong to the thread that shows them.
#pragma once
#include "CBitmap.h"
#include "CWnd.h"
#include <windows.h>

class CSplashWnd : public CWnd {
public:
    ~CSplashWnd() override;

    // Allows splash windows; nothing is shown before a call with TRUE.
    static void EnableSplashScreen(BOOL enable = TRUE);
    // Shows hBitmap (ownership passes with the call, whatever the result) for displayTime
    // milliseconds (0: until hidden), with extraStyle added (WS_CAPTION for a caption bar).
    // Returns the window, or null when splash windows are off, another is being created, or
    // the window cannot be created. The pointer is invalid once the window is gone.
    static CSplashWnd* ShowSplashScreen(CWnd* pParentWnd, HBITMAP hBitmap, UINT displayTime, DWORD extraStyle = 0);
    static void HideSplashScreen(CSplashWnd* pSplash);
    static void SetSplashText(CSplashWnd* pSplash, const char* text);

protected:
    CSplashWnd();
    BOOL Create(CWnd* pParentWnd, DWORD extraStyle);
    void HideSplashScreen();

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    int OnCreate(LPCREATESTRUCT createStruct);
    void OnPaint();
    void OnTimer(UINT_PTR id);
    void PostNcDestroy() override;

    CBitmap m_bitmap;
    HBITMAP m_hBitmap;
    CWnd* m_pParent;

    static BOOL c_bShowSplashWnd;
    static CSplashWnd* c_pSplashWnd;
    static UINT c_nDisplayTime;
};

// The bitmap value that means "no picture to show".
#define SPLASH_NO_BITMAP (reinterpret_cast<HBITMAP>(~static_cast<UINT_PTR>(0)))
