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

bool inMenu() {
  GUITHREADINFO thread{};
  thread.cbSize = sizeof thread;
  return GetGUIThreadInfo(GetCurrentThreadId(), &thread) && (thread.flags & GUI_INMENUMODE);
}
}  // namespace

bool MainWindow::create() {
  const HINSTANCE instance = platform_.instance();
  showWindow_ = RegisterWindowMessageW(kShowWindowMessage);
  registerWindowClass(instance, kMainClass, windowProc, CS_DROPSHADOW);
  // No border, no caption and no taskbar button: the skin is the window's only frame. Its text
  // shows nowhere, but names it to a screen reader.
  title_ = widen(kAppTitle);
  CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT, kMainClass, title_.c_str(),
                  WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 0, 0, nullptr,
                  nullptr, instance, this);
  if (!hwnd_) return false;
  // Run elevated, the window would otherwise never hear Explorer's restart nor a second start.
  for (const UINT message : {platform_.tray().taskbarCreated(), showWindow_})
    ChangeWindowMessageFilterEx(hwnd_, message, MSGFLT_ALLOW, nullptr);
  platform_.setMainWindow(hwnd_);
  core_.form.hWnd = reinterpret_cast<intptr_t>(hwnd_);

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
  return true;
}

void MainWindow::applyDpi(UINT dpi) {
  dpi_ = dpi;
  controls_.applyDpi(dpi, fonts_);
  loadIcons();
  renderSkin();
}

void MainWindow::loadIcons() {
  const HINSTANCE instance = platform_.instance();
  // One: a window without caption or taskbar button shows its icon nowhere but on its skin;
  // the system makes a small one from it where it needs one, and the tray draws its own.
  Icon icon = loadIcon(instance, IDI_TARNWICK, metricFor(SM_CXICON, dpi_));
  SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon.get()));
  icon_ = std::move(icon);
  hand_.reset();  // made at this density when the mouse first comes over a hot spot
}

HCURSOR MainWindow::handCursor() {
  if (!hand_) hand_ = loadCursor(platform_.instance(), IDC_HOTSPOT, dpi_);
  return hand_ ? hand_.get() : LoadCursorW(nullptr, IDC_HAND);
}

void MainWindow::renderSkin() {
  skin_.prepare(dpi_, fonts_, layout_, title_, version_, icon_.get());
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void MainWindow::bindForm() {
  core_.form.view = [this] {
    const forms::Form& form = core_.form;
    if (!form.visible()) {
      ShowWindow(hwnd_, SW_HIDE);
      return;
    }
    const bool wantMinimized = form.windowState() == forms::WindowState::Minimized;
    if (!IsWindowVisible(hwnd_) || (IsIconic(hwnd_) != 0) != wantMinimized) {
      // Never SW_SHOW, SW_SHOWNORMAL or SW_SHOWDEFAULT: whoever started the program may have
      // asked for another show state, which Windows would put in their place; the core decides
      // what that state means (the tray), and activates the window itself.
      ShowWindow(hwnd_, wantMinimized ? SW_MINIMIZE : IsIconic(hwnd_) ? SW_RESTORE : SW_SHOWNA);
      controls_.show();  // the first time: with the window drawn at once
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
  timers_.push_back(&timer);
  const UINT_PTR id = timers_.size();
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
  RECT r;
  GetWindowRect(hwnd_, &r);
  SetWindowPos(hwnd_, nullptr, work.left + (work.right - work.left - (r.right - r.left)) / 2,
               work.top + (work.bottom - work.top - (r.bottom - r.top)) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  onMove();
  skipOnError([&] { core_.Form_Load(); });
  skipOnError([&] { core_.ShowAfterLoad(); });
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

void MainWindow::onDpiChanged(UINT dpi, const RECT& suggested) {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (IsIconic(hwnd_) && GetWindowPlacement(hwnd_, &placement)) {
    // Put away, the window keeps the size it comes back at in its placement, which moving it
    // leaves alone: the design's size at the new density goes there.
    RECT& normal = placement.rcNormalPosition;
    normal.right = normal.left + twipsToPixels(kMainClientTwips.width, dpi);
    normal.bottom = normal.top + twipsToPixels(kMainClientTwips.height, dpi);
    placement.flags = 0;
    placement.showCmd = IsWindowVisible(hwnd_) ? SW_SHOWMINNOACTIVE : SW_HIDE;
    SetWindowPlacement(hwnd_, &placement);
  } else {
    SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  applyDpi(dpi);
  onMove();  // the place in twips at the new density, moved or not
}

LRESULT MainWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  if (platform_.tray().answer(message)) return 0;  // the icon's own: a new taskbar
  if (message == showWindow_ && showWindow_) {
    core_.ShowRequested();  // a second start asked for the window
    return 0;
  }
  switch (message) {
    case win::kTrayCallbackMessage:
      // Version 4 of the icon: the event in the low word, where it happened in wParam.
      core_.nidTray_Callback(LOWORD(lParam), GET_X_LPARAM(wParam), GET_Y_LPARAM(wParam));
      return 0;
    case kAsideBoxClosed: {
      const std::unique_ptr<AsideBox> box(reinterpret_cast<AsideBox*>(lParam));
      if (box->closed) box->closed();
      return 0;
    }
    case WM_ACTIVATE:
      // Made active while a modal box of its own is open (a second start's request, say): the
      // keys the user types next belong to the box, once this activation is over.
      if (LOWORD(wParam) != WA_INACTIVE && !IsWindowEnabled(hwnd_))
        PostMessageW(hwnd_, kActivateModalBox, 0, 0);
      break;
    case kActivateModalBox:
      // Not while a menu is up: the menu's owner must keep the foreground until it closes.
      if (!IsWindowEnabled(hwnd_) && GetForegroundWindow() == hwnd_ && !inMenu())
        platform_.activateWindow(reinterpret_cast<intptr_t>(hwnd_));
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      const Painting painting(hwnd_);
      skin_.paint(painting.dc(), painting.area(), {painting.area().left, painting.area().top});
      return 0;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      const auto dc = reinterpret_cast<HDC>(wParam);
      SetBkColor(dc, skin_.bodyColour());
      SetTextColor(dc, skin_.textColour());
      return reinterpret_cast<LRESULT>(skin_.bodyBrush());
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      core_.Form_MouseDown(message == WM_LBUTTONDOWN   ? 1
                           : message == WM_RBUTTONDOWN ? 2
                                                       : 4,
                           0, 0, 0);
      return 0;
    case WM_TIMER:
      if (wParam == kPostedTimer)
        platform_.runPosted();
      else if (wParam >= 1 && wParam <= timers_.size())
        timers_[wParam - 1]->fire();
      return 0;
    case WM_SIZE:
      onSize(wParam);
      return 0;
    case WM_MOVE:
      onMove();
      return 0;
    case WM_DPICHANGED: {
      const Answering answer(platform_);
      onDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
    }
    case WM_SETTINGCHANGE:
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
    default:
      break;
  }
  return handleShared(message, wParam, lParam);
}

}  // namespace tarnwick::win32
