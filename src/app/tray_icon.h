// The notification-area icon as one object: the one record of it, whether the program wants it
// shown and whether the shell shows it. The core decides when it is wanted; a shell that refuses
// it is the core's to try again.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace tarnwick {

class TrayIcon {
 public:
  explicit TrayIcon(ShellApi& shell) : shell_(shell) {}

  // Wanted from now on, with this tip: asks the shell to show it; true when it does.
  bool show(const std::string& tip);
  // Not wanted from now on, nor shown, even while the shell takes its time to remove it.
  void remove();
  // Whether the shell holds it now: it may have ended since, or never had it.
  bool held();
  // Gives the keyboard back to the notification area.
  void focus();
  bool wanted() const { return wanted_; }
  bool shown() const { return shown_; }
  // How it reports events: 4 tells the keyboard's choice from the mouse's.
  uint32_t version() const { return nid_.uVersion; }

 private:
  ShellApi& shell_;
  NotifyIconData nid_;
  bool wanted_ = false, shown_ = false;
};

}  // namespace tarnwick
