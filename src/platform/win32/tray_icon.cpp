#include "platform/win32/tray_icon.h"

#include <utility>

#include "../../../res/resource.h"
#include "platform/win32/dpi.h"
#include "platform/win32/text.h"

namespace tarnwick::win32 {

TrayIcon::~TrayIcon() {
  if (shown_) Shell_NotifyIconW(NIM_DELETE, &nid_);
}

bool TrayIcon::notify(uint32_t message, const NotifyIconData& data) {
  if (!dpi_) followTaskbar();
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
  const bool done = Shell_NotifyIconW(message, &nid_);
  if (done) shown_ = message != NIM_DELETE;
  return done;
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
