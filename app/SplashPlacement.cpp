#include "SplashPlacement.h"

POINT CentredOnWorkArea(SIZE window, const RECT& workArea)
{
    POINT p;
    p.x = workArea.left + (workArea.right - workArea.left - window.cx) / 2;
    p.y = workArea.top + (workArea.bottom - workArea.top - window.cy) / 2;
    if (p.x < workArea.left) p.x = workArea.left;
    if (p.y < workArea.top) p.y = workArea.top;
    return p;
}

RECT CursorMonitorWorkArea()
{
    POINT cursor = {0, 0};
    if (!GetCursorPos(&cursor)) cursor.x = cursor.y = 0;
    MONITORINFO mi = {};
    mi.cbSize = sizeof mi;
    RECT area = {0, 0, 0, 0};
    if (GetMonitorInfoA(MonitorFromPoint(cursor, MONITOR_DEFAULTTOPRIMARY), &mi)) area = mi.rcWork;
    else SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}
