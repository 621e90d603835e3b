// A stand-in for the operating system that keeps the state a test reads (files, processes and
// their classes, the tray icon, the clock) and serves the results a test sets; its message
// pump runs queued events, so re-entrancy can be exercised.
#pragma once

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace tarnwick {

class FakePlatform final : public Platform {
 public:
  // Memory; `onMemoryStatus` runs before each answer, to let memory wander.
  MemoryStatus memory;
  int memorySamples = 0;
  std::function<void()> onMemoryStatus;
  MemoryStatus globalMemoryStatus() override;

  // The clock; sleeping moves the tick count on.
  TimeOfDay time;
  uint64_t ticks = 1000000;
  TimeOfDay localTime() override { return time; }
  uint64_t tickCount() override { return ticks; }
  void sleep(unsigned milliseconds) override { ticks += milliseconds; }

  // The pump: each call runs the events queued before it, in order, then onPump.
  int pumps = 0;
  std::deque<std::function<void()>> pending;
  std::function<void()> onPump;
  void doEvents() override;

  // Files, with Windows' refusals: a read-only file cannot be overwritten, replaced or
  // deleted; a hidden or system one cannot be overwritten. `failing` makes a call fail: `op`
  // is the function's name.
  struct File {
    std::string bytes;
    uint32_t attributes = win::kFileAttributeNormal;
  };
  static constexpr uint32_t kReadOnly = 1, kHidden = 2, kSystem = 4;
  std::string folder = "C:\\Program Files\\Tarnwick";
  std::map<std::string, File> files;
  std::function<bool(const std::string& op, const std::string& path)> failing;
  std::string settingsPath() const { return folder + "\\Settings.qkv"; }
  std::string exeFolder() override { return folder; }
  bool findOrdinaryFile(const std::string& path) override;
  std::optional<uint32_t> fileAttributes(const std::string& path) override;
  bool setFileAttributes(const std::string& path, uint32_t attributes) override;
  bool deleteFile(const std::string& path) override;
  bool writeNewFile(const std::string& path, const std::string& bytes, bool mustBeNew) override;
  std::optional<std::string> readWholeFile(const std::string& path) override;
  bool moveFile(const std::string& from, const std::string& to, bool replace) override;

  // Text: the code page maps bytes to themselves.
  std::string separator = ".";
  std::string ansiToUtf8(const std::string& ansi) override { return ansi; }
  std::string utf8ToAnsi(const std::string& utf8) override { return utf8; }
  std::string decimalSeparator() override { return separator; }

  // Processes and windows. Handles are numbers from 1000 up; `openHandles` shows those left
  // open, `zeroHandleCalls` the calls given no handle at all.
  struct Process {
    uint32_t pid;
    std::string path;
    uint32_t priorityClass = win::kNormalPriorityClass;
    bool canQuery = true;  // the limited query right
    bool canSet = true;    // the set-information right
  };
  struct Window {
    uint32_t pid;
    std::string className;
    OsHandle parent = 0;
  };
  uint32_t platformId = 2;
  std::vector<Process> processes;
  std::map<OsHandle, Window> windows;
  OsHandle foreground = 0;
  bool snapshotFails = false;
  std::map<OsHandle, uint32_t> openHandles;
  int zeroHandleCalls = 0;
  Process* process(uint32_t pid);
  std::vector<uint32_t> classes() const;
  uint32_t getVersionPlatformId() override { return platformId; }
  OsHandle createToolhelp32Snapshot(uint32_t flags, uint32_t processId) override;
  bool process32First(OsHandle snapshot, ProcessEntry& entry) override {
    return snapshotNext_ = 0, process32Next(snapshot, entry);
  }
  bool process32Next(OsHandle snapshot, ProcessEntry& entry) override;
  bool enumProcesses(uint32_t* ids, uint32_t cb, uint32_t* needed) override;
  std::optional<std::string> queryFullProcessImageName(OsHandle process) override;
  OsHandle openProcess(uint32_t access, bool inherit, uint32_t processId) override;
  uint32_t getPriorityClass(OsHandle handle) override {
    return processOf(handle) ? processOf(handle)->priorityClass : 0;
  }
  bool setPriorityClass(OsHandle process, uint32_t priorityClass) override;
  bool closeHandle(OsHandle handle) override;
  OsHandle getForegroundWindow() override { return foreground; }
  uint32_t getWindowThreadProcessId(OsHandle window, uint32_t* processId) override;
  std::string getClassName(OsHandle window) override {
    return windows.count(window) ? windows[window].className : "";
  }
  OsHandle findChildWindow(OsHandle parent, const std::string& className) override;

  // Window services, as the user sees them: a drag under way, the window raised above all
  // others and let go again, drawing held off.
  bool dragging = false;
  OsHandle topmost = 0, raised = 0;
  std::set<OsHandle> notDrawing;
  bool redrawRefused = false;
  int strayRedraws = 0;  // drawing given back that was never taken
  std::vector<std::string> menuShown;
  int menuChoice = -1;
  std::function<void(Dialog&)> whileModal;  // the user, while a dialog is up
  ScreenRect screen{0, 0, 1920 * 15, 1080 * 15};
  bool setRedraw(OsHandle window, bool redraw) override;
  bool releaseCapture() override { return true; }
  intptr_t sendMessage(OsHandle, uint32_t message, uintptr_t wParam, intptr_t) override {
    return dragging = message == win::kWmNcLButtonDown && wParam == win::kHtCaption, 0;
  }
  bool setWindowPos(OsHandle window, OsHandle insertAfter, int x, int y, int cx, int cy,
                    uint32_t flags) override;
  void activateWindow(OsHandle) override {}
  int popupMenu(OsHandle, const std::vector<std::string>& captions) override {
    return menuShown = captions, menuChoice;
  }
  void showModal(Dialog& dialog, OsHandle) override {
    dialog.Form_Load();
    if (whileModal) whileModal(dialog);
  }
  ScreenRect virtualScreen() override { return screen; }

  // The shell. The tray holds at most our one icon; it refuses `trayRefusals` adds first.
  std::optional<NotifyIconData> trayIcon;
  int trayRefusals = 0;
  std::vector<std::string> opened, started;
  uint32_t instanceError = 0;
  bool otherInstanceAsked = false, ended = false;
  Version version{1, 0, 0};
  bool shellNotifyIcon(uint32_t message, const NotifyIconData& data) override;
  bool shellExecute(OsHandle parent, const std::string& verb, const std::string& file,
                    const std::string&, const std::string&, int show) override {
    opened.push_back(verb + " " + file + " from " + std::to_string(parent) + " shown " +
                     std::to_string(show));
    return true;
  }
  // A program starts when a file of that name exists.
  bool startProgram(const std::string& path) override {
    return files.count(path) && (started.push_back(path), true);
  }
  std::string systemFolder() override { return "C:\\Windows\\System32"; }
  std::string expandEnvironmentStrings(const std::string& text) override {
    return text.rfind("%SystemRoot%", 0) == 0 ? "C:\\Windows" + text.substr(12) : text;
  }
  uint32_t createInstanceObject() override { return instanceError; }
  void showOtherInstance() override { otherInstanceAsked = true; }
  void endProgram() override { ended = true; }
  Version programVersion() override { return version; }

  // The registry: key path to value name to (type, data).
  std::map<std::string, std::map<std::string, std::pair<uint32_t, std::string>>> registry;
  std::map<OsHandle, std::string> openKeys;
  OsHandle regOpenKeyEx(OsHandle root, const std::string& subKey, uint32_t access) override;
  bool regQueryValueEx(OsHandle key, const std::string& valueName, uint32_t* type,
                       std::string* data, uint32_t* size) override;
  bool regCloseKey(OsHandle key) override { return openKeys.erase(key) > 0; }

  // Message boxes. A modal one returns at once; one shown aside stays open until closeBoxes.
  struct Box {
    OsHandle owner;
    std::string title, text;
    uint32_t icon;
    std::function<void()> closed;
  };
  std::vector<Box> boxes;
  int openBoxes() const {
    return static_cast<int>(
        std::count_if(boxes.begin(), boxes.end(), [](auto& b) { return b.closed != nullptr; }));
  }
  void closeBoxes();
  void messageBox(OsHandle owner, const std::string& text, const std::string& title,
                  uint32_t icon) override {
    boxes.push_back({owner, title, text, icon, nullptr});
  }
  void messageBoxAside(OsHandle owner, const std::string& text, const std::string& title,
                       uint32_t icon, std::function<void()> closed) override {
    boxes.push_back({owner, title, text, icon, std::move(closed)});
  }

 private:
  File* file(const char* op, const std::string& path);  // none: not there, or failing
  Process* processOf(OsHandle handle);
  OsHandle nextHandle_ = 1000;
  size_t snapshotNext_ = 0;  // the next process a snapshot reports
};

}  // namespace tarnwick
