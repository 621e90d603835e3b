// A scriptable stand-in for the operating system: it records calls and serves the results the
// test sets, and its message pump runs scripted events so re-entrancy can be exercised.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <vector>
#include <string>

#include "platform/platform.h"

namespace tarnwick {

class FakePlatform final : public Platform {
 public:
  // Memory
  MemoryStatus memory;
  int memoryCalls = 0;
  MemoryStatus globalMemoryStatus() override {
    ++memoryCalls;
    if (onMemoryStatus) onMemoryStatus();
    return memory;
  }
  std::function<void()> onMemoryStatus;  // runs before each answer, to let memory wander

  // Blocks are real but small unless a test asks for full-size ones.
  size_t blockChars = 16;
  int claims = 0;
  std::function<bool(int claim)> claimFails;
  RamBlock claimBlock() override;

  // Processes. Handles are numbers from 1000 up; the fake checks every one is closed.
  struct Process {
    uint32_t pid;
    std::string path;
    uint32_t priorityClass = 0x20;
    bool canOpen = true;  // with the listing rights 0x610
    bool canReadModules = true;
    bool canSetPriority = true;  // with PROCESS_SET_INFORMATION alone
  };
  uint32_t platformId = 2;
  std::vector<Process> processes;
  bool snapshotFails = false;
  std::vector<uint32_t> enumSizes;        // cb of each EnumProcesses call
  std::vector<std::string> processCalls;  // "open 12", "set 12 16384", "boost 12", ...
  std::map<OsHandle, uint32_t> openHandles;
  OsHandle foreground = 0;
  std::map<OsHandle, uint32_t> windowOwners;
  Process* process(uint32_t pid);

  uint32_t getVersionPlatformId() override { return platformId; }
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
  OsHandle getForegroundWindow() override { return foreground; }
  uint32_t getWindowThreadProcessId(OsHandle window, uint32_t* processId) override {
    *processId = windowOwners.count(window) ? windowOwners[window] : 0;
    return *processId ? 1 : 0;
  }

  // Window services.
  std::vector<std::string> windowCalls;
  bool lockWindowUpdate(OsHandle window) override {
    windowCalls.push_back("lock " + std::to_string(window));
    return true;
  }
  void setListTabStops(OsHandle listBox, const std::vector<int32_t>& stops) override;
  bool releaseCapture() override {
    windowCalls.push_back("releaseCapture");
    return true;
  }
  intptr_t sendMessage(OsHandle window, uint32_t message, uintptr_t wParam,
                       intptr_t lParam) override {
    windowCalls.push_back("send " + std::to_string(window) + " " + std::to_string(message) + " " +
                          std::to_string(wParam) + " " + std::to_string(lParam));
    return 0;
  }
  bool setWindowPos(OsHandle window, OsHandle insertAfter, int x, int y, int cx, int cy,
                    uint32_t flags) override;
  void activateWindow(OsHandle window) override {
    windowCalls.push_back("activate " + std::to_string(window));
  }
  // The menu shown last, and the item the user picks (-1: none).
  std::vector<std::string> menuShown;
  int menuChoice = -1;
  int popupMenu(OsHandle owner, const std::vector<std::string>& captions) override {
    windowCalls.push_back("popup " + std::to_string(owner));
    menuShown = captions;
    return menuChoice;
  }
  // Loads the dialog, then lets the test act on it as the user would.
  std::function<void(frmAbout&)> whileModal;
  void showModal(frmAbout& dialog, OsHandle owner) override;

  // The shell.
  std::vector<std::string> trayCalls;  // "add tip" / "delete"
  NotifyIconData trayIcon;
  bool shellNotifyIcon(uint32_t message, const NotifyIconData& data) override;
  std::vector<std::string> shellCalls;
  bool shellExecute(OsHandle parent, const std::string& verb, const std::string& file,
                    const std::string& parameters, const std::string& directory,
                    int show) override {
    shellCalls.push_back("execute " + std::to_string(parent) + " " + verb + " " + file + " '" +
                         parameters + "' '" + directory + "' " + std::to_string(show));
    return true;
  }
  // Programs start when a file of that name exists.
  bool startProgram(const std::string& path) override {
    shellCalls.push_back("start " + path);
    return files.count(path) > 0;
  }
  bool otherInstance = false;
  bool anotherInstanceRunning() override { return otherInstance; }
  bool ended = false;
  void endProgram() override { ended = true; }
  Version version{1, 0, 0};
  Version programVersion() override { return version; }

  // The registry: key path to value name to (type, data).
  std::map<std::string, std::map<std::string, std::pair<uint32_t, std::string>>> registry;
  std::vector<std::string> registryCalls;
  std::map<OsHandle, std::string> openKeys;
  OsHandle regOpenKeyEx(OsHandle root, const std::string& subKey, uint32_t access) override;
  bool regQueryValueEx(OsHandle key, const std::string& valueName, uint32_t* type,
                       std::string* data, uint32_t* size) override;
  bool regCloseKey(OsHandle key) override {
    registryCalls.push_back("close " + std::to_string(key));
    return openKeys.erase(key) > 0;
  }

  // Message boxes shown, as "title|text|icon"; the fake box returns at once.
  std::vector<std::string> messageBoxes;
  std::function<void()> onMessageBox;  // runs while the box is up
  void messageBox(const std::string& text, const std::string& title, Icon icon) override {
    messageBoxes.push_back(title + "|" + text + "|" + std::to_string(icon));
    if (onMessageBox) onMessageBox();
  }

  // Time of day
  TimeOfDay time;
  TimeOfDay localTime() override { return time; }

  // Message pump: each call runs the events queued before it, in order, then onPump.
  int pumps = 0;
  std::deque<std::function<void()>> pending;
  std::function<void()> onPump;
  void post(std::function<void()> event) { pending.push_back(std::move(event)); }
  void doEvents() override;

  // Files: a map of path to content and attributes, with Windows' refusals (a read-only file
  // cannot be overwritten, replaced or deleted; a hidden or system one cannot be overwritten).
  struct File {
    std::string bytes;
    uint32_t attributes = kNormal;
  };
  static constexpr uint32_t kReadOnly = 0x1, kHidden = 0x2, kSystem = 0x4;
  std::string folder = "C:\\Program Files\\Tarnwick";
  std::map<std::string, File> files;
  // Return true to make that call fail; `op` is the function's name.
  std::function<bool(const std::string& op, const std::string& path)> failing;
  std::vector<std::string> fileCalls;  // "op path", in order

  std::string exeFolder() override { return folder; }
  bool findOrdinaryFile(const std::string& path) override;
  std::optional<uint32_t> fileAttributes(const std::string& path) override;
  bool setFileAttributes(const std::string& path, uint32_t attributes) override;
  bool deleteFile(const std::string& path) override;
  bool writeNewFile(const std::string& path, const std::string& bytes, bool mustBeNew) override;
  std::optional<std::string> readWholeFile(const std::string& path) override;
  bool moveFile(const std::string& from, const std::string& to, bool replace) override;
  // The fake's code page maps bytes to themselves.
  std::string ansiToUtf8(const std::string& ansi) override { return ansi; }
  std::string utf8ToAnsi(const std::string& utf8) override { return utf8; }

 private:
  bool fails(const std::string& op, const std::string& path);
  OsHandle nextHandle_ = 1000;
  std::map<OsHandle, size_t> snapshots_;  // handle to the next process to report
};

}  // namespace tarnwick
