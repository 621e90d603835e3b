// The operating-system services of the core, on the real Win32 API.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/win32/scoped.h"
#include "platform/win32/notify_area.h"
#include "platform/win32/system_library.h"

namespace tarnwick::win32 {

// The core's handle values as the Win32 types they are.
template <class T>
T as(OsHandle value) {
  return reinterpret_cast<T>(value);
}

// A box shown aside, from its own thread back to the platform's window, which runs `closed` and
// frees it.
struct AsideBox {
  HWND owner, back;  // over which it is modal; where it is handed back
  std::wstring text, title;
  UINT icon;
  std::function<void()> closed;
};

// Handles messages until `done` holds, the program ends or WM_QUIT arrives (posted again for
// the loop below); Tab, Enter and Esc work in `dialog`. The exit code of WM_QUIT, or 0.
int runMessageLoop(HWND dialog, const std::function<bool()>& done);
// From now on every loop of runMessageLoop and every pump returns, whichever loop the quit
// reached; the program is ending.
void endProgramLoops();
bool programEnding();
// Waits for `object` (none: only the time) at most `ms`, answering meanwhile what this thread is
// sent, as a thread with windows must; whether the object was signalled.
bool waitServingSent(HANDLE object, DWORD ms);
// The window was made active while a modal box of its own holds it disabled: the box comes
// forward, so that the keys the user types next go there.
void activateModalBoxOf(HWND window);

class Win32Platform final : public Platform {
 public:
  // Makes the platform's own window (messages.h), where its timers tick and the shell's and a
  // second start's messages arrive.
  explicit Win32Platform(HINSTANCE instance);

  MemoryStatus globalMemoryStatus() override;
  TimeOfDay localTime() override;
  uint64_t tickCount() override { return GetTickCount64(); }
  void sleep(unsigned milliseconds) override { waitServingSent(nullptr, milliseconds); }
  void doEvents() override;
  void post(std::function<void()> handler) override;
  void beginAnswer() override { ++answering_; }
  void endAnswer() override { --answering_; }
  void setTimer(forms::Timer& timer) override;

  std::string exeFolder() override;
  std::string localAppDataFolder() override;
  bool folderWritable(const std::string& folder) override;
  bool createFolder(const std::string& folder) override;
  bool findOrdinaryFile(const std::string& path) override;
  std::optional<uint32_t> fileAttributes(const std::string& path) override;
  bool setFileAttributes(const std::string& path, uint32_t attributes) override;
  bool deleteFile(const std::string& path) override;
  bool deleteUnusedFile(const std::string& path) override;
  bool writeNewFile(const std::string& path, const std::string& bytes, bool mustBeNew) override;
  std::optional<std::string> readWholeFile(const std::string& path) override;
  uint32_t replaceFile(const std::string& replacement, const std::string& replaced,
                       const std::string& backup) override;
  uint32_t moveFile(const std::string& from, const std::string& to, bool replace) override;
  std::vector<FoundFile> findFiles(const std::string& folder, const std::string& prefix,
                                   const std::string& suffix) override;
  std::string ansiToUtf8(const std::string& ansi) override;
  std::string utf8ToAnsi(const std::string& utf8) override;
  std::string decimalSeparator() override;

  uint32_t getVersionPlatformId() override;
  OsHandle createToolhelp32Snapshot(uint32_t flags, uint32_t processId) override;
  bool process32First(OsHandle snapshot, ProcessEntry& entry) override;
  bool process32Next(OsHandle snapshot, ProcessEntry& entry) override;
  bool enumProcesses(uint32_t* ids, uint32_t cb, uint32_t* needed) override;
  std::optional<std::string> queryFullProcessImageName(OsHandle process) override;
  OsHandle openProcess(uint32_t access, bool inherit, uint32_t processId) override;
  uint32_t getPriorityClass(OsHandle process) override;
  bool setPriorityClass(OsHandle process, uint32_t priorityClass) override;
  bool closeHandle(OsHandle handle) override;
  OsHandle getForegroundWindow() override;
  uint32_t getWindowThreadProcessId(OsHandle window, uint32_t* processId) override;
  std::string getClassName(OsHandle window) override;
  OsHandle findChildWindow(OsHandle parent, const std::string& className) override;

  bool setRedraw(OsHandle window, bool redraw) override;
  bool releaseCapture() override;
  intptr_t sendMessage(OsHandle window, uint32_t message, uintptr_t wParam,
                       intptr_t lParam) override;
  bool setWindowPos(OsHandle window, OsHandle insertAfter, int x, int y, int cx, int cy,
                    uint32_t flags) override;
  bool isIconic(OsHandle window) override { return IsIconic(as<HWND>(window)); }
  bool setShowCommand(OsHandle window, uint32_t showCommand) override;
  unsigned windowDpi(OsHandle window) override;
  void activateWindow(OsHandle window) override;
  int popupMenu(OsHandle owner, const std::vector<std::string>& captions,
                std::optional<ScreenPoint> at) override;
  void showModal(Dialog& dialog, OsHandle owner) override;
  ScreenRect virtualScreen() override;

  bool shellNotifyIcon(uint32_t message, const NotifyIconData& data) override {
    return tray_.notify(message, data);
  }
  void listen(ShellEvents events) override { shellEvents_ = std::move(events); }
  bool shellExecute(OsHandle parent, const std::string& verb, const std::string& file,
                    const std::string& parameters, const std::string& directory, int show) override;
  bool startProgram(const std::string& path) override;
  std::string systemFolder() override;
  std::string expandEnvironmentStrings(const std::string& text) override;
  uint32_t createInstanceObject() override;
  void showOtherInstance() override;
  void endProgram() override;
  uint32_t startupShowCommand() override;
  void registerForRestart(uint32_t flags) override;
  uint32_t processId() override { return GetCurrentProcessId(); }
  Version programVersion() override;

  OsHandle regOpenKeyEx(OsHandle root, const std::string& subKey, uint32_t access) override;
  bool regQueryValueEx(OsHandle key, const std::string& valueName, uint32_t* type,
                       std::string* data, uint32_t* size) override;
  bool regCloseKey(OsHandle key) override;

  void messageBox(OsHandle owner, const std::string& text, const std::string& title,
                  uint32_t icon) override;
  void messageBoxAside(OsHandle owner, const std::string& text, const std::string& title,
                       uint32_t icon, std::function<void()> closed) override;

  HINSTANCE instance() const { return instance_; }
  // The window whose keyboard navigation the pump handles, and which positions are scaled for.
  void setMainWindow(HWND window) { main_ = window; }
  // What shows a dialog of the core as a real window: the window toolkit above the core.
  void setModalHost(std::function<void(Dialog&, HWND owner)> host) { modalHost_ = std::move(host); }

 private:
  static LRESULT CALLBACK eventsProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // The platform window's messages: its timers, the shell's, a second start's, boxes shown aside.
  bool onEvent(UINT message, WPARAM wParam, LPARAM lParam);
  // Runs the oldest posted handler: kPostedTimer ticked.
  void runPosted();

  HINSTANCE instance_;
  HWND events_ = nullptr;
  UINT taskbarCreated_ = 0, showRequest_ = 0;
  ShellEvents shellEvents_;
  std::vector<forms::Timer*> timers_;  // timer id kFirstCoreTimer + its place
  HWND main_ = nullptr;
  std::function<void(Dialog&, HWND)> modalHost_;
  // The scheduler's whole state: what waits to run, whether kPostedTimer runs for it, and how
  // many answers are under way, one inside another.
  std::deque<std::function<void()>> posted_;
  bool ticking_ = false;
  int answering_ = 0;
  NotifyArea tray_;
  Handle instanceObject_;
};

}  // namespace tarnwick::win32
