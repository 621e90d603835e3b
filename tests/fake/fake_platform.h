// A stand-in for the operating system that keeps the state a test reads (files, processes and
// their classes, the tray icon, the clock) and serves the results a test sets; its message
// pump runs queued events, so re-entrancy can be exercised.
#pragma once

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <new>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "forms/controls.h"
#include "platform/platform.h"

namespace tarnwick {

class FakePlatform final : public Platform {
 public:
  // Memory; `onMemoryStatus` runs before each answer, to let memory wander.
  MemoryStatus memory;
  int memorySamples = 0, samplesInAnswer = 0;  // a step of a run samples; an answer must not
  std::function<void()> onMemoryStatus;
  MemoryStatus globalMemoryStatus() override {
    samplesInAnswer += answering > 0 || inSend > 0;
    if (++memorySamples, onMemoryStatus) onMemoryStatus();
    return memory;
  }

  // The clock, in milliseconds; a pump and a wait move it on.
  TimeOfDay time;
  uint64_t ticks = 1000000;
  TimeOfDay localTime() override { return time; }
  uint64_t tickCount() override { return ticks; }
  // A wait serves what is sent meanwhile: it is a moment.
  void sleep(unsigned milliseconds) override { ticks += milliseconds, moment(); }

  // The pump, as Windows' own: each call serves what waits and each timer whose period has
  // passed, once, the scheduler's too, which runs one posted handler a period; inside an answer
  // or a message sent from another thread (`sent`), only what is sent. The message loop waits
  // for the next timer and runs it, until no posted handler is left. Each pump, each turn of the
  // loop and each wait is a moment, counted in `pumps`, at which a message can arrive: `arrival`
  // comes at the moment numbered `arriveAt`.
  static constexpr uint64_t kPostedPeriodMs = 10;
  int pumps = 0, answering = 0, inSend = 0, arriveAt = 0;
  std::function<void()> arrival, onPump;
  std::deque<std::function<void()>> pending;
  uint64_t postedDue = 0;
  std::map<forms::Timer*, uint64_t> timers;  // each enabled timer, and when it ticks next
  void moment() {
    if (++pumps == arriveAt && arrival) std::exchange(arrival, nullptr)();
  }
  void sent(const std::function<void()>& message) { ++inSend, message(), --inSend; }
  void doEvents() override {
    moment();
    ++ticks;
    if (!answering && !inSend && !ends) runDue();
    if (onPump) onPump();
  }
  bool postFails = false;  // the scheduler's timer could not be set
  void post(std::function<void()> handler) override {
    if (postFails) throw std::bad_alloc();
    if (pending.empty()) postedDue = ticks + kPostedPeriodMs;
    pending.push_back(std::move(handler));
  }
  void beginAnswer() override { ++answering; }
  void endAnswer() override { --answering; }
  void setTimer(forms::Timer& timer) override {
    timers.erase(&timer);
    if (timer.enabled()) timers[&timer] = ticks + timer.interval();
  }
  // Runs what is due now: the program's timers, then one posted handler.
  void runDue(const std::function<void()>& between = nullptr) {
    std::vector<forms::Timer*> due;
    for (auto& [timer, at] : timers)
      if (at <= ticks) due.push_back(timer), at = ticks + timer->interval();
    for (forms::Timer* timer : due)
      if (timers.count(timer)) timer->fire();
    if (pending.empty() || postedDue > ticks) return;
    postedDue = ticks + kPostedPeriodMs;
    auto handler = std::move(pending.front());
    pending.pop_front();
    handler();
    if (between) between();
  }
  void runLoop(const std::function<void()>& between = nullptr) {
    while (!pending.empty() && !ends) {  // the end stops the loop
      moment();                          // what arrives may run the rest itself
      if (pending.empty() || ends) break;
      uint64_t next = postedDue;
      for (const auto& [timer, at] : timers) next = std::min(next, at);
      ticks = std::max(ticks, next);
      runDue(between);
    }
  }

  // Files, with Windows' refusals: a read-only file cannot be overwritten, replaced or
  // deleted; a hidden or system one cannot be overwritten; a folder (a file with the folder's
  // attribute) is none of these; a folder is made one at a time; a file another program holds
  // open cannot be deleted as unused. `failing` makes a call fail with that error (`op` is the
  // function's name), a replace leaving the files as ReplaceFileW documents for it. `kept` stands
  // for what the system keeps with a file over a replace (its security, streams, creation time),
  // which a rename drops.
  struct File {
    File(std::string bytes = {}, uint32_t attributes = win::kFileAttributeNormal,
         std::string kept = {}, uint64_t written = 0)  // written: a tick count
        : bytes(std::move(bytes)),
          attributes(attributes),
          kept(std::move(kept)),
          written(written) {}
    std::string bytes;
    uint32_t attributes;
    std::string kept;
    uint64_t written;
  };
  std::set<std::string> held;
  static constexpr uint32_t kReadOnly = 1, kHidden = 2, kSystem = 4,
                            kFolder = win::kFileAttributeDirectory;
  std::string folder = "C:\\Program Files\\Tarnwick";
  std::map<std::string, File> files;
  std::function<uint32_t(const std::string& op, const std::string& path)> failing;
  uint32_t failure(const char* op, const std::string& path) const {
    return failing ? failing(op, path) : 0;
  }
  std::string settingsPath() const { return folder + "\\Settings.qkv"; }
  std::string settingsFile() const {
    return files.count(settingsPath()) ? files.at(settingsPath()).bytes : "<none>";
  }
  std::string exeFolder() override { return folder; }
  std::string localAppData = "C:\\Users\\Ann\\AppData\\Local";
  std::set<std::string> readOnly;  // folders that cannot be written
  // Folders that are not there, nor anything in them, unless made since.
  std::set<std::string> absentFolders, madeFolders;
  bool folderThere(const std::string& path) const {
    if (madeFolders.count(path)) return true;
    for (std::string f = path;; f = folderOf(f)) {
      if (absentFolders.count(f)) return false;
      if (f.find('\\') == std::string::npos) return true;
    }
  }
  static std::string folderOf(const std::string& path) {
    return path.substr(0, path.find_last_of('\\'));
  }
  std::string localAppDataFolder() override { return localAppData; }
  bool folderWritable(const std::string& path) override { return !readOnly.count(path); }
  bool createFolder(const std::string& path) override {
    if (folderThere(path)) return true;
    return folderThere(folderOf(path)) && madeFolders.insert(path).second;
  }
  bool findOrdinaryFile(const std::string& path) override {
    const File* f = file("findOrdinaryFile", path);
    return f && !(f->attributes & (kHidden | kSystem | kFolder));
  }
  std::optional<uint32_t> fileAttributes(const std::string& path) override {
    const File* f = file("fileAttributes", path);
    return f ? std::optional(f->attributes) : std::nullopt;
  }
  bool setFileAttributes(const std::string& path, uint32_t attributes) override {
    File* f = file("setFileAttributes", path);
    return f && (f->attributes = attributes, true);
  }
  bool deleteFile(const std::string& path) override {
    const File* f = file("deleteFile", path);
    return f && !(f->attributes & (kReadOnly | kFolder)) && files.erase(path);
  }
  bool deleteUnusedFile(const std::string& path) override {
    return !held.count(path) && deleteFile(path);
  }
  std::function<void()> onWrite;  // a file written, replaced or renamed
  bool writeNewFile(const std::string& path, const std::string& bytes, bool mustBeNew) override {
    if (onWrite) onWrite();
    const bool there = files.count(path);
    if (readOnly.count(folderOf(path)) || !folderThere(folderOf(path))) return false;
    if (failure("writeNewFile", path)) return false;
    if (there &&
        (mustBeNew || (files[path].attributes & (kReadOnly | kHidden | kSystem | kFolder))))
      return false;
    return files[path] = File{bytes, win::kFileAttributeNormal, "", ticks}, true;
  }
  std::optional<std::string> readWholeFile(const std::string& path) override {
    const File* f = file("readWholeFile", path);
    return f ? std::optional(f->bytes) : std::nullopt;
  }
  uint32_t replaceFile(const std::string& replacement, const std::string& replaced,
                       const std::string& backup) override {
    if (onWrite) onWrite();
    if (!files.count(replaced) || !files.count(replacement)) return win::kErrorFileNotFound;
    File old = files[replaced], fresh = files[replacement];
    if (old.attributes & (kReadOnly | kFolder)) return win::kErrorAccessDenied;
    const uint32_t error = failure("replaceFile", replaced);
    if (error == 0 || error == win::kErrorUnableToMoveReplacement2) {
      fresh.kept = old.kept;
      if (error) fresh.attributes = old.attributes;
      files[error ? replacement : replaced] = fresh;
      if (!error) files.erase(replacement);
      // Without a backup name, the old file under one of the system's.
      files[backup.empty() ? folderOf(replaced) + "\\~RF1a2b.TMP" : backup] = old;
      if (error) files.erase(replaced);
    } else if (error == win::kErrorUnableToMoveReplacement && backup.empty()) {
      files.erase(replaced);
    }
    return error;  // otherwise both keep their names
  }
  uint32_t moveFile(const std::string& from, const std::string& to, bool replace) override {
    if (onWrite) onWrite();
    if (const uint32_t error = failure("moveFile", from)) return error;
    if (!files.count(from)) return win::kErrorFileNotFound;
    if (files.count(to) && !replace) return win::kErrorAlreadyExists;
    if (files.count(to) && (files[to].attributes & (kReadOnly | kFolder)))
      return win::kErrorAccessDenied;
    File moved = files[from];
    files.erase(from);
    files[to] = moved;
    return 0;
  }
  std::vector<FoundFile> findFiles(const std::string& in, const std::string& prefix,
                                   const std::string& suffix) override {
    std::vector<FoundFile> found;
    for (const auto& [path, f] : files) {
      const std::string name = path.substr(path.find_last_of('\\') + 1);
      if (folderOf(path) == in && !(f.attributes & kFolder) && name.rfind(prefix, 0) == 0 &&
          name.size() >= suffix.size() && name.substr(name.size() - suffix.size()) == suffix)
        found.push_back({path, ticks - f.written});
    }
    return found;
  }

  // Text: the code page maps bytes to themselves.
  std::string separator = ".";
  std::string ansiToUtf8(const std::string& ansi) override { return ansi; }
  std::string utf8ToAnsi(const std::string& utf8) override { return utf8; }
  std::string decimalSeparator() override { return separator; }

  // Processes and windows. Handles are numbers from 1000 up; `openHandles` shows those left
  // open, `badHandleCalls` the calls given no handle at all, or a process handle not open.
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
  int badHandleCalls = 0;
  Process* process(uint32_t pid) {
    for (Process& p : processes)
      if (p.pid == pid) return &p;
    return nullptr;
  }
  std::vector<uint32_t> classes() const {
    std::vector<uint32_t> out;
    for (const Process& p : processes) out.push_back(p.priorityClass);
    return out;
  }
  uint32_t getVersionPlatformId() override { return platformId; }
  OsHandle createToolhelp32Snapshot(uint32_t, uint32_t) override {
    return snapshotFails ? 0 : (openHandles[nextHandle_] = 0, nextHandle_++);
  }
  bool process32First(OsHandle snapshot, ProcessEntry& entry) override {
    return snapshotNext_ = 0, process32Next(snapshot, entry);
  }
  bool process32Next(OsHandle snapshot, ProcessEntry& entry) override {
    if (!openHandles.count(snapshot) || entry.dwSize != 296 || snapshotNext_ >= processes.size())
      return false;
    const std::string& path = processes[snapshotNext_++].path;
    entry.szExeFile = path.substr(path.find_last_of('\\') + 1).substr(0, 259);
    return entry.szExeFile.resize(260, '\0'), true;
  }
  bool enumProcesses(uint32_t* ids, uint32_t cb, uint32_t* needed) override {
    const size_t fit = std::min<size_t>(cb / 4, processes.size());
    for (size_t i = 0; i < fit; ++i) ids[i] = processes[i].pid;
    return *needed = static_cast<uint32_t>(fit * 4), true;
  }
  std::optional<std::string> queryFullProcessImageName(OsHandle handle) override {
    const Process* p = processOf(handle);
    return p && !p->path.empty() ? std::optional(p->path) : std::nullopt;
  }
  OsHandle openProcess(uint32_t access, bool, uint32_t pid) override {
    const Process* p = process(pid);
    if (!p || !(access == win::kProcessQueryLimitedInformation ? p->canQuery
                : access == win::kProcessSetInformation        ? p->canSet
                                                               : false))
      return 0;
    return openHandles[nextHandle_] = pid, nextHandle_++;
  }
  uint32_t getPriorityClass(OsHandle handle) override {
    return processOf(handle) ? processOf(handle)->priorityClass : 0;
  }
  bool setPriorityClass(OsHandle handle, uint32_t priorityClass) override {
    Process* p = processOf(handle);
    static constexpr uint32_t kValid[] = {0x40, 0x4000, 0x20, 0x8000, 0x80, 0x100};
    return p && std::count(std::begin(kValid), std::end(kValid), priorityClass) &&
           (p->priorityClass = priorityClass, true);
  }
  bool closeHandle(OsHandle handle) override {
    return badHandleCalls += !openHandles.count(handle), openHandles.erase(handle) > 0;
  }
  OsHandle getForegroundWindow() override { return foreground; }
  uint32_t getWindowThreadProcessId(OsHandle window, uint32_t* processId) override {
    badHandleCalls += window == 0;  // a window gone: fails, and writes nothing
    return windows.count(window) ? (*processId = windows[window].pid) : 0;
  }
  std::string getClassName(OsHandle window) override {
    return windows.count(window) ? windows[window].className : "";
  }
  OsHandle findChildWindow(OsHandle parent, const std::string& className) override {
    for (const auto& [handle, window] : windows)
      if (parent && window.parent == parent && window.className == className) return handle;
    return 0;
  }

  // Window services, as the user sees them: a drag under way, the window raised above all
  // others and let go again, shown or hidden, minimised, drawing held off. A window is made
  // hidden, and shown by SetWindowPos; ShowWindow, which the first time puts in the show state
  // the program was started with, is not this interface's.
  struct Shown {
    bool visible = false, iconic = false, maximized = false;
    int x = 0, y = 0;
  };
  std::map<OsHandle, Shown> shown;
  std::function<void()> onShow;  // a hidden window comes to be shown
  bool dragging = false;
  OsHandle topmost = 0, raised = 0;
  std::set<OsHandle> notDrawing;
  bool redrawRefused = false;
  int strayRedraws = 0;  // drawing given back that was never taken
  std::vector<std::string> menuShown;
  std::optional<ScreenPoint> menuAt;
  int menuChoice = -1;
  std::function<void()> whileMenu;          // the user, while the menu is up
  std::function<void(Dialog&)> whileModal;  // the user, while a dialog is up
  ScreenRect screen{0, 0, 1920 * 15, 1080 * 15};
  unsigned dpi = 96;
  bool setRedraw(OsHandle window, bool redraw) override {
    badHandleCalls += window == 0;
    if (redraw) return strayRedraws += notDrawing.erase(window) == 0, true;
    return !redrawRefused && notDrawing.insert(window).second;
  }
  bool releaseCapture() override { return true; }
  intptr_t sendMessage(OsHandle, uint32_t message, uintptr_t wParam, intptr_t) override {
    return dragging = message == win::kWmNcLButtonDown && wParam == win::kHtCaption, 0;
  }
  bool setWindowPos(OsHandle window, OsHandle after, int x, int y, int, int,
                    uint32_t flags) override {
    Shown& w = shown[window];
    if (!(flags & win::kSwpNoZOrder) && after == win::kHwndTopmost) topmost = window;
    if (!(flags & win::kSwpNoZOrder) && after == win::kHwndNoTopmost && topmost == window)
      topmost = 0, raised = window;
    // As documented: a call that shows or hides the window neither moves nor sizes it.
    if (!(flags & (win::kSwpNoMove | win::kSwpShowWindow | win::kSwpHideWindow))) w.x = x, w.y = y;
    if ((flags & win::kSwpShowWindow) && !w.visible && onShow) onShow();
    if (flags & (win::kSwpShowWindow | win::kSwpHideWindow))
      w.visible = flags & win::kSwpShowWindow;
    return true;
  }
  bool isIconic(OsHandle window) override { return shown[window].iconic; }
  bool setShowCommand(OsHandle window, uint32_t command) override {
    Shown& w = shown[window];
    w.iconic = command == win::kSwMinimize || command == win::kSwShowMinNoActive ||
               command == win::kSwShowMinimized;
    w.maximized = command == win::kSwShowMaximized;
    w.visible = command != win::kSwHide;
    return true;
  }
  unsigned windowDpi(OsHandle) override { return dpi; }
  OsHandle activated = 0;
  void activateWindow(OsHandle window) override { activated = window; }
  int popupMenu(OsHandle, const std::vector<std::string>& captions,
                std::optional<ScreenPoint> at) override {
    menuShown = captions, menuAt = at;
    if (whileMenu) whileMenu();
    return menuChoice;
  }
  void showModal(Dialog& dialog, OsHandle) override {
    dialog.Form_Load();
    if (whileModal) whileModal(dialog);
  }
  ScreenRect virtualScreen() override { return screen; }

  // The shell, as a real one: while it runs, its tray holds at most our one icon, refusing
  // `trayRefusals` adds first, an add of one it holds and versions it does not know; it ends,
  // taking the icon along, and starts again with a new taskbar that holds none, announcing it or
  // not. The icon's removal waits for the shell: a moment. The keyboard's focus given back to
  // the tray: trayFocused. Where its events go: `events`.
  bool shellRunning = true;
  std::optional<NotifyIconData> trayIcon;
  int trayRefusals = 0;
  uint32_t newestTrayVersion = 4, trayVersion = 0;
  bool trayFocused = false;
  ShellEvents events;
  // The tip the shell shows: none for version 4 unless asked for.
  std::string trayTip() const {
    const uint32_t flags = trayIcon ? trayIcon->uFlags : 0;
    if (!(flags & win::kNifTip) || (trayVersion >= 4 && !(flags & win::kNifShowTip))) return "";
    return trayIcon->szTip.substr(0, trayIcon->szTip.find('\0'));
  }
  std::function<void(uint32_t message)> beforeTray;  // the shell, as it is asked
  bool shellNotifyIcon(uint32_t message, const NotifyIconData& data) override {
    if (beforeTray) beforeTray(message);
    const bool had = trayIcon.has_value();
    if (message == win::kNimDelete) moment();
    if (!shellRunning) return false;
    switch (message) {
      case win::kNimAdd:
        if (had || trayRefusals-- > 0) return false;
        return trayIcon = data, trayVersion = 0, true;
      case win::kNimModify:
        return had && (trayIcon = data, true);
      case win::kNimSetVersion:
        return had && data.uVersion <= newestTrayVersion && (trayVersion = data.uVersion, true);
      case win::kNimSetFocus:
        return trayFocused = had;
      default:
        return trayIcon.reset(), had;
    }
  }
  void listen(ShellEvents shellEvents) override { events = std::move(shellEvents); }
  void shellEnded() { shellRunning = false, trayIcon.reset(); }
  void shellStarted(bool announced = true) {
    shellRunning = true, trayIcon.reset();
    if (announced && events.taskbarCreated) sent(events.taskbarCreated);
  }
  std::vector<std::string> opened, started;
  uint32_t instanceError = 0;
  bool otherInstanceAsked = false;
  int ends = 0;
  Version version{1, 0, 0};
  uint32_t showCommand = win::kSwShowNormal, pid = 4242;
  std::optional<uint32_t> restartFlags;
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
  void endProgram() override { ++ends; }
  uint32_t startupShowCommand() override { return showCommand; }
  void registerForRestart(uint32_t flags) override { restartFlags = flags; }
  uint32_t processId() override { return pid; }
  Version programVersion() override { return version; }

  // The registry: key path to value name to (type, data).
  std::map<std::string, std::map<std::string, std::pair<uint32_t, std::string>>> registry;
  std::map<OsHandle, std::string> openKeys;
  std::set<std::string> unterminated;
  OsHandle regOpenKeyEx(OsHandle root, const std::string& subKey, uint32_t access) override {
    if (root != win::kHKeyLocalMachine || access != win::kKeyRead || !registry.count(subKey))
      return 0;
    return openKeys[nextHandle_] = subKey, nextHandle_++;
  }
  bool regQueryValueEx(OsHandle key, const std::string& name, uint32_t* type, std::string* data,
                       uint32_t* size) override {
    if (*size > data->size()) throw std::length_error("a buffer said to be larger than it is");
    if (!openKeys.count(key) || !registry[openKeys[key]].count(name)) return false;
    const auto& [valueType, value] = registry[openKeys[key]][name];
    // A string's size counts its terminating zero, as the system reports it, unless it was
    // stored without one (`unterminated`), which the registry allows.
    const bool zero = valueType <= win::kRegExpandSz && !unterminated.count(name);
    const std::string stored = value + std::string(zero ? 1 : 0, '\0');
    if (stored.size() > *size) return false;
    *type = valueType;
    data->replace(0, stored.size(), stored);
    return *size = static_cast<uint32_t>(stored.size()), true;
  }
  bool regCloseKey(OsHandle key) override { return openKeys.erase(key) > 0; }

  // Message boxes. A modal one returns at once; one shown aside stays open until closeBoxes.
  struct Box {
    OsHandle owner;
    std::string title, text;
    uint32_t icon;
    std::function<void()> closed;
  };
  std::vector<Box> boxes;
  long openBoxes() const {
    return std::count_if(boxes.begin(), boxes.end(),
                         [](auto& box) { return box.closed != nullptr; });
  }
  void closeBoxes() {
    for (Box& box : boxes)
      if (auto closed = std::exchange(box.closed, nullptr)) closed();
  }
  void messageBox(OsHandle owner, const std::string& text, const std::string& title,
                  uint32_t icon) override {
    boxes.push_back({owner, title, text, icon, nullptr});
  }
  void messageBoxAside(OsHandle owner, const std::string& text, const std::string& title,
                       uint32_t icon, std::function<void()> closed) override {
    boxes.push_back({owner, title, text, icon, std::move(closed)});
  }

 private:
  // None when it is not there, or `failing` says the call fails.
  File* file(const char* op, const std::string& path) {
    const auto it = files.find(path);
    return failure(op, path) || it == files.end() ? nullptr : &it->second;
  }
  Process* processOf(OsHandle handle) {
    badHandleCalls += !openHandles.count(handle);
    return openHandles.count(handle) ? process(openHandles[handle]) : nullptr;
  }
  OsHandle nextHandle_ = 1000;
  size_t snapshotNext_ = 0;  // the next process a snapshot reports
};

}  // namespace tarnwick
