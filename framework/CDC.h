// A device context. One made by CreateCompatibleDC is deleted with the object; one
// attached from elsewhere (a paint context) is only forgotten.
#pragma once
#include "CBitmap.h"
#include <windows.h>

class CDC {
public:
    CDC() : m_hDC(nullptr), m_bOwned(FALSE) {}
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC m_hDC;

    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }
    BOOL Attach(HDC hDC);
    HDC Detach();

    // A memory context compatible with pDC (or with the screen for null).
    BOOL CreateCompatibleDC(CDC* pDC);
    BOOL DeleteDC();

    // Both return the object that was selected before.
    HGDIOBJ SelectObject(HGDIOBJ object) { return ::SelectObject(m_hDC, object); }
    HGDIOBJ SelectObject(CBitmap* pBitmap) { return ::SelectObject(m_hDC, pBitmap->GetSafeHandle()); }
    BOOL BitBlt(int x, int y, int width, int height, CDC* pSrcDC, int xSrc, int ySrc, DWORD rop)
    {
        return ::BitBlt(m_hDC, x, y, width, height, pSrcDC ? pSrcDC->m_hDC : nullptr, xSrc, ySrc, rop);
    }
    BOOL DrawIcon(int x, int y, HICON icon) { return ::DrawIcon(m_hDC, x, y, icon); }
    int GetDeviceCaps(int index) const { return ::GetDeviceCaps(m_hDC, index); }

protected:
    BOOL m_bOwned;  // made by CreateCompatibleDC: deleted with the object
};
