#include "platform/win32/win32_platform.h"

#include "memory/modOptimize.h"
#include "platform/win32/text.h"

namespace tarnwick::win32 {

MemoryStatus Win32Platform::globalMemoryStatus() {
  // The 64-bit status, so machines above 4 GB report their real figures.
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  if (!GlobalMemoryStatusEx(&status)) return {};
  return {status.ullTotalPhys, status.ullAvailPhys, status.ullAvailPageFile};
}

RamBlock Win32Platform::claimBlock() {
  return modOptimize::NewRamBlock();
}

void Win32Platform::messageBox(const std::string& text, const std::string& title, Icon icon) {
  MessageBoxW(dialog_, widen(text).c_str(), widen(title).c_str(), MB_OK | icon);
}

TimeOfDay Win32Platform::localTime() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return {now.wHour, now.wMinute, now.wSecond};
}

void Win32Platform::dispatch(MSG& msg) {
  if (dialog_ && IsDialogMessageW(dialog_, &msg)) return;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

void Win32Platform::doEvents() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // Leave it for the main loop, which is below us on the stack.
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    dispatch(msg);
  }
}

int Win32Platform::runMessageLoop() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) dispatch(msg);
  return static_cast<int>(msg.wParam);
}

}  // namespace tarnwick::win32
