#include <algorithm>
#include <utility>

#include "app/frmMain.h"
#include "base/runtime.h"

namespace tarnwick {

namespace {
constexpr uint32_t kSwpNoSizeNoMove = win::kSwpNoSize | win::kSwpNoMove;
}  // namespace

void frmMain::AddToSystemTray() {
  // On the way out, never again: the icon would outlive the program.
  if (blnEnding) return;
  bool inTray = false;
  skipOnErrorSteps(
      [&] {
        nidTray.hWnd = form.hWnd;
        nidTray.uID = 1;
        // With version 4 the shell shows the tip only when asked to; older ones ignore the ask.
        nidTray.uFlags = win::kNifMessage | win::kNifIcon | win::kNifTip | win::kNifShowTip;
        // A private message: a plain mouse move over the window can never look like a click
        // on the icon.
        nidTray.uCallbackMessage = win::kTrayCallbackMessage;
        nidTray.szTip = std::string("Click here to open Tarnwick Demo.") + '\0';
        nidTray.szTip.resize(64, ' ');
      },
      [&] {
        // An add that timed out may still have put the icon there; then only a change finds it.
        inTray = platform_.shellNotifyIcon(win::kNimAdd, nidTray) ||
                 platform_.shellNotifyIcon(win::kNimModify, nidTray);
        // Refused at logon before the shell is ready: again until it is there.
        tmrTrayRetry.setEnabled(!inTray);
      },
      [&] {
        // Version 4 tells a keyboard's choice of the icon from the mouse's, and where the icon
        // is; a shell without it keeps reporting plain mouse messages.
        NotifyIconData versioned = nidTray;
        versioned.uVersion = win::kNotifyIconVersion4;
        nidTray.uVersion = inTray && platform_.shellNotifyIcon(win::kNimSetVersion, versioned)
                               ? win::kNotifyIconVersion4
                               : 0;
      });
}

void frmMain::tmrTrayRetry_Timer() {
  AddToSystemTray();
}

void frmMain::RemoveFromSystemTray() {
  skipOnErrorSteps([&] { tmrTrayRetry.setEnabled(false); },
                   [&] { platform_.shellNotifyIcon(win::kNimDelete, nidTray); });
}

void frmMain::nidTray_Callback(uint32_t Message, int X, int Y) {
  const uint32_t previous = std::exchange(lngLastTrayMessage, Message);
  skipOnError([&] {
    if (Message == win::kWmLButtonUp) {
      RestoreWindow();
    } else if (nidTray.uVersion < win::kNotifyIconVersion4) {
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
    platform_.shellNotifyIcon(win::kNimSetFocus, nidTray);
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
        if (form.windowState() != forms::WindowState::Minimized) return;
        // Into the tray: only the icon remains. The shell is asked whether it holds the icon,
        // since it may have ended since, or never had it; without one the window would be lost
        // for good, so it stays where it is and the icon is tried again.
        bool inTray = false;
        skipOnError([&] { inTray = platform_.shellNotifyIcon(win::kNimModify, nidTray); });
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

void frmMain::RestoreWindow() {
  skipOnErrorSteps(
      [&] {
        if (form.windowState() == forms::WindowState::Normal) return;
        skipOnErrorSteps([&] { form.setWindowState(forms::WindowState::Normal); },
                         [&] { form.setVisible(true); },
                         [&] { form.move(dblSavedLeft, dblSavedTop); },
                         [&] { platform_.doEvents(); });
      },
      // Above all others for a moment, then back among them.
      [&] { platform_.setWindowPos(form.hWnd, win::kHwndTopmost, 0, 0, 0, 0, kSwpNoSizeNoMove); },
      [&] { platform_.setWindowPos(form.hWnd, win::kHwndNoTopmost, 0, 0, 0, 0, kSwpNoSizeNoMove); },
      // Last, since raising activates the window itself: while a modal box of its own is open,
      // the keyboard must go to that box.
      [&] { platform_.activateWindow(form.hWnd); });
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
