#include "host/skin.h"

#include <algorithm>

#include "app/layout.h"
#include "base/runtime.h"
#include "platform/win32/text.h"

namespace tarnwick::win32 {
namespace {

// The skin's own colours, text included: the system's text colour could be white under a dark
// scheme, on a body that stays white.
constexpr Palette kSkin{RGB(20, 46, 84),    RGB(38, 102, 170),  RGB(255, 255, 255),
                        RGB(176, 204, 236), RGB(44, 86, 142),   RGB(122, 162, 212),
                        RGB(255, 255, 255), RGB(24, 28, 36),    RGB(30, 92, 160),
                        RGB(222, 228, 236), RGB(104, 114, 128), RGB(16, 40, 72),
                        RGB(34, 142, 86),   RGB(24, 110, 64),   RGB(255, 255, 255)};

Palette systemPalette() {
  const auto c = [](int index) { return GetSysColor(index); };
  return {c(COLOR_HIGHLIGHT),  c(COLOR_HIGHLIGHT), c(COLOR_HIGHLIGHTTEXT), c(COLOR_HIGHLIGHTTEXT),
          c(COLOR_BTNFACE),    c(COLOR_BTNTEXT),   c(COLOR_WINDOW),        c(COLOR_WINDOWTEXT),
          c(COLOR_WINDOWTEXT), c(COLOR_GRAYTEXT),  c(COLOR_GRAYTEXT),      c(COLOR_WINDOWFRAME),
          c(COLOR_BTNFACE),    c(COLOR_BTNTEXT),   c(COLOR_BTNTEXT)};
}

// Twips of the design, the same units as the control layout.
constexpr int kHeaderHeight = 1440;

RECT pixels(const TwipsRect& r, UINT dpi) {
  return {twipsToPixels(r.left, dpi), twipsToPixels(r.top, dpi),
          twipsToPixels(r.left, dpi) + twipsToPixels(r.width, dpi),
          twipsToPixels(r.top, dpi) + twipsToPixels(r.height, dpi)};
}

class Painter {
 public:
  Painter(HDC dc, UINT dpi, FontCache& fonts, const Palette& colours)
      : dc_(dc), dpi_(dpi), fonts_(fonts), c(colours) {}

  int px(int twips) const { return twipsToPixels(twips, dpi_); }
  RECT rect(int left, int top, int width, int height) const {
    return pixels({left, top, width, height}, dpi_);
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
    // The system's own, in a library every program has loaded from the system folder.
    GdiGradientFill(dc_, v, 2, &g, 1, GRADIENT_FILL_RECT_H);
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
    Selected f(dc_, fonts_.get({"MS Sans Serif", points, bold}, dpi_));
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
    const int textRight = text(caption, r, c.accent, 8, true);
    const int y = (r.top + r.bottom) / 2;
    line(textRight + px(120), y, px(5820), y, c.rule, 1);
  }

 private:
  HDC dc_;
  UINT dpi_;
  FontCache& fonts_;

 public:
  const Palette& c;
};

// Where each hot spot of the layout lies, in pixels, and the names the art shows on two of them.
struct HotSpots {
  RECT about{}, minimize{}, close{}, optimize{};
  std::wstring aboutText, optimizeText;
};

// A name as the art shows it: without the "&" that marks its access key.
std::wstring shown(const char* name) {
  std::wstring text = widen(name ? name : "");
  text.erase(std::remove(text.begin(), text.end(), L'&'), text.end());
  return text;
}

HotSpots hotSpotsOf(const std::vector<Placement>& layout, UINT dpi) {
  HotSpots spots;
  for (const Placement& p : layout) {
    if (!std::holds_alternative<HotSpot>(p.model)) continue;
    switch (p.id) {
      case kIdAbout:
        spots.about = pixels(p.twips, dpi);
        spots.aboutText = shown(p.name);
        break;
      case kIdCmdMinimize:
        spots.minimize = pixels(p.twips, dpi);
        break;
      case kIdCmdClose:
        spots.close = pixels(p.twips, dpi);
        break;
      case kIdOptimizeNow:
        spots.optimize = pixels(p.twips, dpi);
        spots.optimizeText = shown(p.name);
        break;
      default:
        throw RuntimeError("A hot spot the skin has no art for");
    }
  }
  return spots;
}

// Captions over the controls they head, placed from where the layout puts those controls: a
// container's caption is its name; sections run from the body's left margin.
struct Heading {
  int control;
  const wchar_t* text;  // none: the control's name
  int above;            // twips over the control's top
  bool section;
};
constexpr Heading kHeadings[] = {
    {kIdPicture1, nullptr, 290, true},
    {kIdAutoOptimize0, L"Automatic optimization", 270, true},
    {kIdPicture2, L"Process priority", 630, true},
    {kIdPicture2, nullptr, 300, false},
    {kIdPicture3, nullptr, 300, false},
};
constexpr int kBodyLeft = 480;

void drawHeader(const Painter& p, HDC dc, HICON icon, const HotSpots& spots,
                const std::wstring& title) {
  p.gradient(p.rect(0, 0, kMainClientTwips.width, kHeaderHeight), p.c.headerLeft, p.c.headerRight);

  const RECT iconBox = p.rect(240, 120, 390, 390);
  if (icon)
    DrawIconEx(dc, iconBox.left, iconBox.top, icon, iconBox.right - iconBox.left,
               iconBox.bottom - iconBox.top, 0, nullptr, DI_NORMAL);
  p.text(title, p.rect(720, 90, 3600, 450), p.c.headerText, 14, true);
  p.text(L"Memory and priority optimizer", p.rect(2400, 1020, 3500, 300), p.c.subtitle, 8, false,
         DT_RIGHT | DT_VCENTER | DT_SINGLELINE);

  // About: a pill with an information mark.
  const RECT& about = spots.about;
  p.roundBox(about, p.c.pill, p.c.pillEdge, 240);
  const int d = p.px(255);
  const int cx = about.left + p.px(150), cy = (about.top + about.bottom - d) / 2;
  {
    Pen pen(CreatePen(PS_SOLID, 1, p.c.headerText));
    Selected s(dc, pen.get()), b(dc, GetStockObject(NULL_BRUSH));
    Ellipse(dc, cx, cy, cx + d, cy + d);
  }
  p.text(L"i", {cx, cy, cx + d, cy + d}, p.c.headerText, 8, true,
         DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  p.text(spots.aboutText, {cx + d + p.px(90), about.top, about.right, about.bottom}, p.c.headerText,
         9, true);

  // Minimise and close glyphs.
  const int stroke = p.px(30) > 1 ? p.px(30) : 1;
  const int inset = p.px(60);
  const RECT& minimize = spots.minimize;
  const int y = minimize.bottom - inset - stroke;
  p.line(minimize.left + inset, y, minimize.right - inset, y, p.c.headerText, stroke);
  const RECT& close = spots.close;
  p.line(close.left + inset, close.top + inset, close.right - inset, close.bottom - inset,
         p.c.headerText, stroke);
  p.line(close.left + inset, close.bottom - inset - 1, close.right - inset, close.top + inset - 1,
         p.c.headerText, stroke);
}

void drawBody(const Painter& p, const std::vector<Placement>& layout, const HotSpots& spots,
              const std::wstring& version) {
  p.fill(p.rect(0, kHeaderHeight, kMainClientTwips.width, kMainClientTwips.height - kHeaderHeight),
         p.c.body);

  for (const Heading& heading : kHeadings) {
    const auto placed = std::find_if(layout.begin(), layout.end(),
                                     [&](const Placement& c) { return c.id == heading.control; });
    if (placed == layout.end()) continue;
    const std::wstring text = heading.text ? heading.text : shown(placed->name);
    const int top = placed->twips.top - heading.above;
    if (heading.section)
      p.section(text, kBodyLeft, top);
    else
      p.text(text, p.rect(placed->twips.left, top, 2500, 255), p.c.muted, 8, false);
  }
  const int rule = p.px(3405);
  p.line(p.px(kBodyLeft), rule, p.px(5820), rule, p.c.rule, 1);

  p.roundBox(spots.optimize, p.c.button, p.c.buttonEdge, 180);
  p.text(spots.optimizeText, spots.optimize, p.c.buttonText, 9, true,
         DT_CENTER | DT_VCENTER | DT_SINGLELINE);

  p.text(version, p.rect(380, 7740, 5535, 255), p.c.muted, 7, false,
         DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
}

}  // namespace

bool highContrast() {
  HIGHCONTRASTW contrast{};
  contrast.cbSize = sizeof contrast;
  return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
         (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

void Skin::prepare(UINT dpi, FontCache& fonts, const std::vector<Placement>& layout,
                   std::wstring title, std::wstring version, HICON icon) {
  palette_ = highContrast() ? systemPalette() : kSkin;
  bodyBrush_.reset(CreateSolidBrush(palette_.body));
  dpi_ = dpi;
  fonts_ = &fonts;
  layout_ = &layout;
  title_ = std::move(title);
  version_ = std::move(version);
  icon_ = icon;
}

// Drawn straight into the window, the part asked for: a picture kept aside would hold a
// megabyte or two for the rare moment the window is drawn again.
void Skin::paint(HDC dc, const RECT& target, POINT source) const {
  if (!fonts_) return;
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, target.left, target.top, target.right, target.bottom);
  SetViewportOrgEx(dc, target.left - source.x, target.top - source.y, nullptr);
  const Painter painter(dc, dpi_, *fonts_, palette_);
  const HotSpots spots = hotSpotsOf(*layout_, dpi_);
  const int header = twipsToPixels(kHeaderHeight, dpi_);
  const int height = target.bottom - target.top;
  if (source.y + height > header) drawBody(painter, *layout_, spots, version_);
  if (source.y < header) drawHeader(painter, dc, icon_, spots, title_);
  // A thin frame, since the window has no border of its own.
  const RECT all = pixels(kMainClientTwips, dpi_);
  Brush frame(CreateSolidBrush(palette_.frame));
  FrameRect(dc, &all, frame.get());
  RestoreDC(dc, saved);
}

void Skin::drawFocus(HDC dc, const RECT& spot, bool onButton, UINT dpi) const {
  // Inside the art's own edge, with some of its face between them.
  const int width = std::max(twipsToPixels(30, dpi), 1);
  const int inset = spot.bottom - spot.top > 12 * width ? 2 * width : 0;
  const int radius = twipsToPixels(120, dpi);
  Pen pen(CreatePen(PS_SOLID, width, onButton ? palette_.buttonText : palette_.headerText));
  const Selected p(dc, pen.get()), b(dc, GetStockObject(NULL_BRUSH));
  RoundRect(dc, spot.left + inset, spot.top + inset, spot.right - inset, spot.bottom - inset,
            radius, radius);
}

}  // namespace tarnwick::win32
