#include "WndClass.h"
#include "CWnd.h"
#include <cstdio>
#include <mutex>
#include <set>
#include <string>

LPCSTR RegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon)
{
    static std::mutex lock;
    static std::set<std::string> names;  // nodes never move: c_str() stays valid

    char name[96];
    snprintf(name, sizeof name, "ZvWnd:%x:%p:%p:%p", classStyle, static_cast<void*>(cursor),
             static_cast<void*>(background), static_cast<void*>(icon));
    std::lock_guard<std::mutex> guard(lock);
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
