#include "platform/win32/main_window.h"

#include <commctrl.h>

#include "../../../res/resource.h"
#include "platform/win32/dpi.h"
#include "platform/win32/text.h"

namespace tarnwick::win32 {
namespace {

constexpr UINT_PTR kGlobalTimerId = 1;
constexpr UINT_PTR kClockTimerId = 2;

Icon loadIcon(HINSTANCE instance, int size) {
  return Icon(static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(IDI_TARNWICK), IMAGE_ICON, size, size, 0)));
}

}  // namespace

MainWindow::MainWindow(HINSTANCE instance, frmMain& core) : instance_(instance), core_(core) {}

MainWindow::~MainWindow() {
  if (hwnd_) DestroyWindow(hwnd_);
}

bool MainWindow::create() {
  hand_ = LoadCursorW(instance_, MAKEINTRESOURCEW(IDC_HOTSPOT));
  icon_ = loadIcon(instance_, GetSystemMetrics(SM_CXICON));
  smallIcon_ = loadIcon(instance_, GetSystemMetrics(SM_CXSMICON));
  taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");

  WNDCLASSEXW main{};
  main.cbSize = sizeof main;
  main.style = CS_DROPSHADOW;
  main.lpfnWndProc = windowProc;
  main.hInstance = instance_;
  main.hIcon = icon_.get();
  main.hIconSm = smallIcon_.get();
  main.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  main.lpszClassName = kMainClass;
  if (!RegisterClassExW(&main)) return false;

  // No border, no caption and no taskbar button: the skin is the window's only frame.
  CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT, kMainClass, L"",
                  WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 0, 0, nullptr,
                  nullptr, instance_, this);
  if (!hwnd_) return false;

  core_.form.hWnd = reinterpret_cast<intptr_t>(hwnd_);
  core_.form.hIcon = reinterpret_cast<intptr_t>(smallIcon_.get());
  controls_.drawHotSpot = [this](const DRAWITEMSTRUCT& item) {
    // Hot spots are transparent: they show the skin that lies under them.
    POINT origin{0, 0};
    MapWindowPoints(item.hwndItem, hwnd_, &origin, 1);
    skin_.paint(item.hDC, item.rcItem, {origin.x + item.rcItem.left, origin.y + item.rcItem.top});
  };
  controls_.create(hwnd_, instance_, core_.layout(), icon_.get());
  applyDpi(dpiOf(hwnd_));
  controls_.bind();
  if (ControlSet::Child* upDown = controls_.byId(kIdUpDown)) {
    // A fixed position inside a range, so both arrows always notify; the program keeps the
    // interval itself.
    SendMessageW(upDown->hwnd, UDM_SETRANGE32, 0, 100);
    SendMessageW(upDown->hwnd, UDM_SETPOS32, 0, 50);
  }
  bindForm();
  bindTimer(kGlobalTimerId, core_.tmrGlobalTimer);
  bindTimer(kClockTimerId, core_.tmrTimer);
  return true;
}

void MainWindow::applyDpi(UINT dpi) {
  dpi_ = dpi;
  SetWindowPos(hwnd_, nullptr, 0, 0, twipsToPixels(kMainWidthTwips, dpi),
               twipsToPixels(kMainHeightTwips, dpi), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  controls_.applyDpi(dpi);
  WindowDC screen(hwnd_);
  skin_.render(screen, dpi, icon_.get());
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void MainWindow::bindForm() {
  core_.form.view = [this] {
    const forms::Form& form = core_.form;
    if (!form.visible()) {
      ShowWindow(hwnd_, SW_HIDE);
      return;
    }
    const bool wantMinimized = form.windowState() == forms::WindowState::Minimized;
    if (!IsWindowVisible(hwnd_) || (IsIconic(hwnd_) != 0) != wantMinimized)
      ShowWindow(hwnd_, wantMinimized ? SW_MINIMIZE : SW_SHOWNORMAL);
    if (!wantMinimized) {
      const int left = twipsToPixels(static_cast<int>(form.left()), dpi_);
      const int top = twipsToPixels(static_cast<int>(form.top()), dpi_);
      RECT r;
      GetWindowRect(hwnd_, &r);
      if (r.left != left || r.top != top)
        SetWindowPos(hwnd_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  };
}

void MainWindow::bindTimer(UINT_PTR id, forms::Timer& timer) {
  timers_[id] = &timer;
  timer.view = [this, id, &timer] {
    if (timer.enabled())
      SetTimer(hwnd_, id, timer.interval(), nullptr);
    else
      KillTimer(hwnd_, id);
  };
  timer.view();
}

void MainWindow::loadAndShow() {
  // Centred on the work area of the monitor the window was created on.
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT& work = monitor.rcWork;
  const int width = twipsToPixels(kMainWidthTwips, dpi_);
  const int height = twipsToPixels(kMainHeightTwips, dpi_);
  SetWindowPos(hwnd_, nullptr, work.left + (work.right - work.left - width) / 2,
               work.top + (work.bottom - work.top - height) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  onMove();

  callCore([&] { core_.Form_Load(); });
  callCore([&] { core_.form.setVisible(true); });
  SetForegroundWindow(hwnd_);
}

LRESULT MainWindow::onNotify(const NMHDR& header) {
  if (header.code == UDN_DELTAPOS && static_cast<int>(header.idFrom) == kIdUpDown) {
    const auto& change = reinterpret_cast<const NMUPDOWN&>(header);
    callCore([&] {
      auto& handler = change.iDelta > 0 ? core_.UpDown.UpClick : core_.UpDown.DownClick;
      if (handler) handler();
    });
    return TRUE;  // keep the control's own position where it is
  }
  return 0;
}

void MainWindow::onSize(WPARAM kind) {
  if (kind != SIZE_MINIMIZED && kind != SIZE_RESTORED) return;
  const auto state =
      kind == SIZE_MINIMIZED ? forms::WindowState::Minimized : forms::WindowState::Normal;
  callCore([&] { core_.form.setWindowState(state); });
}

void MainWindow::onMove() {
  // Minimised, a window sits far off the screen; its place is where it will come back.
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  RECT r;
  if (IsIconic(hwnd_) && GetWindowPlacement(hwnd_, &placement))
    r = placement.rcNormalPosition;
  else
    GetWindowRect(hwnd_, &r);
  core_.form.positionChanged(pixelsToTwips(r.left, dpi_), pixelsToTwips(r.top, dpi_));
}

LRESULT MainWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == taskbarCreated_ && taskbarCreated_) {
    // Explorer restarted and forgot every icon: ours goes back.
    callCore([&] { core_.AddToSystemTray(); });
    return 0;
  }
  switch (message) {
    case kTrayCallbackMessage:
      callCore([&] { core_.nidTray_Callback(LOWORD(lParam)); });
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      const HDC dc = BeginPaint(hwnd_, &ps);
      skin_.paint(dc, ps.rcPaint, {ps.rcPaint.left, ps.rcPaint.top});
      EndPaint(hwnd_, &ps);
      return 0;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      const HDC dc = reinterpret_cast<HDC>(wParam);
      SetBkColor(dc, skin_.bodyColour());
      SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
      return reinterpret_cast<LRESULT>(skin_.bodyBrush());
    }
    case WM_DRAWITEM:
      if (controls_.drawHotSpot)
        controls_.drawHotSpot(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_SETCURSOR:
      if (controls_.wantsHand(reinterpret_cast<HWND>(wParam)) && hand_) {
        SetCursor(hand_);
        return TRUE;
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
      const int16_t button = message == WM_LBUTTONDOWN ? 1 : message == WM_RBUTTONDOWN ? 2 : 4;
      callCore([&] { core_.Form_MouseDown(button, 0, 0, 0); });
      return 0;
    }
    case WM_COMMAND:
      if (lParam) callCore([&] { controls_.command(LOWORD(wParam), HIWORD(wParam)); });
      return 0;
    case WM_NOTIFY:
      return onNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_TIMER:
      if (auto it = timers_.find(wParam); it != timers_.end() && it->second->Tick) {
        forms::Timer* timer = it->second;
        callCore([&] { timer->Tick(); });
      }
      return 0;
    case WM_SIZE:
      onSize(wParam);
      return 0;
    case WM_MOVE:
      onMove();
      return 0;
    case WM_DPICHANGED: {
      const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      applyDpi(HIWORD(wParam));
      return 0;
    }
    case WM_CLOSE: {
      int16_t cancel = 0;
      callCore([&] { core_.Form_Unload(cancel); });
      if (!cancel) DestroyWindow(hwnd_);  // only if ending the process did not already
      return 0;
    }
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      if (wParam) callCore([&] { core_.SessionEnding(); });
      return 0;
    case WM_DESTROY:
      for (const auto& [id, timer] : timers_) KillTimer(hwnd_, id);
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

}  // namespace tarnwick::win32
