#include "WndClass.h"
#include "CWnd.h"
#include "SystemFormat.h"
#include <set>
#include <string>

namespace {

// Registers the class once per name; the caller holds the lock.
LPCSTR registerOnce(std::set<std::string>& names, const char* name, UINT classStyle, HCURSOR cursor,
                    HBRUSH background, HICON icon)
{
    auto it = names.find(name);
    if (it != names.end()) return it->c_str();

    WNDCLASSA wc = {};
    wc.style = classStyle;
    wc.lpfnWndProc = CWnd::StdWndProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.hIcon = icon;
    wc.lpszClassName = name;
    if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
    return names.insert(name).first->c_str();
}

}  // namespace

LPCSTR RegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon)
{
    // A slim lock needs no set-up at run time and pulls in no thread library.
    static SRWLOCK lock = SRWLOCK_INIT;
    static std::set<std::string> names;  // nodes never move: c_str() stays valid

    std::string name;
    FormatString(name, "ZvWnd:%x:" FORMAT_POINTER ":" FORMAT_POINTER ":" FORMAT_POINTER, classStyle,
                 PointerValue(cursor), PointerValue(background), PointerValue(icon));
    AcquireSRWLockExclusive(&lock);
    LPCSTR registered = registerOnce(names, name.c_str(), classStyle, cursor, background, icon);
    ReleaseSRWLockExclusive(&lock);
    return registered;
}
