// The main window's artwork, drawn by the program at the window's pixel density: a header
// with the program's name and the art under the About, minimise and close hot spots, section
// captions, and the "Optimize Now" button. The hot spots themselves stay transparent and show
// the part of this picture that lies under them.
#pragma once

#include <windows.h>

#include "platform/win32/scoped.h"

namespace tarnwick::win32 {

class Skin {
 public:
  void render(HDC like, UINT dpi, HICON icon);
  // Copies the picture's `source` rectangle (client pixels) to `target` in `dc`.
  void paint(HDC dc, const RECT& target, POINT source) const;
  COLORREF bodyColour() const;
  HBRUSH bodyBrush() const { return bodyBrush_.get(); }

 private:
  Bitmap bitmap_;
  Brush bodyBrush_;
  int width_ = 0, height_ = 0;
};

}  // namespace tarnwick::win32
