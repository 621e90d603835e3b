#include "host/fonts.h"

#include <string_view>

#include "platform/win32/scoped.h"
#include "platform/win32/text.h"

namespace tarnwick::win32 {

namespace {

bool installed(const wchar_t* face) {
  LOGFONTW font{};
  font.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
  bool found = false;
  const WindowDC screen(nullptr);
  EnumFontFamiliesExW(
      screen, &font,
      [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
        return *reinterpret_cast<bool*>(found) = true, 0;
      },
      reinterpret_cast<LPARAM>(&found), 0);
  return found;
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
