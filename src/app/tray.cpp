#include <algorithm>
#include <utility>

#include "app/frmMain.h"
#include "base/runtime.h"

namespace tarnwick {

namespace {
constexpr uint32_t kSwpNoSizeNoMove = win::kSwpNoSize | win::kSwpNoMove;
constexpr const char* kTrayTip = "Click here to open Tarnwick Demo.";
}  // namespace

bool TrayIcon::show(const std::string& tip) {
  wanted_ = true;
  nid_.uID = 1;
  // With version 4 the shell shows the tip only when asked to; older ones ignore the ask.
  nid_.uFlags = win::kNifMessage | win::kNifIcon | win::kNifTip | win::kNifShowTip;
  nid_.szTip = tip + '\0';
  nid_.szTip.resize(64, ' ');
  nid_.uVersion = 0;
  // An add that timed out may still have put the icon there; then only a change finds it.
  shown_ =
      shell_.shellNotifyIcon(win::kNimAdd, nid_) || shell_.shellNotifyIcon(win::kNimModify, nid_);
  // Version 4 tells a keyboard's choice of the icon from the mouse's, and where the icon is; a
  // shell without it keeps reporting plain mouse messages.
  NotifyIconData versioned = nid_;
  versioned.uVersion = win::kNotifyIconVersion4;
  if (shown_ && shell_.shellNotifyIcon(win::kNimSetVersion, versioned))
    nid_.uVersion = versioned.uVersion;
  return shown_;
}

void TrayIcon::remove() {
  if (!std::exchange(wanted_, false)) return;
  shown_ = false;
  shell_.shellNotifyIcon(win::kNimDelete, nid_);
}

bool TrayIcon::held() {
  return shown_ = wanted_ && shell_.shellNotifyIcon(win::kNimModify, nid_);
}

void TrayIcon::focus() {
  shell_.shellNotifyIcon(win::kNimSetFocus, nid_);
}

void frmMain::AddToSystemTray() {
  // On the way out, never again: the icon would outlive the program.
  if (blnEnding) return;
  // Refused at logon before the shell is ready: again until it is there.
  skipOnError([&] { tmrTrayRetry.setEnabled(!nidTray.show(kTrayTip)); });
}

void frmMain::tmrTrayRetry_Timer() {
  AddToSystemTray();
}

void frmMain::RemoveFromSystemTray() {
  skipOnErrorSteps([&] { tmrTrayRetry.setEnabled(false); }, [&] { nidTray.remove(); });
}

// Explorer started again, and its new taskbar holds no icon: the one wanted goes back. Refused,
// it is tried again, and a window put away comes back meanwhile, not in front: the icon was its
// only way back.
void frmMain::TaskbarCreated() {
  if (blnEnding || !nidTray.wanted()) return;
  AddToSystemTray();
  if (!nidTray.shown()) BringBack();
}

void frmMain::nidTray_Callback(uint32_t Message, int X, int Y) {
  // On the way out nothing opens: the exit would wait in the menu, or show the window again.
  if (blnEnding) return;
  const uint32_t previous = std::exchange(lngLastTrayMessage, Message);
  skipOnError([&] {
    if (Message == win::kWmLButtonUp) {
      RestoreWindow();
    } else if (nidTray.version() < win::kNotifyIconVersion4) {
      // Keyboard and mouse alike arrive as the right button's release.
      if (Message == win::kWmRButtonUp) ShowPopupMenu(std::nullopt, false);
    } else if (Message == win::kWmContextMenu || Message == win::kNinKeySelect) {
      // After a right click, the menu at the mouse; from the keyboard (Enter, Space, the menu
      // key), at the icon.
      ShowPopupMenu(ScreenPoint{X, Y}, previous != win::kWmRButtonUp);
    }
  });
}

void frmMain::ShowPopupMenu(std::optional<ScreenPoint> at, bool fromKeyboard) {
  // A second request while it is open (Enter reports the icon's choice twice) opens no second.
  if (blnMenuOpen) return;
  std::vector<std::string> captions;
  for (const forms::MenuItem& item : mnuPopup) captions.push_back(item.caption);
  blnMenuOpen = true;
  int chosen = -1;
  skipOnError([&] { chosen = platform_.popupMenu(form.hWnd, captions, at); });
  blnMenuOpen = false;
  if (chosen >= 0 && chosen < static_cast<int>(mnuPopup.size()) && mnuPopup[chosen].Click)
    mnuPopup[chosen].Click();
  // Dismissed from the keyboard: the keyboard goes back to the notification area.
  else if (fromKeyboard)
    nidTray.focus();
}

void frmMain::Form_Resize() {
  ScreenRect screen;
  skipOnErrorSteps(
      [&] {
        dblSavedLeft = form.left();
        dblSavedTop = form.top();
      },
      // Kept on the screen; a monitor left of or above the main one lies below zero.
      [&] { screen = platform_.virtualScreen(); },
      [&] { dblSavedLeft = std::max(dblSavedLeft, screen.left); },
      [&] { dblSavedTop = std::max(dblSavedTop, screen.top); },
      [&] {
        if (form.windowState() != forms::WindowState::Minimized || blnEnding) return;
        // Into the tray: only the icon remains. The shell is asked whether it holds the icon,
        // since it may have ended since, or never had it; without one the window would be lost
        // for good, so it stays where it is and the icon is tried again.
        bool inTray = false;
        skipOnError([&] { inTray = nidTray.held(); });
        if (!inTray) skipOnError([&] { tmrTrayRetry.setEnabled(true); });
        skipOnErrorSteps(
            [&] {
              if (inTray)
                form.setVisible(false);
              else
                form.setWindowState(forms::WindowState::Normal);
            },
            [&] { SaveSettingsToFile(strPath, strFileName, lstSettings); },
            [&] { platform_.doEvents(); });
      });
}

// Back where it was, shown, whatever came while it was put away; not yet in front.
void frmMain::BringBack() {
  if (form.windowState() == forms::WindowState::Normal && form.visible()) return;
  skipOnErrorSteps([&] { form.setWindowState(forms::WindowState::Normal); },
                   [&] { form.setVisible(true); }, [&] { form.move(dblSavedLeft, dblSavedTop); },
                   [&] { platform_.doEvents(); });
}

void frmMain::RestoreWindow() {
  if (blnEnding) return;
  skipOnErrorSteps(
      [&] { BringBack(); },
      // Above all others for a moment, then back among them.
      [&] { platform_.setWindowPos(form.hWnd, win::kHwndTopmost, 0, 0, 0, 0, kSwpNoSizeNoMove); },
      [&] { platform_.setWindowPos(form.hWnd, win::kHwndNoTopmost, 0, 0, 0, 0, kSwpNoSizeNoMove); },
      // Last, since raising activates the window itself: while a modal box of its own is open,
      // the keyboard must go to that box.
      [&] { platform_.activateWindow(form.hWnd); });
}

// The real window as the form says: shown where it was, or hidden, never by ShowWindow, which
// the first time would put in the show state whoever started the program asked for (minimised
// at logon, maximised by a shortcut). Minimised, it waits for Form_Resize to put it away or back.
void frmMain::ShowForm() {
  constexpr uint32_t kQuiet = win::kSwpNoSize | win::kSwpNoZOrder | win::kSwpNoActivate;
  const OsHandle window = form.hWnd;
  if (!form.visible()) {
    platform_.setWindowPos(window, 0, 0, 0, 0, 0, kQuiet | win::kSwpNoMove | win::kSwpHideWindow);
    return;
  }
  if (form.windowState() == forms::WindowState::Minimized) return;
  if (platform_.isIconic(window)) platform_.setShowCommand(window, win::kSwShowNoActivate);
  // Moved, then shown: a call that shows a window is documented to neither move nor size it.
  const unsigned dpi = platform_.windowDpi(window);
  platform_.setWindowPos(window, 0, positionToPixels(form.left(), dpi),
                         positionToPixels(form.top(), dpi), 0, 0, kQuiet);
  platform_.setWindowPos(window, 0, 0, 0, 0, 0, kQuiet | win::kSwpNoMove | win::kSwpShowWindow);
}

void frmMain::ShowRequested() {
  if (blnEnding) return;
  const Answering answer(platform_);
  mnuPopupOpen_Click();
}

void frmMain::mnuPopupOpen_Click() {
  RestoreWindow();
  platform_.doEvents();
}

void frmMain::mnuPopupExit_Click() {
  UnloadMe();
}

}  // namespace tarnwick
