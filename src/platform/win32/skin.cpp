#include "platform/win32/skin.h"

#include <string>

#include "app/layout.h"
#include "platform/win32/dpi.h"

namespace tarnwick::win32 {
namespace {

constexpr COLORREF kHeaderLeft = RGB(20, 46, 84);
constexpr COLORREF kHeaderRight = RGB(38, 102, 170);
constexpr COLORREF kBody = RGB(255, 255, 255);
constexpr COLORREF kAccent = RGB(30, 92, 160);
constexpr COLORREF kRule = RGB(222, 228, 236);
constexpr COLORREF kMuted = RGB(104, 114, 128);
constexpr COLORREF kFrame = RGB(16, 40, 72);
constexpr COLORREF kButton = RGB(34, 142, 86);
constexpr COLORREF kButtonEdge = RGB(24, 110, 64);

// Twips of the 6300 x 8025 design, the same units as the control layout.
constexpr int kHeaderHeight = 1440;

class Painter {
 public:
  Painter(HDC dc, UINT dpi) : dc_(dc), dpi_(dpi) {}

  int px(int twips) const { return twipsToPixels(twips, dpi_); }
  RECT rect(int left, int top, int width, int height) const {
    return {px(left), px(top), px(left) + px(width), px(top) + px(height)};
  }

  void fill(const RECT& r, COLORREF colour) const {
    Brush brush(CreateSolidBrush(colour));
    FillRect(dc_, &r, brush.get());
  }

  void gradient(const RECT& r, COLORREF from, COLORREF to) const {
    TRIVERTEX v[2] = {
        {r.left, r.top, static_cast<COLOR16>(GetRValue(from) << 8),
         static_cast<COLOR16>(GetGValue(from) << 8), static_cast<COLOR16>(GetBValue(from) << 8), 0},
        {r.right, r.bottom, static_cast<COLOR16>(GetRValue(to) << 8),
         static_cast<COLOR16>(GetGValue(to) << 8), static_cast<COLOR16>(GetBValue(to) << 8), 0}};
    GRADIENT_RECT g{0, 1};
    GradientFill(dc_, v, 2, &g, 1, GRADIENT_FILL_RECT_H);
  }

  void roundBox(const RECT& r, COLORREF fillColour, COLORREF edge, int radiusTwips) const {
    Brush brush(CreateSolidBrush(fillColour));
    Pen pen(CreatePen(PS_SOLID, 1, edge));
    Selected b(dc_, brush.get()), p(dc_, pen.get());
    const int radius = px(radiusTwips);
    RoundRect(dc_, r.left, r.top, r.right, r.bottom, radius, radius);
  }

  void line(int x0, int y0, int x1, int y1, COLORREF colour, int widthPx) const {
    Pen pen(CreatePen(PS_SOLID, widthPx, colour));
    Selected p(dc_, pen.get());
    MoveToEx(dc_, x0, y0, nullptr);
    LineTo(dc_, x1, y1);
  }

  // Draws one line of text; returns the right edge of what was drawn.
  int text(const std::wstring& s, RECT r, COLORREF colour, int points, bool bold,
           UINT format = DT_LEFT | DT_VCENTER | DT_SINGLELINE) const {
    Font font(CreateFontW(-MulDiv(points, static_cast<int>(dpi_), 72), 0, 0, 0,
                          bold ? FW_BOLD : FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                          CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_SWISS,
                          L"Tahoma"));
    Selected f(dc_, font.get());
    SetTextColor(dc_, colour);
    SetBkMode(dc_, TRANSPARENT);
    DrawTextW(dc_, s.c_str(), static_cast<int>(s.size()), &r, format | DT_NOPREFIX);
    SIZE extent{};
    GetTextExtentPoint32W(dc_, s.c_str(), static_cast<int>(s.size()), &extent);
    return r.left + extent.cx;
  }

  // A section caption with a rule running to the right edge of the body.
  void section(const std::wstring& caption, int left, int top) const {
    const RECT r = rect(left, top, 5400, 240);
    const int textRight = text(caption, r, kAccent, 8, true);
    const int y = (r.top + r.bottom) / 2;
    line(textRight + px(120), y, px(5820), y, kRule, 1);
  }

 private:
  HDC dc_;
  UINT dpi_;
};

void drawHeader(const Painter& p, HDC dc, HICON icon) {
  p.gradient(p.rect(0, 0, kMainWidthTwips, kHeaderHeight), kHeaderLeft, kHeaderRight);

  const RECT iconBox = p.rect(240, 120, 390, 390);
  if (icon)
    DrawIconEx(dc, iconBox.left, iconBox.top, icon, iconBox.right - iconBox.left,
               iconBox.bottom - iconBox.top, 0, nullptr, DI_NORMAL);
  p.text(L"Tarnwick Demo", p.rect(720, 90, 3600, 450), RGB(255, 255, 255), 14, true);
  p.text(L"Memory and priority optimizer", p.rect(2400, 1020, 3500, 300), RGB(176, 204, 236), 8,
         false, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);

  // About: a pill with an information mark, under the lblAbout hot spot.
  const RECT about = p.rect(240, 600, 1575, 495);
  p.roundBox(about, RGB(44, 86, 142), RGB(122, 162, 212), 240);
  const int d = p.px(255);
  const int cx = about.left + p.px(150), cy = (about.top + about.bottom - d) / 2;
  {
    Pen pen(CreatePen(PS_SOLID, 1, RGB(255, 255, 255)));
    Selected s(dc, pen.get()), b(dc, GetStockObject(NULL_BRUSH));
    Ellipse(dc, cx, cy, cx + d, cy + d);
  }
  p.text(L"i", {cx, cy, cx + d, cy + d}, RGB(255, 255, 255), 8, true,
         DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  p.text(L"About", {cx + d + p.px(90), about.top, about.right, about.bottom}, RGB(255, 255, 255), 9,
         true);

  // Minimise and close glyphs, under their hot spots.
  const int stroke = p.px(30) > 1 ? p.px(30) : 1;
  const RECT minimize = p.rect(5650, 100, 255, 255);
  const int inset = p.px(60);
  const int y = minimize.bottom - inset - stroke;
  p.line(minimize.left + inset, y, minimize.right - inset, y, RGB(255, 255, 255), stroke);
  const RECT close = p.rect(5920, 100, 255, 255);
  p.line(close.left + inset, close.top + inset, close.right - inset, close.bottom - inset,
         RGB(255, 255, 255), stroke);
  p.line(close.left + inset, close.bottom - inset - 1, close.right - inset, close.top + inset - 1,
         RGB(255, 255, 255), stroke);
}

void drawBody(const Painter& p) {
  p.fill(p.rect(0, kHeaderHeight, kMainWidthTwips, kMainHeightTwips - kHeaderHeight), kBody);

  p.section(L"RAM level", 480, 1560);
  p.section(L"Automatic optimization", 480, 2370);
  const int rule = p.px(3405);
  p.line(p.px(480), rule, p.px(5820), rule, kRule, 1);

  // "Optimize Now", under the cmdOptimizeNow hot spot.
  const RECT button = p.rect(4250, 3540, 1650, 440);
  p.roundBox(button, kButton, kButtonEdge, 180);
  p.text(L"Optimize Now", button, RGB(255, 255, 255), 9, true,
         DT_CENTER | DT_VCENTER | DT_SINGLELINE);

  p.section(L"Process priority", 480, 4530);
  p.text(L"Active application", p.rect(480, 4860, 2500, 255), kMuted, 8, false);
  p.text(L"Other applications", p.rect(3240, 4860, 2500, 255), kMuted, 8, false);

  p.text(L"Version 1.0.0", p.rect(380, 7740, 5535, 255), kMuted, 7, false,
         DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
}

}  // namespace

void Skin::render(HDC like, UINT dpi, HICON icon) {
  width_ = twipsToPixels(kMainWidthTwips, dpi);
  height_ = twipsToPixels(kMainHeightTwips, dpi);
  bitmap_.reset(CreateCompatibleBitmap(like, width_, height_));
  if (!bodyBrush_) bodyBrush_.reset(CreateSolidBrush(kBody));

  MemoryDC dc(like);
  Selected selected(dc, bitmap_.get());
  const Painter painter(dc, dpi);
  drawBody(painter);
  drawHeader(painter, dc, icon);

  // A thin frame, since the window has no border of its own.
  Brush frame(CreateSolidBrush(kFrame));
  const RECT all{0, 0, width_, height_};
  FrameRect(dc, &all, frame.get());
}

void Skin::paint(HDC dc, const RECT& target, POINT source) const {
  if (!bitmap_) return;
  MemoryDC memory(dc);
  Selected selected(memory, bitmap_.get());
  BitBlt(dc, target.left, target.top, target.right - target.left, target.bottom - target.top,
         memory, source.x, source.y, SRCCOPY);
}

COLORREF Skin::bodyColour() const {
  return kBody;
}

}  // namespace tarnwick::win32
