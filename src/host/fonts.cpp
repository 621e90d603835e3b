#include "host/fonts.h"

#include <string>
#include <string_view>

#include "platform/win32/scoped.h"
#include "platform/win32/text.h"

namespace tarnwick::win32 {

namespace {

// Whether the font system has the face itself, not a stand-in: the face it picks for the name is
// asked, so per-user fonts and substitutes count as they would be drawn.
bool installed(const wchar_t* face) {
  LOGFONTW font{};
  font.lfHeight = -11;
  font.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
  const Font made(CreateFontIndirectW(&font));
  const WindowDC screen(nullptr);
  const Selected selected(screen, made.get());
  wchar_t picked[LF_FACESIZE] = {};
  return made && GetTextFaceW(screen, LF_FACESIZE, picked) && lstrcmpiW(picked, face) == 0;
}

// The ink a line of text leaves in that font, drawn black on white.
long inkOf(const LOGFONTW& wanted) {
  constexpr int kWidth = 160, kHeight = 48;
  const WindowDC screen(nullptr);
  const HDC dc = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof info.bmiHeader, kWidth, -kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  const Gdi<HBITMAP> bitmap(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  long ink = 0;
  if (bits) {
    const Font font(CreateFontIndirectW(&wanted));
    const Selected drawn(dc, bitmap.get()), selected(dc, font.get());
    const RECT all{0, 0, kWidth, kHeight};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetTextColor(dc, RGB(0, 0, 0));
    TextOutW(dc, 0, 0, L"Number of", 9);
    GdiFlush();
    const auto* pixel = static_cast<const BYTE*>(bits);
    for (int i = 0; i < kWidth * kHeight * 4; ++i) ink += (i % 4 != 3) * (255 - pixel[i]);
  }
  DeleteDC(dc);
  return ink;
}

// Whether the face draws its bold at this size: some systems' faces draw none at some sizes
// (Wine's Tahoma, whose bold is there in its metrics only), and a bold label that looks regular
// says nothing.
bool boldShows(const LOGFONTW& bold) {
  LOGFONTW regular = bold;
  regular.lfWeight = FW_NORMAL;
  return inkOf(bold) > inkOf(regular) * 11 / 10;
}

}  // namespace

HFONT FontCache::get(const FontSpec& wanted, UINT dpi) {
  auto& slot = fonts_[{wanted.face, wanted.points, wanted.bold, wanted.underline, dpi}];
  if (slot) return slot.get();
  LOGFONTW font{};
  font.lfHeight = -MulDiv(wanted.points, static_cast<int>(dpi), 72);
  font.lfWeight = wanted.bold ? FW_BOLD : FW_NORMAL;
  font.lfUnderline = wanted.underline;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfQuality = CLEARTYPE_QUALITY;
  font.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;
  lstrcpynW(font.lfFaceName, widen(wanted.face).c_str(), LF_FACESIZE);
  // The design's "MS Sans Serif" is a raster face of a few sizes, bold at some only; its
  // TrueType twin of the same metrics has every size and weight. Where the twin is missing
  // (Wine), the raster face still keeps its bold at 96 and 144 DPI; and it stands in for a face
  // whose bold does not show.
  static const bool twin = installed(L"Microsoft Sans Serif");
  const bool raster = std::string_view(wanted.face) == "MS Sans Serif";
  if (!raster && wanted.bold && !boldShows(font))
    lstrcpynW(font.lfFaceName, L"MS Sans Serif", LF_FACESIZE);
  if (lstrcmpW(font.lfFaceName, L"MS Sans Serif") == 0 && twin)
    lstrcpynW(font.lfFaceName, L"Microsoft Sans Serif", LF_FACESIZE);
  slot.reset(CreateFontIndirectW(&font));
  return slot.get();
}

}  // namespace tarnwick::win32
