// A bitmap owned by an object: the bitmap is deleted with the object unless detached.
#pragma once
#include <windows.h>

class CBitmap {
public:
    CBitmap() : m_hObject(nullptr) {}
    ~CBitmap() { DeleteObject(); }
    CBitmap(const CBitmap&) = delete;
    CBitmap& operator=(const CBitmap&) = delete;

    HBITMAP m_hObject;

    operator HBITMAP() const { return m_hObject; }
    HBITMAP GetSafeHandle() const { return m_hObject; }
    // Takes ownership of hBitmap; fails when the object already holds one or hBitmap is null.
    BOOL Attach(HBITMAP hBitmap);
    HBITMAP Detach();
    BOOL DeleteObject();
    // Fills the bitmap's description (width, height, ...); returns the bytes written, 0 on failure.
    int GetBitmap(BITMAP* pBitmap) const;
};
