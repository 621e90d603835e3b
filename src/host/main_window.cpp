#include "host/main_window.h"

#include <commctrl.h>

#include <memory>

#include "../../res/resource.h"
#include "about/frmAbout.h"
#include "platform/win32/text.h"

namespace tarnwick::win32 {

bool MainWindow::create() {
  const HINSTANCE instance = platform_.instance();
  registerWindowClass(instance, kMainClass, windowProc, CS_DROPSHADOW);
  // No border, no caption and no taskbar button: the skin is the window's only frame. Its text
  // shows nowhere, but names it to a screen reader.
  title_ = widen(kAppTitle);
  CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT, kMainClass, title_.c_str(),
                  WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 0, 0, nullptr,
                  nullptr, instance, this);
  if (!hwnd_) return false;
  platform_.setMainWindow(hwnd_);
  core_.form.hWnd = reinterpret_cast<intptr_t>(hwnd_);
  core_.form.view = [this] { onView(); };
  dpi_ = dpiOf(hwnd_);
  SetWindowPos(hwnd_, nullptr, 0, 0, twipsToPixels(kMainClientTwips.width, dpi_),
               twipsToPixels(kMainClientTwips.height, dpi_),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  return true;
}

void MainWindow::onView() {
  const bool showing =
      core_.form.visible() && core_.form.windowState() == forms::WindowState::Normal;
  if (showing && !controls_.made()) makeControls();
  core_.ShowForm();
  if (showing) controls_.show();  // the first time: with the window drawn at once
}

void MainWindow::makeControls() {
  // Only now: a start into the tray that is never opened pays for none of it.
  INITCOMMONCONTROLSEX classes{sizeof classes,
                               ICC_STANDARD_CLASSES | ICC_UPDOWN_CLASS | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&classes);
  version_ = widen(versionText(platform_.programVersion()));
  layout_ = core_.layout();
  controls_.drawHotSpot = [this](const DRAWITEMSTRUCT& item) { drawHotSpot(item); };
  controls_.create(hwnd_, platform_.instance(), platform_, layout_, dpi_, fonts_);
  loadIcons();
  renderSkin();
  controls_.bind();
  // Focus marks appear once the keyboard is used, as everywhere in Windows.
  SendMessageW(hwnd_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_INITIALIZE, UISF_HIDEFOCUS | UISF_HIDEACCEL),
               0);
}

// Hot spots are transparent: they show the skin that lies under them, and the keyboard's focus
// once the user works with the keyboard.
void MainWindow::drawHotSpot(const DRAWITEMSTRUCT& item) {
  POINT origin{0, 0};
  MapWindowPoints(item.hwndItem, hwnd_, &origin, 1);
  skin_.paint(item.hDC, item.rcItem, {origin.x + item.rcItem.left, origin.y + item.rcItem.top});
  if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT))
    skin_.drawFocus(item.hDC, item.rcItem, item.CtlID == kIdOptimizeNow, dpi_);
}

void MainWindow::applyDpi(UINT dpi) {
  dpi_ = dpi;
  if (!controls_.made()) return;  // made at this density when first shown
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

void MainWindow::onPaint() {
  const Painting painting(hwnd_);
  skin_.paint(painting.dc(), painting.area(), {painting.area().left, painting.area().top});
}

LRESULT MainWindow::onControlColour(HDC dc) {
  SetBkColor(dc, skin_.bodyColour());
  SetTextColor(dc, skin_.textColour());
  return reinterpret_cast<LRESULT>(skin_.bodyBrush());
}

void MainWindow::onMouseDown(UINT message) {
  core_.Form_MouseDown(message == WM_LBUTTONDOWN ? 1 : message == WM_RBUTTONDOWN ? 2 : 4, 0, 0, 0);
}

// The window's state is the core's: only a window on the screen tells it of a change, never a
// hidden one that a new density or work area resizes.
void MainWindow::onSize(WPARAM kind) {
  if (!IsWindowVisible(hwnd_) || (kind != SIZE_MINIMIZED && kind != SIZE_RESTORED)) return;
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
  const Answering answer(platform_);
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (IsIconic(hwnd_) && GetWindowPlacement(hwnd_, &placement)) {
    // Minimised, the window keeps the size it comes back at in its placement, which moving it
    // leaves alone: the design's size at the new density goes there.
    RECT& normal = placement.rcNormalPosition;
    normal.right = normal.left + twipsToPixels(kMainClientTwips.width, dpi);
    normal.bottom = normal.top + twipsToPixels(kMainClientTwips.height, dpi);
    placement.flags = 0;
    placement.showCmd = IsWindowVisible(hwnd_) ? SW_SHOWMINNOACTIVE : SW_HIDE;
    SetWindowPlacement(hwnd_, &placement);
  } else {
    // Where the system suggests, at the design's size: a suggested size scales one already
    // scaled, and its rounding would cut the skin.
    SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top,
                 twipsToPixels(kMainClientTwips.width, dpi),
                 twipsToPixels(kMainClientTwips.height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
  }
  applyDpi(dpi);
  onMove();  // the place in twips at the new density, moved or not
}

// A high-contrast or colour scheme switched on or off; common controls learn it only from their
// parent.
void MainWindow::onColoursChanged() {
  if (!controls_.made()) return;  // drawn in the colours of the day when first shown
  EnumChildWindows(
      hwnd_,
      [](HWND child, LPARAM) {
        SendMessageW(child, WM_SYSCOLORCHANGE, 0, 0);
        return TRUE;
      },
      0);
  renderSkin();
}

void MainWindow::onClose() {
  int16_t cancel = 0;
  core_.Form_Unload(cancel);  // ends the program, or refuses
}

// The session (or an installer's close) goes ahead: answered within a moment.
void MainWindow::onEndSession(WPARAM ending) {
  if (ending) core_.SessionEnding();
}

LRESULT MainWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      return onPaint(), 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return onControlColour(reinterpret_cast<HDC>(wParam));
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      return onMouseDown(message), 0;
    case WM_SIZE:
      return onSize(wParam), 0;
    case WM_MOVE:
      return onMove(), 0;
    case WM_DPICHANGED:
      return onDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam)), 0;
    case WM_SETTINGCHANGE:
      if (wParam == SPI_SETHIGHCONTRAST) onColoursChanged();
      break;
    case WM_SYSCOLORCHANGE:
      onColoursChanged();
      break;
    case WM_CLOSE:
      return onClose(), 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      return onEndSession(wParam), 0;
    default:
      break;
  }
  return handleShared(message, wParam, lParam);
}

}  // namespace tarnwick::win32
