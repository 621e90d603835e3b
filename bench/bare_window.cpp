// The floor the program is measured against: a bare window made the way the program makes
// its own (the same manifest with common controls 6, class, styles and centring), with the
// program's two timers, doing nothing; started with "hidden", never shown.
#include <windows.h>
#include <commctrl.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  INITCOMMONCONTROLSEX controls{sizeof controls,
                                ICC_STANDARD_CLASSES | ICC_UPDOWN_CLASS | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  WNDCLASSEXW cls{};
  cls.cbSize = sizeof cls;
  cls.style = CS_DROPSHADOW;
  cls.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(window, message, wParam, lParam);
  };
  cls.hInstance = instance;
  cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  cls.lpszClassName = L"BareWindow";
  RegisterClassExW(&cls);
  const HWND window = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT, cls.lpszClassName,
                                      L"", WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX,
                                      0, 0, 420, 535, nullptr, nullptr, instance, nullptr);
  RECT work;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  SetWindowPos(window, nullptr, (work.left + work.right - 420) / 2,
               (work.top + work.bottom - 535) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  SetTimer(window, 1, 200, nullptr);
  SetTimer(window, 2, 987, nullptr);
  if (lstrcmpW(commandLine, L"hidden") != 0) ShowWindow(window, SW_SHOW);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}
