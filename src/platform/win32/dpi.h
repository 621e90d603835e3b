// Pixels per inch of a window's monitor, and twips to pixels at that density.
#pragma once

#include <windows.h>

namespace tarnwick::win32 {

UINT dpiOf(HWND window);

// Each value scaled on its own and rounded down, so 15 twips make one pixel at 96 DPI.
inline int twipsToPixels(int twips, UINT dpi) {
  return static_cast<int>(static_cast<long long>(twips) * dpi / 1440);
}
inline int pixelsToTwips(int pixels, UINT dpi) {
  return static_cast<int>(static_cast<long long>(pixels) * 1440 / dpi);
}

}  // namespace tarnwick::win32
