// The core speaks UTF-8, Windows speaks UTF-16; the settings file speaks the ANSI code page.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace tarnwick::win32 {

std::wstring widen(std::string_view text, UINT codePage = CP_UTF8);
std::string narrow(std::wstring_view text, UINT codePage = CP_UTF8);

}  // namespace tarnwick::win32
