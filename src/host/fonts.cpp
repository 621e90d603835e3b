#include "host/fonts.h"

#include <string>
#include <string_view>

#include "platform/win32/scoped.h"
#include "platform/win32/text.h"

namespace tarnwick::win32 {

namespace {

// Whether the system has the TrueType face: asked of the registry's list of installed fonts,
// which costs nothing, where enumerating the fonts would wake the whole font system.
bool installed(const wchar_t* trueType) {
  DWORD size = 0;
  return RegGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts",
                      (std::wstring(trueType) + L" (TrueType)").c_str(), RRF_RT_REG_SZ, nullptr,
                      nullptr, &size) == ERROR_SUCCESS;
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
