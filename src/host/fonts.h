// The window toolkit's one font factory: each face, size and weight at each density, made once.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <tuple>

#include "forms/layout.h"
#include "platform/win32/scoped.h"

namespace tarnwick::win32 {

class FontCache {
 public:
  HFONT get(const FontSpec& wanted, UINT dpi);

 private:
  std::map<std::tuple<std::string, int, bool, bool, UINT>, Font> fonts_;
};

}  // namespace tarnwick::win32
