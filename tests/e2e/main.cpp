// The driver, or with --helper a small windowed process for the tests to start and move.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

namespace {

int runHelper() {
  WNDCLASSW cls{};
  cls.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
    switch (message) {
      case WM_APP:  // come to the front
        SetForegroundWindow(window);
        SetActiveWindow(window);
        return 0;
      case WM_TIMER:  // never outlive a test run
      case WM_CLOSE:
        DestroyWindow(window);
        return 0;
      case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
      default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
  };
  cls.hInstance = GetModuleHandleW(nullptr);
  cls.lpszClassName = L"TarnwickE2EHelper";
  RegisterClassW(&cls);
  const HWND window = CreateWindowExW(0, cls.lpszClassName, L"helper", WS_OVERLAPPEDWINDOW, 40, 40,
                                      200, 120, nullptr, nullptr, cls.hInstance, nullptr);
  ShowWindow(window, SW_SHOWNOACTIVATE);
  SetTimer(window, 1, 120000, nullptr);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--helper") == 0) return runHelper();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
