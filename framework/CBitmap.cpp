#include "CBitmap.h"

BOOL CBitmap::Attach(HBITMAP hBitmap)
{
    if (m_hObject || !hBitmap) return FALSE;
    m_hObject = hBitmap;
    return TRUE;
}

HBITMAP CBitmap::Detach()
{
    HBITMAP h = m_hObject;
    m_hObject = nullptr;
    return h;
}

BOOL CBitmap::DeleteObject()
{
    if (!m_hObject) return FALSE;
    BOOL done = ::DeleteObject(Detach());
    return done;
}

int CBitmap::GetBitmap(BITMAP* pBitmap) const
{
    if (!m_hObject || !pBitmap) return 0;
    return ::GetObjectA(m_hObject, sizeof(BITMAP), pBitmap);
}
