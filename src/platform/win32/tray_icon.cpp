#include "platform/win32/tray_icon.h"

#include <memory>
#include <utility>

#include "../../../res/resource.h"
#include "platform/win32/dpi.h"
#include "platform/win32/text.h"

namespace tarnwick::win32 {

TrayIcon::~TrayIcon() {
  if (shown_) Shell_NotifyIconW(NIM_DELETE, &nid_);
}

bool TrayIcon::notify(uint32_t message, const NotifyIconData& data) {
  // A new taskbar (Explorer restarted) may sit on a monitor of another density.
  if (!dpi_ || message == NIM_ADD) followTaskbar();
  nid_.cbSize = sizeof nid_;
  nid_.hWnd = reinterpret_cast<HWND>(data.hWnd);
  nid_.uID = data.uID;
  nid_.uFlags = data.uFlags;
  nid_.uCallbackMessage = data.uCallbackMessage;
  nid_.hIcon = icon_.get();
  nid_.uVersion = data.uVersion;
  // The tip ends at its zero character; the padding after it is not shown.
  lstrcpynW(nid_.szTip, widen(data.szTip.substr(0, data.szTip.find('\0'))).c_str(),
            static_cast<int>(std::size(nid_.szTip)));
  const bool done = message == NIM_DELETE ? remove() : Shell_NotifyIconW(message, &nid_);
  if (done) shown_ = message != NIM_DELETE;
  return done;
}

// The icon goes on the way out, when nothing should hold the program back: a shell that takes
// its time (one not responding; Wine's hiding its own tray window first) gets the request, and
// the program goes on after a moment without its answer.
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
  DWORD removed = TRUE;
  if (WaitForSingleObject(thread.get(), kRemoveWaitMs) == WAIT_OBJECT_0)
    GetExitCodeThread(thread.get(), &removed);
  return removed;
}

void TrayIcon::followTaskbar() {
  setDpi(dpiOf(FindWindowW(L"Shell_TrayWnd", nullptr)));  // no taskbar yet: the system's
}

void TrayIcon::setDpi(UINT dpi) {
  if (dpi == dpi_) return;
  dpi_ = dpi;
  Icon icon = loadIcon(instance_, IDI_TARNWICK, metricFor(SM_CXSMICON, dpi));
  if (!icon) return;
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
