#include <algorithm>

#include "app/frmMain.h"
#include "base/runtime.h"

namespace tarnwick {

namespace {
constexpr uint32_t kWmLButtonUp = 0x202, kWmRButtonUp = 0x205;
constexpr uint32_t kNifMessage = 1, kNifIcon = 2, kNifTip = 4;
constexpr OsHandle kHwndTopmost = -1, kHwndNoTopmost = -2;
constexpr uint32_t kSwpNoSizeNoMove = 3;
}  // namespace

void frmMain::AddToSystemTray() {
  skipOnErrorSteps(
      [&] {
        nidTray.hWnd = form.hWnd;
        nidTray.uID = 1;
        nidTray.uFlags = kNifMessage | kNifIcon | kNifTip;
        // A private message: a plain mouse move over the window can never look like a click
        // on the icon.
        nidTray.uCallbackMessage = kTrayCallbackMessage;
        nidTray.hIcon = form.hIcon;
        nidTray.szTip = std::string("Click here to open Tarnwick Demo.") + '\0';
        nidTray.szTip.resize(64, ' ');
      },
      [&] { platform_.shellNotifyIcon(ShellApi::kNimAdd, nidTray); });
}

void frmMain::RemoveFromSystemTray() {
  skipOnError([&] { platform_.shellNotifyIcon(ShellApi::kNimDelete, nidTray); });
}

void frmMain::nidTray_Callback(uint32_t Message) {
  skipOnError([&] {
    if (Message == kWmLButtonUp) {
      RestoreWindow();
    } else if (Message == kWmRButtonUp) {
      std::vector<std::string> captions;
      for (const forms::MenuItem& item : mnuPopup) captions.push_back(item.caption);
      const int chosen = platform_.popupMenu(form.hWnd, captions);
      if (chosen >= 0 && chosen < static_cast<int>(mnuPopup.size()) && mnuPopup[chosen].Click)
        mnuPopup[chosen].Click();
    }
  });
}

void frmMain::Form_Resize() {
  skipOnErrorSteps(
      [&] {
        dblSavedLeft = form.left();
        dblSavedTop = form.top();
      },
      [&] { dblSavedLeft = std::max(dblSavedLeft, 0.0); },
      [&] { dblSavedTop = std::max(dblSavedTop, 0.0); },
      [&] {
        if (form.windowState() != forms::WindowState::Minimized) return;
        // Into the tray: only the icon remains.
        skipOnErrorSteps([&] { form.setVisible(false); },
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
      [&] { platform_.activateWindow(form.hWnd); },
      // Above all others for a moment, then back among them.
      [&] { platform_.setWindowPos(form.hWnd, kHwndTopmost, 0, 0, 0, 0, kSwpNoSizeNoMove); },
      [&] { platform_.setWindowPos(form.hWnd, kHwndNoTopmost, 0, 0, 0, 0, kSwpNoSizeNoMove); });
}

void frmMain::mnuPopupOpen_Click() {
  RestoreWindow();
  platform_.doEvents();
}

void frmMain::mnuPopupExit_Click() {
  UnloadMe();
}

}  // namespace tarnwick
