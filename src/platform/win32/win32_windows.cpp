// Window services the core calls: drawing held off, the drag, raising, the popup menu, the
// screen's extent.
#include "forms/layout.h"
#include "platform/win32/dpi.h"
#include "platform/win32/text.h"
#include "platform/win32/win32_platform.h"

namespace tarnwick::win32 {

bool Win32Platform::setRedraw(OsHandle window, bool redraw) {
  const HWND target = as<HWND>(window);
  if (!IsWindow(target)) return false;
  SendMessageW(target, WM_SETREDRAW, redraw, 0);
  if (redraw) RedrawWindow(target, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE);
  return true;
}

bool Win32Platform::releaseCapture() {
  return ReleaseCapture();
}

intptr_t Win32Platform::sendMessage(OsHandle target, uint32_t message, uintptr_t wParam,
                                    intptr_t lParam) {
  return SendMessageW(as<HWND>(target), message, wParam, lParam);
}

bool Win32Platform::setWindowPos(OsHandle target, OsHandle insertAfter, int x, int y, int cx,
                                 int cy, uint32_t flags) {
  return SetWindowPos(as<HWND>(target), as<HWND>(insertAfter), x, y, cx, cy, flags);
}

namespace {

// The box that disables `window` while it is open: the About box, or the refusal on its own
// thread. Not every system tracks the last active popup, so the window's owned ones are looked
// through too, frontmost first.
HWND modalBoxOf(HWND window) {
  if (const HWND popup = GetLastActivePopup(window);
      popup && popup != window && IsWindowEnabled(popup))
    return popup;
  struct Search {
    HWND owner, found;
  } search{window, nullptr};
  EnumWindows(
      [](HWND candidate, LPARAM parameter) {
        auto& s = *reinterpret_cast<Search*>(parameter);
        if (GetWindow(candidate, GW_OWNER) != s.owner || !IsWindowVisible(candidate) ||
            !IsWindowEnabled(candidate))
          return TRUE;
        s.found = candidate;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool inMenu() {
  GUITHREADINFO thread{};
  thread.cbSize = sizeof thread;
  return GetGUIThreadInfo(GetCurrentThreadId(), &thread) && (thread.flags & GUI_INMENUMODE);
}

}  // namespace

// Not while a menu is up: the menu's owner must keep the foreground until it closes.
void activateModalBoxOf(HWND window) {
  if (IsWindowEnabled(window) || GetForegroundWindow() != window || inMenu()) return;
  if (const HWND box = modalBoxOf(window)) SetForegroundWindow(box);
}

// The keyboard's focus follows the activation (the window base's WM_ACTIVATE): to the control the
// user left it on, or to the first.
void Win32Platform::activateWindow(OsHandle target) {
  HWND window = as<HWND>(target);
  // Disabled, it has a modal box of its own open: the keys the user types next belong there.
  if (!IsWindowEnabled(window)) {
    if (const HWND box = modalBoxOf(window)) window = box;
  }
  SetForegroundWindow(window);
}

int Win32Platform::popupMenu(OsHandle owner, const std::vector<std::string>& captions,
                             std::optional<ScreenPoint> at) {
  const Menu menu(CreatePopupMenu());
  if (!menu) return -1;
  for (size_t i = 0; i < captions.size(); ++i) {
    if (captions[i] == "-")
      AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    else
      AppendMenuW(menu.get(), MF_STRING, i + 1, widen(captions[i]).c_str());
  }
  POINT where{};
  if (at)
    where = {at->x, at->y};
  else
    GetCursorPos(&where);
  // The owner receives all the menu's messages inside this thread's menu loop, so it is a window
  // of this thread, and one that can take the foreground, without which the menu would not close
  // when the user clicks elsewhere: the window; or the modal box that holds it disabled, if that
  // is of this thread (the About box); or else (the refusal box runs on a thread of its own) the
  // platform's own window, hidden, which nothing disables.
  const HWND window = as<HWND>(owner);
  HWND menuOwner = window;
  if (!IsWindowEnabled(window)) {
    const HWND box = modalBoxOf(window);
    if (box && GetWindowThreadProcessId(box, nullptr) == GetCurrentThreadId())
      menuOwner = box;
    else if (events_)
      menuOwner = events_;
  }
  SetForegroundWindow(menuOwner);
  const int chosen = TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_NONOTIFY, where.x, where.y, 0,
                                    menuOwner, nullptr);
  PostMessageW(menuOwner, WM_NULL, 0, 0);
  // A box of another thread that holds the window disabled gets the keyboard back.
  if (menuOwner == events_) activateWindow(owner);
  return chosen - 1;
}

// SetWindowPlacement, where ShowWindow would the first time put in the show state whoever
// started the program asked for.
bool Win32Platform::setShowCommand(OsHandle target, uint32_t showCommand) {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (!GetWindowPlacement(as<HWND>(target), &placement)) return false;
  placement.flags = 0;
  placement.showCmd = showCommand;
  return SetWindowPlacement(as<HWND>(target), &placement);
}

unsigned Win32Platform::windowDpi(OsHandle target) {
  return dpiOf(as<HWND>(target));
}

ScreenRect Win32Platform::virtualScreen() {
  const UINT dpi = dpiOf(main_);
  const int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  return {positionToTwips(left, dpi), positionToTwips(top, dpi),
          positionToTwips(left + GetSystemMetrics(SM_CXVIRTUALSCREEN), dpi),
          positionToTwips(top + GetSystemMetrics(SM_CYVIRTUALSCREEN), dpi)};
}

}  // namespace tarnwick::win32
