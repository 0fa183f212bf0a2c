// Where a splash window goes: centred on the work area of the monitor that holds the
// cursor (where the user works), kept inside that area.
#pragma once
#include <windows.h>

// The top-left corner of a window of the given outer size centred on workArea; a window
// larger than the area keeps its left and top edges inside it.
POINT CentredOnWorkArea(SIZE window, const RECT& workArea);

// The work area of the monitor under the cursor; the primary monitor's where the cursor
// position cannot be read (no interactive desktop).
RECT CursorMonitorWorkArea();
