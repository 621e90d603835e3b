// Pixel density: what a window's monitor asks for, and the icons and cursor made at it.
#pragma once

#include <windows.h>

#include "platform/win32/scoped.h"

namespace tarnwick::win32 {

// Pixels per inch of the window's monitor (the system's before Windows 8.1).
UINT dpiOf(HWND window);
// A system metric (icon and cursor sizes) at that density.
int metricFor(int index, UINT dpi);
Icon loadIcon(HINSTANCE instance, int id, int size);
Cursor loadCursor(HINSTANCE instance, int id, UINT dpi);

}  // namespace tarnwick::win32
