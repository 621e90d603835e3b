// The floor of the platform: a bare Win32 window with the program's two timers, 200 ms and
// 987 ms, doing nothing on either.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  WNDCLASSW cls{};
  cls.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (message == WM_DESTROY) {
      PostQuitMessage(0);
      return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  };
  cls.hInstance = instance;
  cls.lpszClassName = L"BareTimers";
  RegisterClassW(&cls);
  const HWND window = CreateWindowExW(0, cls.lpszClassName, L"bare", WS_POPUP, 100, 100, 420, 535,
                                      nullptr, nullptr, instance, nullptr);
  SetTimer(window, 1, 200, nullptr);
  SetTimer(window, 2, 987, nullptr);
  ShowWindow(window, SW_SHOW);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}
