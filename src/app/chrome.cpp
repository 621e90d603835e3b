#include "about/frmAbout.h"
#include "app/frmMain.h"

namespace tarnwick {

void frmMain::Form_MouseDown(int16_t Button, int16_t, float, float) {
  if (Button != 1) return;
  // What a press on a real title bar would send: the system then moves the window with the
  // mouse until the button is released.
  platform_.releaseCapture();
  platform_.sendMessage(form.hWnd, win::kWmNcLButtonDown, win::kHtCaption, 0);
}

void frmMain::lblCmdClose_Click() {
  UnloadMe();
}

void frmMain::lblCmdMinimize_Click() {
  form.setWindowState(forms::WindowState::Minimized);
}

void frmMain::lblAbout_Click() {
  // On the way out nothing opens: the exit would wait for the box to be closed.
  if (blnEnding) return;
  frmAbout about(platform_);
  platform_.showModal(about, form.hWnd);
}

void frmMain::Form_KeyDown(int16_t KeyCode, int16_t Shift) {
  // Esc puts the window away as the minimise hot spot does; it never exits.
  if (KeyCode == win::kVbKeyEscape && Shift == 0) lblCmdMinimize_Click();
}

void frmMain::UnloadMe() {
  int16_t Cancel = 0;
  Form_Unload(Cancel);
}

}  // namespace tarnwick
