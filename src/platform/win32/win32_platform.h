// The operating-system services of the core, on the real Win32 API.
#pragma once

#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/scoped.h"

namespace tarnwick::win32 {

// The core's handle values as the Win32 types they are.
template <class T>
T as(OsHandle value) {
  return reinterpret_cast<T>(value);
}

// The last tab stop of a list box, in dialog units, as a window property of the list.
inline constexpr wchar_t kLastTabStopProperty[] = L"Tarnwick.LastTabStop";

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

  uint32_t getVersionPlatformId() override;
  OsHandle createToolhelp32Snapshot(uint32_t flags, uint32_t processId) override;
  bool process32First(OsHandle snapshot, ProcessEntry& entry) override;
  bool process32Next(OsHandle snapshot, ProcessEntry& entry) override;
  bool enumProcesses(uint32_t* ids, uint32_t cb, uint32_t* needed) override;
  bool enumProcessModules(OsHandle process, uintptr_t* modules, uint32_t cb,
                          uint32_t* needed) override;
  std::string getModuleFileNameEx(OsHandle process, uintptr_t module, uint32_t capacity) override;
  OsHandle openProcess(uint32_t access, bool inherit, uint32_t processId) override;
  uint32_t getPriorityClass(OsHandle process) override;
  bool setPriorityClass(OsHandle process, uint32_t priorityClass) override;
  bool closeHandle(OsHandle handle) override;
  OsHandle getForegroundWindow() override;
  uint32_t getWindowThreadProcessId(OsHandle window, uint32_t* processId) override;

  bool lockWindowUpdate(OsHandle window) override;
  void setListTabStops(OsHandle listBox, const std::vector<int32_t>& stops) override;
  bool releaseCapture() override;
  intptr_t sendMessage(OsHandle window, uint32_t message, uintptr_t wParam,
                       intptr_t lParam) override;
  bool setWindowPos(OsHandle window, OsHandle insertAfter, int x, int y, int cx, int cy,
                    uint32_t flags) override;
  void activateWindow(OsHandle window) override;
  int popupMenu(OsHandle owner, const std::vector<std::string>& captions) override;
  void showModal(frmAbout& dialog, OsHandle owner) override;

  bool shellNotifyIcon(uint32_t message, const NotifyIconData& data) override;
  bool shellExecute(OsHandle parent, const std::string& verb, const std::string& file,
                    const std::string& parameters, const std::string& directory, int show) override;
  bool startProgram(const std::string& path) override;
  bool anotherInstanceRunning() override;
  void endProgram() override;
  Version programVersion() override;

  OsHandle regOpenKeyEx(OsHandle root, const std::string& subKey, uint32_t access) override;
  bool regQueryValueEx(OsHandle key, const std::string& valueName, uint32_t* type,
                       std::string* data, uint32_t* size) override;
  bool regCloseKey(OsHandle key) override;

  // What the About box needs to build its window.
  void setResources(HINSTANCE instance, HICON icon) { instance_ = instance, icon_ = icon; }

  // The window whose keyboard navigation the pump handles (Tab between controls).
  void setDialogWindow(HWND window) { dialog_ = window; }
  // The program's main loop; returns the exit code of WM_QUIT.
  int runMessageLoop();

 private:
  void dispatch(MSG& msg);
  HWND dialog_ = nullptr;
  HINSTANCE instance_ = nullptr;
  HICON icon_ = nullptr;
  Handle instanceMutex_;
};

}  // namespace tarnwick::win32
