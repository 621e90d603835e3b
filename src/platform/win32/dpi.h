// Pixel density: what a window's monitor asks for, and the fonts, icons and cursor made at it.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <tuple>

#include "forms/layout.h"
#include "platform/win32/scoped.h"

namespace tarnwick::win32 {

// Pixels per inch of the window's monitor (the system's before Windows 8.1).
UINT dpiOf(HWND window);
// A system metric (icon and cursor sizes) at that density.
int metricFor(int index, UINT dpi);
Icon loadIcon(HINSTANCE instance, int id, int size);
Cursor loadCursor(HINSTANCE instance, int id, UINT dpi);

// The shell's one font factory: each face, size and weight at each density, made once.
class FontCache {
 public:
  HFONT get(const FontSpec& wanted, UINT dpi);

 private:
  std::map<std::tuple<std::string, int, bool, bool, UINT>, Font> fonts_;
};

}  // namespace tarnwick::win32
