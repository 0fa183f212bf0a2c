#include "Splash.h"
#include "CDC.h"
#include "CPaintDC.h"
#include "CWinApp.h"
#include "WndClass.h"
#include "debug.h"
#include <cstdio>
#include <cstring>
#include <ole2.h>
#include <olectl.h>

namespace {

const UINT_PTR SPLASH_TIMER = 1;

// Translates and dispatches what is queued now for hWnd (and its children), without waiting.
void PumpWindowMessages(HWND hWnd)
{
    MSG msg;
    while (PeekMessageA(&msg, hWnd, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// A BMP file must hold the pixel data its headers promise: some picture loaders read past
// the end of a cut-off file instead of rejecting it. Other formats are left to the loader.
bool IsCutOffBitmapFile(const unsigned char* data, size_t size)
{
    if (size < 2 || data[0] != 'B' || data[1] != 'M') return false;
    const size_t fileHeader = sizeof(BITMAPFILEHEADER);
    if (size < fileHeader + sizeof(BITMAPCOREHEADER)) return true;
    BITMAPFILEHEADER fh;
    memcpy(&fh, data, fileHeader);
    DWORD infoSize;
    memcpy(&infoSize, data + fileHeader, sizeof infoSize);
    if (infoSize < sizeof(BITMAPCOREHEADER) || fileHeader + infoSize > size || fh.bfOffBits > size) return true;
    long long width, height, bits, compression = BI_RGB, imageSize = 0;
    if (infoSize == sizeof(BITMAPCOREHEADER)) {
        BITMAPCOREHEADER ch;
        memcpy(&ch, data + fileHeader, sizeof ch);
        width = ch.bcWidth;
        height = ch.bcHeight;
        bits = ch.bcBitCount;
    } else {
        if (infoSize < sizeof(BITMAPINFOHEADER)) return true;
        BITMAPINFOHEADER ih;
        memcpy(&ih, data + fileHeader, sizeof ih);
        width = ih.biWidth;
        height = ih.biHeight < 0 ? -static_cast<long long>(ih.biHeight) : ih.biHeight;
        bits = ih.biBitCount;
        compression = ih.biCompression;
        imageSize = ih.biSizeImage;
    }
    long long available = static_cast<long long>(size) - fh.bfOffBits;
    if (compression == BI_RGB || compression == BI_BITFIELDS) {
        long long stride = ((width * bits + 31) / 32) * 4;
        return width <= 0 || height <= 0 || stride * height > available;
    }
    return imageSize > available;
}

} // namespace

HBITMAP LoadPictureFile(const char* path, UINT imageType)
{
    if (!path || !*path) return nullptr;
    FILE* file = fopen(path, "rb");
    if (!file) return nullptr;
    long size = -1;
    if (fseek(file, 0, SEEK_END) == 0) size = ftell(file);
    if (size <= 0 || fseek(file, 0, SEEK_SET) != 0) {
        fclose(file);
        return nullptr;
    }
    HGLOBAL hGlobal = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, static_cast<SIZE_T>(size));
    if (!hGlobal) {
        fclose(file);
        return nullptr;
    }
    size_t read = fread(reinterpret_cast<void*>(hGlobal), 1, static_cast<size_t>(size), file);
    fclose(file);
    if (read != static_cast<size_t>(size) ||
        IsCutOffBitmapFile(reinterpret_cast<const unsigned char*>(hGlobal), static_cast<size_t>(size))) {
        GlobalFree(hGlobal);
        return nullptr;
    }

    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(hGlobal, FALSE, &stream)) || !stream) {
        GlobalFree(hGlobal);
        return nullptr;
    }
    IPicture* picture = nullptr;
    HRESULT hr = OleLoadPicture(stream, size, FALSE, IID_IPicture, reinterpret_cast<void**>(&picture));
    stream->Release();
    GlobalFree(hGlobal);
    if (FAILED(hr) || !picture) return nullptr;

    OLE_HANDLE handle = 0;
    picture->get_Handle(&handle);
    // OLE_HANDLE is 32 bits wide; GDI handles are sign-extended on 64-bit Windows.
    HANDLE original = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(static_cast<LONG>(handle)));
    HANDLE copy = original ? CopyImage(original, imageType, 0, 0, LR_COPYRETURNORG) : nullptr;
    // The picture deletes its own handle on release: never hand that one out.
    if (copy == original && original) copy = CopyImage(original, imageType, 0, 0, 0);
    picture->Release();
    return static_cast<HBITMAP>(copy);
}

BOOL CSplashWnd::c_bShowSplashWnd = FALSE;
CSplashWnd* CSplashWnd::c_pSplashWnd = nullptr;
UINT CSplashWnd::c_nDisplayTime = 0;

CSplashWnd::CSplashWnd() : m_hBitmap(nullptr), m_pParent(nullptr) {}

CSplashWnd::~CSplashWnd()
{
    if (c_pSplashWnd == this) c_pSplashWnd = nullptr;
}

void CSplashWnd::EnableSplashScreen(BOOL enable)
{
    c_bShowSplashWnd = enable;
}

CSplashWnd* CSplashWnd::ShowSplashScreen(CWnd* pParentWnd, HBITMAP hBitmap, UINT displayTime, DWORD extraStyle)
{
    if (!c_bShowSplashWnd || c_pSplashWnd) {
        if (hBitmap && hBitmap != SPLASH_NO_BITMAP) DeleteObject(hBitmap);
        return nullptr;
    }
    CSplashWnd* pSplash = new CSplashWnd;
    c_pSplashWnd = pSplash;
    c_nDisplayTime = displayTime;
    pSplash->m_hBitmap = hBitmap;
    if (!pSplash->Create(pParentWnd, extraStyle)) {
        // Not attached (no picture): the bitmap is still the caller's handed-over one.
        if (!pSplash->m_bitmap.GetSafeHandle() && hBitmap && hBitmap != SPLASH_NO_BITMAP) DeleteObject(hBitmap);
        delete pSplash;
        return nullptr;
    }
    HWND hWnd = pSplash->m_hWnd;
    pSplash->UpdateWindow();
    PumpWindowMessages(hWnd);
    pSplash->ShowWindow(SW_SHOW);
    PumpWindowMessages(hWnd);
    pSplash->BringWindowToTop();
    c_pSplashWnd = nullptr;
    // A very short display time may already have ended the window while its messages ran.
    if (!pSplash->m_hWnd) {
        delete pSplash;
        return nullptr;
    }
    return pSplash;
}

void CSplashWnd::HideSplashScreen(CSplashWnd* pSplash)
{
    if (pSplash) pSplash->HideSplashScreen();
}

void CSplashWnd::SetSplashText(CSplashWnd* pSplash, const char* text)
{
    if (pSplash) pSplash->SetWindowText(text);
}

BOOL CSplashWnd::Create(CWnd* pParentWnd, DWORD extraStyle)
{
    if (m_hBitmap == SPLASH_NO_BITMAP) {
        DebugTrace(0, "CSplashWnd::Create no splash\r\n");
        return FALSE;
    }
    // Without a picture there is no size to give the window.
    if (!m_hBitmap) return FALSE;
    m_bitmap.Attach(m_hBitmap);
    BITMAP bm = {};
    if (!m_bitmap.GetBitmap(&bm)) return FALSE;
    if (pParentWnd) m_pParent = pParentWnd;

    LPCSTR className = RegisterWndClass(0, LoadCursor(nullptr, IDC_ARROW), nullptr, nullptr);
    if (!className) return FALSE;
    return CreateEx(0, className, nullptr, extraStyle | WS_POPUP | WS_VISIBLE, 0, 0, bm.bmWidth, bm.bmHeight,
                    pParentWnd ? pParentWnd->GetSafeHwnd() : nullptr, nullptr);
}

void CSplashWnd::HideSplashScreen()
{
    BOOL hadOwner = m_pParent != nullptr;
    DestroyWindow();  // deletes this
    if (hadOwner) {
        // The application's main window, when it belongs to this thread.
        CWinApp* pApp = CurrentApp();
        HWND hMain = pApp && pApp->m_pMainWnd ? pApp->m_pMainWnd->GetSafeHwnd() : nullptr;
        if (hMain && GetWindowThreadProcessId(hMain, nullptr) == GetCurrentThreadId()) ::UpdateWindow(hMain);
    }
}

LRESULT CSplashWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        return OnCreate(reinterpret_cast<LPCREATESTRUCT>(lParam));
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_TIMER:
        OnTimer(wParam);
        return 0;
    default:
        return CWnd::WindowProc(message, wParam, lParam);
    }
}

int CSplashWnd::OnCreate(LPCREATESTRUCT createStruct)
{
    if (DefWindowProc(WM_CREATE, 0, reinterpret_cast<LPARAM>(createStruct)) == -1) return -1;
    CenterWindow();
    if (c_nDisplayTime != 0) SetTimer(SPLASH_TIMER, c_nDisplayTime);
    return 0;
}

void CSplashWnd::OnPaint()
{
    CPaintDC dc(this);
    CDC dcImage;
    if (!dcImage.CreateCompatibleDC(&dc)) return;
    BITMAP bm = {};
    m_bitmap.GetBitmap(&bm);
    HGDIOBJ old = dcImage.SelectObject(&m_bitmap);
    dc.BitBlt(0, 0, bm.bmWidth, bm.bmHeight, &dcImage, 0, 0, SRCCOPY);
    dcImage.SelectObject(old);
}

void CSplashWnd::OnTimer(UINT_PTR id)
{
    KillTimer(id);
    if (id == SPLASH_TIMER) HideSplashScreen();
}

void CSplashWnd::PostNcDestroy()
{
    // While ShowSplashScreen is still creating the window, it owns the object and deletes it.
    if (c_pSplashWnd == this) return;
    delete this;
}
