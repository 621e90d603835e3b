// The core speaks UTF-8, Windows speaks UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace tarnwick::win32 {

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);

}  // namespace tarnwick::win32
