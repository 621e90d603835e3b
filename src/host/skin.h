// The main window's artwork, drawn by the program at the window's pixel density: a header
// with the program's name and the art under the About, minimise and close hot spots, section
// captions, and the "Optimize Now" button. The hot spots themselves stay transparent and show
// the part of this picture that lies under them. Under high contrast it is drawn in the
// system's colours instead of its own.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "forms/layout.h"
#include "host/fonts.h"
#include "platform/win32/dpi.h"
#include "platform/win32/scoped.h"

namespace tarnwick::win32 {

// Whether the user has switched high contrast on: then the system's colours, not ours.
bool highContrast();

struct Palette {
  COLORREF headerLeft, headerRight, headerText, subtitle, pill, pillEdge;
  COLORREF body, text, accent, rule, muted, frame, button, buttonEdge, buttonText;
};

class Skin {
 public:
  // What the picture is drawn from from now on: the density, the fonts, where the hot spots lie
  // (`layout` places the art under them), the texts and the icon. The fonts and the layout must
  // outlive the skin.
  void prepare(UINT dpi, FontCache& fonts, const std::vector<Placement>& layout, std::wstring title,
               std::wstring version, HICON icon);
  // Draws the picture's `source` rectangle (client pixels) at `target` in `dc`.
  void paint(HDC dc, const RECT& target, POINT source) const;
  // The keyboard's focus on a hot spot: a ring in the colour of the art's text there, on the
  // "Optimize Now" button or on the header.
  void drawFocus(HDC dc, const RECT& spot, bool onButton, UINT dpi) const;
  // What labels and buttons on the picture are drawn with.
  HBRUSH bodyBrush() const { return bodyBrush_.get(); }
  COLORREF bodyColour() const { return palette_.body; }
  COLORREF textColour() const { return palette_.text; }

 private:
  Brush bodyBrush_;
  Palette palette_{};
  UINT dpi_ = 96;
  FontCache* fonts_ = nullptr;
  const std::vector<Placement>* layout_ = nullptr;
  std::wstring title_, version_;
  HICON icon_ = nullptr;
};

}  // namespace tarnwick::win32
