#include "platform/win32/tray_icon.h"

#include <memory>
#include <utility>

#include "../../../res/resource.h"
#include "platform/win32/dpi.h"
#include "platform/win32/text.h"

namespace tarnwick::win32 {

TrayIcon::TrayIcon(HINSTANCE instance)
    : instance_(instance), taskbarCreated_(RegisterWindowMessageW(L"TaskbarCreated")) {
  nid_.cbSize = sizeof nid_;
}

bool TrayIcon::notify(uint32_t message, const NotifyIconData& data) {
  if (message == NIM_DELETE) {
    const bool removed = remove();
    shown_ = false;
    return removed;
  }
  if (!dpi_ || message == NIM_ADD) followTaskbar();  // a new taskbar may sit elsewhere
  nid_.hWnd = reinterpret_cast<HWND>(data.hWnd);
  nid_.uID = data.uID;
  nid_.uFlags = data.uFlags;
  nid_.uCallbackMessage = data.uCallbackMessage;
  nid_.hIcon = icon_.get();
  nid_.uVersion = data.uVersion;
  // The tip ends at its zero character; the padding after it is not shown.
  lstrcpynW(nid_.szTip, widen(data.szTip.substr(0, data.szTip.find('\0'))).c_str(),
            static_cast<int>(std::size(nid_.szTip)));
  const bool done = Shell_NotifyIconW(message, &nid_);
  if (done && (message == NIM_ADD || message == NIM_MODIFY)) shown_ = true;
  return done;
}

bool TrayIcon::answer(UINT message) {
  if (message == taskbarCreated_ && taskbarCreated_) {
    // A new taskbar knows no icon: ours goes back, as it was, at that taskbar's density.
    followTaskbar();
    if (shown_ && Shell_NotifyIconW(NIM_ADD, &nid_) && nid_.uVersion)
      Shell_NotifyIconW(NIM_SETVERSION, &nid_);
    return true;
  }
  // The taskbar's monitor may have another density now.
  if (message == WM_DPICHANGED || message == WM_SETTINGCHANGE || message == WM_DISPLAYCHANGE)
    followTaskbar();
  return false;
}

// The icon goes on the way out, when nothing should hold the program back: a shell that takes
// its time (one not responding; Wine's hiding its own tray window first) gets the request on a
// thread of its own, and the program goes on after a moment without its answer. Meanwhile this
// thread answers what it is sent, as a thread with windows must.
bool TrayIcon::remove() {
  auto* request = new NOTIFYICONDATAW(nid_);  // the thread's, once it runs
  const Handle thread(CreateThread(
      nullptr, 0,
      [](void* data) -> DWORD {
        const std::unique_ptr<NOTIFYICONDATAW> nid(static_cast<NOTIFYICONDATAW*>(data));
        return Shell_NotifyIconW(NIM_DELETE, nid.get());
      },
      request, 0, nullptr));
  if (!thread) {
    const std::unique_ptr<NOTIFYICONDATAW> unsent(request);
    return Shell_NotifyIconW(NIM_DELETE, unsent.get());
  }
  const ULONGLONG until = GetTickCount64() + kRemoveWaitMs;
  HANDLE waitFor = thread.get();
  for (ULONGLONG now = GetTickCount64(); now < until; now = GetTickCount64()) {
    const DWORD woken = MsgWaitForMultipleObjects(1, &waitFor, FALSE,
                                                  static_cast<DWORD>(until - now), QS_SENDMESSAGE);
    if (woken == WAIT_OBJECT_0) {
      DWORD removed = FALSE;
      return GetExitCodeThread(thread.get(), &removed) && removed;
    }
    if (woken != WAIT_OBJECT_0 + 1) break;
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);  // serves what was sent
  }
  return true;  // asked; the shell answers in its own time
}

void TrayIcon::followTaskbar() {
  const UINT dpi = dpiOf(FindWindowW(L"Shell_TrayWnd", nullptr));  // no taskbar yet: the system's
  if (dpi == dpi_) return;
  Icon icon = loadIcon(instance_, IDI_TARNWICK, metricFor(SM_CXSMICON, dpi));
  if (!icon) return;
  dpi_ = dpi;
  // The old one goes only at the end, once the shell has the new one.
  const Icon old = std::exchange(icon_, std::move(icon));
  nid_.hIcon = icon_.get();
  if (shown_) {
    NOTIFYICONDATAW change = nid_;
    change.uFlags = NIF_ICON;
    Shell_NotifyIconW(NIM_MODIFY, &change);
  }
}

}  // namespace tarnwick::win32
