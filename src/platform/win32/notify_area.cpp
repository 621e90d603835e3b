#include "platform/win32/notify_area.h"

#include <memory>
#include <utility>

#include "../../../res/resource.h"
#include "platform/win32/dpi.h"
#include "platform/win32/messages.h"
#include "platform/win32/system_library.h"
#include "platform/win32/text.h"
#include "platform/win32/win32_platform.h"

namespace tarnwick::win32 {

namespace {

// The shell's library, loaded when the icon first needs it rather than at every start.
using NotifyCall = BOOL(WINAPI*)(DWORD, PNOTIFYICONDATAW);
NotifyCall shellNotifyIcon() {
  static const auto call = findCall<NotifyCall>(L"shell32.dll", "Shell_NotifyIconW");
  return call;
}
BOOL notifyIcon(DWORD message, NOTIFYICONDATAW* nid) {
  return shellNotifyIcon() && shellNotifyIcon()(message, nid);
}

// A removal, for a thread of its own.
struct Removal {
  NOTIFYICONDATAW nid;
  NotifyCall call;
};

}  // namespace

bool NotifyArea::notify(uint32_t message, const NotifyIconData& data) {
  if (!dpi_ || message == NIM_ADD) followTaskbar();  // a new taskbar may sit elsewhere
  NOTIFYICONDATAW nid{};
  nid.cbSize = sizeof nid;
  nid.hWnd = window_;
  nid.uID = id_ = data.uID;
  nid.uFlags = data.uFlags;
  nid.uCallbackMessage = kTrayCallbackMessage;
  nid.hIcon = icon_.get();
  nid.uVersion = data.uVersion;
  // The tip ends at its zero character; the padding after it is not shown.
  lstrcpynW(nid.szTip, widen(data.szTip.substr(0, data.szTip.find('\0'))).c_str(),
            static_cast<int>(std::size(nid.szTip)));
  return message == NIM_DELETE ? remove(nid) : notifyIcon(message, &nid) != FALSE;
}

// The icon goes on the way out, when nothing should hold the program back: a shell that takes
// its time (one not responding; Wine's hiding its own tray window first) gets the request on a
// thread of its own, and the program goes on after a moment without its answer. Meanwhile this
// thread answers what it is sent, as a thread with windows must.
bool NotifyArea::remove(const NOTIFYICONDATAW& nid) {
  if (!shellNotifyIcon()) return false;
  auto* request = new Removal{nid, shellNotifyIcon()};  // the thread's, once it runs
  const Handle thread(CreateThread(
      nullptr, 0,
      [](void* data) -> DWORD {
        const std::unique_ptr<Removal> owned(static_cast<Removal*>(data));
        return owned->call(NIM_DELETE, &owned->nid);
      },
      request, 0, nullptr));
  if (!thread) {
    const std::unique_ptr<Removal> unsent(request);
    return notifyIcon(NIM_DELETE, &unsent->nid);
  }
  DWORD removed = TRUE;  // asked; the shell answers in its own time
  if (waitServingSent(thread.get(), kRemoveWaitMs)) GetExitCodeThread(thread.get(), &removed);
  return removed;
}

void NotifyArea::followTaskbar() {
  const UINT dpi = dpiOf(FindWindowW(L"Shell_TrayWnd", nullptr));  // no taskbar yet: the system's
  if (dpi == dpi_) return;
  Icon icon = loadIcon(instance_, IDI_TARNWICK, metricFor(SM_CXSMICON, dpi));
  if (!icon) return;
  dpi_ = dpi;
  // The old one goes only at the end, once the shell has the new one; where the shell holds no
  // icon of ours, the change is refused and the next add takes the new one.
  const Icon old = std::exchange(icon_, std::move(icon));
  if (!id_) return;
  NOTIFYICONDATAW change{};
  change.cbSize = sizeof change;
  change.hWnd = window_;
  change.uID = id_;
  change.uFlags = NIF_ICON;
  change.hIcon = icon_.get();
  notifyIcon(NIM_MODIFY, &change);
}

}  // namespace tarnwick::win32
