#include "host/main_window.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <memory>

#include "../../res/resource.h"
#include "about/frmAbout.h"
#include "platform/win32/text.h"

namespace tarnwick::win32 {

namespace {
// Hands the activation on to the window's open modal box, after the activation that came first.
constexpr UINT kActivateModalBox = WM_APP + 5;
}  // namespace

MainWindow::~MainWindow() {
  if (hwnd_) DestroyWindow(hwnd_);
}

bool MainWindow::create() {
  const HINSTANCE instance = platform_.instance();
  taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
  showWindow_ = RegisterWindowMessageW(kShowWindowMessage);
  registerWindowClass(instance, kMainClass, windowProc, CS_DROPSHADOW);
  // No border, no caption and no taskbar button: the skin is the window's only frame.
  CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT, kMainClass, L"",
                  WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 0, 0, nullptr,
                  nullptr, instance, this);
  if (!hwnd_) return false;
  // Run elevated, the window would otherwise never hear Explorer's restart nor a second start.
  for (const UINT message : {taskbarCreated_, showWindow_})
    ChangeWindowMessageFilterEx(hwnd_, message, MSGFLT_ALLOW, nullptr);
  platform_.setMainWindow(hwnd_);
  core_.form.hWnd = reinterpret_cast<intptr_t>(hwnd_);

  title_ = widen(kAppTitle);
  version_ = widen(versionText(platform_.programVersion()));
  layout_ = core_.layout();
  controls_.drawHotSpot = [this](const DRAWITEMSTRUCT& item) {
    // Hot spots are transparent: they show the skin that lies under them, and the keyboard's
    // focus once the user works with the keyboard.
    POINT origin{0, 0};
    MapWindowPoints(item.hwndItem, hwnd_, &origin, 1);
    skin_.paint(item.hDC, item.rcItem, {origin.x + item.rcItem.left, origin.y + item.rcItem.top});
    if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT))
      skin_.drawFocus(item.hDC, item.rcItem, item.CtlID == kIdOptimizeNow, dpi_);
  };
  dpi_ = dpiOf(hwnd_);
  SetWindowPos(hwnd_, nullptr, 0, 0, twipsToPixels(kMainClientTwips.width, dpi_),
               twipsToPixels(kMainClientTwips.height, dpi_),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  controls_.create(hwnd_, instance, layout_, dpi_, fonts_);
  loadIcons();
  renderSkin();
  controls_.bind();
  // Focus marks appear once the keyboard is used, as everywhere in Windows.
  SendMessageW(hwnd_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_INITIALIZE, UISF_HIDEFOCUS | UISF_HIDEACCEL),
               0);
  bindForm();
  for (forms::Timer* timer : {&core_.tmrGlobalTimer, &core_.tmrTimer, &core_.tmrTrayRetry})
    bindTimer(*timer);
  platform_.setTimerDue([this] { return timerDue(); });
  return true;
}

void MainWindow::applyDpi(UINT dpi) {
  dpi_ = dpi;
  controls_.applyDpi(dpi, fonts_);
  loadIcons();
  platform_.tray().followTaskbar();
  renderSkin();
}

void MainWindow::loadIcons() {
  const HINSTANCE instance = platform_.instance();
  // One: a window without caption or taskbar button shows its icon nowhere but on its skin;
  // the system makes a small one from it where it needs one, and the tray draws its own.
  Icon icon = loadIcon(instance, IDI_TARNWICK, metricFor(SM_CXICON, dpi_));
  SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon.get()));
  icon_ = std::move(icon);
  // The old one is gone: the tray's record must not name it.
  core_.form.hIcon = core_.nidTray.hIcon = reinterpret_cast<intptr_t>(icon_.get());
  hand_.reset();  // made at this density when the mouse first comes over a hot spot
}

void MainWindow::renderSkin() {
  skin_.prepare(dpi_, fonts_, layout_, title_, version_, icon_.get());
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void MainWindow::bindForm() {
  core_.form.view = [this] {
    const forms::Form& form = core_.form;
    if (!hwnd_ || programEnding()) return;
    if (!form.visible()) {
      ShowWindow(hwnd_, SW_HIDE);
      return;
    }
    const bool wantMinimized = form.windowState() == forms::WindowState::Minimized;
    if (!IsWindowVisible(hwnd_) || (IsIconic(hwnd_) != 0) != wantMinimized) {
      ShowWindow(hwnd_, wantMinimized ? SW_MINIMIZE : SW_SHOWNORMAL);
      controls_.show();
    }
    if (wantMinimized) return;
    const int left = positionToPixels(form.left(), dpi_), top = positionToPixels(form.top(), dpi_);
    RECT r;
    GetWindowRect(hwnd_, &r);
    if (r.left != left || r.top != top)
      SetWindowPos(hwnd_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  };
}

void MainWindow::bindTimer(forms::Timer& timer) {
  timers_.push_back({&timer, 0});
  const UINT_PTR id = timers_.size();
  timer.view = [this, id, &timer] {
    timers_[id - 1].ticked = GetTickCount64();
    if (timer.enabled())
      SetTimer(hwnd_, id, timer.interval(), nullptr);
    else
      KillTimer(hwnd_, id);
  };
  timer.view();
}

bool MainWindow::timerDue() const {
  const uint64_t now = GetTickCount64();
  return std::any_of(timers_.begin(), timers_.end(), [now](const Bound& bound) {
    return bound.timer->enabled() && now - bound.ticked >= bound.timer->interval();
  });
}

void MainWindow::loadAndShow() {
  // Centred on the work area of the monitor the window was created on.
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT& work = monitor.rcWork;
  RECT r;
  GetWindowRect(hwnd_, &r);
  SetWindowPos(hwnd_, nullptr, work.left + (work.right - work.left - (r.right - r.left)) / 2,
               work.top + (work.bottom - work.top - (r.bottom - r.top)) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  onMove();
  skipOnError([&] { core_.Form_Load(); });
  if (programEnding()) return;  // a second start: ended at once
  skipOnError([&] { core_.form.setVisible(true); });
  SetForegroundWindow(hwnd_);
}

void MainWindow::onSize(WPARAM kind) {
  if (kind != SIZE_MINIMIZED && kind != SIZE_RESTORED) return;
  core_.form.setWindowState(kind == SIZE_MINIMIZED ? forms::WindowState::Minimized
                                                   : forms::WindowState::Normal);
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
  core_.form.positionChanged(positionToTwips(r.left, dpi_), positionToTwips(r.top, dpi_));
}

LRESULT MainWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == taskbarCreated_ && taskbarCreated_) {
    // Explorer restarted and forgot every icon: ours goes back, at the new taskbar's density.
    core_.ShellRestarted();
    return 0;
  }
  if (message == showWindow_ && showWindow_) {
    core_.ShowRequested();  // a second start asked for the window
    return 0;
  }
  switch (message) {
    case win::kTrayCallbackMessage:
      // Version 4 of the icon: the event in the low word, where it happened in wParam.
      core_.nidTray_Callback(LOWORD(lParam), GET_X_LPARAM(wParam), GET_Y_LPARAM(wParam));
      return 0;
    case kRunPosted:
      platform_.runPosted();
      return 0;
    case kControlNotice:
      controls_.apply(static_cast<int>(wParam), static_cast<int>(lParam));
      return 0;
    case kAsideBoxClosed: {
      const std::unique_ptr<AsideBox> box(reinterpret_cast<AsideBox*>(lParam));
      if (box->closed) box->closed();
      return 0;
    }
    case WM_ACTIVATE:
      // Made active while a modal box of its own is open (the tray menu's foreground, say): the
      // keys the user types next belong to the box, once this activation is over.
      if (LOWORD(wParam) != WA_INACTIVE && !IsWindowEnabled(hwnd_))
        PostMessageW(hwnd_, kActivateModalBox, 0, 0);
      if (restoreFocus(hwnd_, wParam, focus_)) return 0;
      break;
    case kActivateModalBox:
      if (!IsWindowEnabled(hwnd_) && GetForegroundWindow() == hwnd_)
        platform_.activateWindow(reinterpret_cast<intptr_t>(hwnd_));
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
      const auto dc = reinterpret_cast<HDC>(wParam);
      SetBkColor(dc, skin_.bodyColour());
      SetTextColor(dc, skin_.textColour());
      return reinterpret_cast<LRESULT>(skin_.bodyBrush());
    }
    case WM_DRAWITEM:
      controls_.draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_SETCURSOR:
      if (controls_.wantsHand(reinterpret_cast<HWND>(wParam))) {
        if (!hand_) hand_ = loadCursor(platform_.instance(), IDC_HOTSPOT, dpi_);
        SetCursor(hand_ ? hand_.get() : LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      core_.Form_MouseDown(message == WM_LBUTTONDOWN   ? 1
                           : message == WM_RBUTTONDOWN ? 2
                                                       : 4,
                           0, 0, 0);
      return 0;
    case WM_COMMAND:
      if (lParam)
        controls_.command(LOWORD(wParam), HIWORD(wParam));
      else if (LOWORD(wParam) == IDCANCEL)  // Esc, from the keyboard's navigation
        core_.Form_KeyDown(win::kVbKeyEscape, 0);
      else if (LOWORD(wParam) == IDOK)  // Enter
        controls_.pressFocused();
      return 0;
    case WM_NOTIFY:
      return controls_.notify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_TIMER:
      if (wParam == kPostedTimer) platform_.runPosted();
      if (wParam < 1 || wParam > timers_.size()) return 0;
      timers_[wParam - 1].ticked = GetTickCount64();
      timers_[wParam - 1].timer->fire();
      platform_.timerTicked();
      return 0;
    case WM_SIZE:
      onSize(wParam);
      return 0;
    case WM_MOVE:
      onMove();
      return 0;
    case WM_DPICHANGED: {
      const Answering answer(platform_);
      const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
      const UINT dpi = HIWORD(wParam);
      WINDOWPLACEMENT placement{};
      placement.length = sizeof placement;
      if (IsIconic(hwnd_) && GetWindowPlacement(hwnd_, &placement)) {
        // Put away, the window keeps the size it comes back at in its placement, which moving
        // it leaves alone: the design's size at the new density goes there.
        RECT& normal = placement.rcNormalPosition;
        normal.right = normal.left + twipsToPixels(kMainClientTwips.width, dpi);
        normal.bottom = normal.top + twipsToPixels(kMainClientTwips.height, dpi);
        placement.flags = 0;
        placement.showCmd = IsWindowVisible(hwnd_) ? SW_SHOWMINNOACTIVE : SW_HIDE;
        SetWindowPlacement(hwnd_, &placement);
      } else {
        SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top,
                     suggested.right - suggested.left, suggested.bottom - suggested.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
      }
      applyDpi(dpi);
      onMove();  // the place in twips at the new density, moved or not
      return 0;
    }
    case WM_DISPLAYCHANGE:
      platform_.tray().followTaskbar();  // the taskbar's monitor may have a new density
      break;
    case WM_SETTINGCHANGE:
      platform_.tray().followTaskbar();
      if (wParam != SPI_SETHIGHCONTRAST) break;
      [[fallthrough]];
    case WM_SYSCOLORCHANGE:
      // A high-contrast or colour scheme switched on or off; common controls learn it only
      // from their parent.
      EnumChildWindows(
          hwnd_,
          [](HWND child, LPARAM) {
            SendMessageW(child, WM_SYSCOLORCHANGE, 0, 0);
            return TRUE;
          },
          0);
      renderSkin();
      break;
    case WM_CLOSE: {
      int16_t cancel = 0;
      core_.Form_Unload(cancel);  // ends the program, or refuses
      return 0;
    }
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      // The session (or the installer's close) goes ahead: answered within a moment.
      if (wParam) core_.SessionEnding();
      return 0;
    case WM_DESTROY:
      for (UINT_PTR id = 1; id <= timers_.size(); ++id) KillTimer(hwnd_, id);
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

}  // namespace tarnwick::win32
