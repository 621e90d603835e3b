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

}  // namespace

HFONT FontCache::get(const FontSpec& wanted, UINT dpi) {
  auto& slot = fonts_[{wanted.face, wanted.points, wanted.bold, wanted.underline, dpi}];
  if (!slot) {
    // The design's "MS Sans Serif" is a raster face of a few sizes, bold at some only; its
    // TrueType twin of the same metrics has every size and weight. Where the twin is missing
    // (Wine), the raster face still keeps its bold at 96 and 144 DPI, which Tahoma there does
    // not.
    static const bool twin = installed(L"Microsoft Sans Serif");
    const bool raster = std::string_view(wanted.face) == "MS Sans Serif";
    LOGFONTW font{};
    font.lfHeight = -MulDiv(wanted.points, static_cast<int>(dpi), 72);
    font.lfWeight = wanted.bold ? FW_BOLD : FW_NORMAL;
    font.lfUnderline = wanted.underline;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = CLEARTYPE_QUALITY;
    font.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;
    lstrcpynW(font.lfFaceName,
              raster && twin ? L"Microsoft Sans Serif" : widen(wanted.face).c_str(), LF_FACESIZE);
    slot.reset(CreateFontIndirectW(&font));
  }
  return slot.get();
}

}  // namespace tarnwick::win32
