// The operating-system services of the core, on the real Win32 API.
#pragma once

#include <windows.h>

#include "platform/platform.h"

namespace tarnwick::win32 {

class Win32Platform final : public Platform {
 public:
  MemoryStatus globalMemoryStatus() override;
  RamBlock claimBlock() override;
  TimeOfDay localTime() override;
  void doEvents() override;

  std::string exeFolder() override;
  bool findOrdinaryFile(const std::string& path) override;
  std::optional<uint32_t> fileAttributes(const std::string& path) override;
  bool setFileAttributes(const std::string& path, uint32_t attributes) override;
  bool deleteFile(const std::string& path) override;
  bool writeNewFile(const std::string& path, const std::string& bytes, bool mustBeNew) override;
  std::optional<std::string> readWholeFile(const std::string& path) override;
  bool moveFile(const std::string& from, const std::string& to, bool replace) override;
  std::string ansiToUtf8(const std::string& ansi) override;
  std::string utf8ToAnsi(const std::string& utf8) override;

  void messageBox(const std::string& text, const std::string& title, Icon icon) override;

  // The window whose keyboard navigation the pump handles (Tab between controls).
  void setDialogWindow(HWND window) { dialog_ = window; }
  // The program's main loop; returns the exit code of WM_QUIT.
  int runMessageLoop();

 private:
  void dispatch(MSG& msg);
  HWND dialog_ = nullptr;
};

}  // namespace tarnwick::win32
