// The operating-system services the core uses, one call per service, with the inputs and
// results of the underlying calls, so that every decision stays in the core. Implemented by
// the Win32 shell for the product and by the fake in tests/ for the unit tests.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "forms/layout.h"

namespace tarnwick {

// Process and window handles as the system hands them out; 0 is no handle.
using OsHandle = intptr_t;

// The Win32 numbers the core passes through, named once; the shell checks them against the SDK.
namespace win {
inline constexpr uint32_t kWmNcLButtonDown = 0xA1, kWmLButtonUp = 0x202, kWmRButtonUp = 0x205;
inline constexpr uint32_t kWmContextMenu = 0x7B;
// What a tray icon of version 4 reports besides the mouse's messages: Enter or Space on the
// icon chosen by keyboard.
inline constexpr uint32_t kNinKeySelect = 0x401;
inline constexpr uint32_t kNotifyIconVersion4 = 4;
inline constexpr int16_t kVbKeyEscape = 27;
inline constexpr int kIdOk = 1;  // what a dialog's Enter presses
inline constexpr uintptr_t kHtCaption = 2;
inline constexpr OsHandle kHwndTopmost = -1, kHwndNoTopmost = -2;
inline constexpr uint32_t kSwpNoSize = 1, kSwpNoMove = 2;
inline constexpr uint32_t kSwpNoZOrder = 4, kSwpNoActivate = 0x10, kSwpShowWindow = 0x40,
                          kSwpHideWindow = 0x80;
inline constexpr uint32_t kNifMessage = 1, kNifIcon = 2, kNifTip = 4, kNifShowTip = 0x80;
inline constexpr uint32_t kNimAdd = 0, kNimModify = 1, kNimDelete = 2, kNimSetFocus = 3,
                          kNimSetVersion = 4;
inline constexpr uint32_t kTh32csSnapProcess = 2;
inline constexpr uint32_t kProcessSetInformation = 0x200, kProcessQueryLimitedInformation = 0x1000;
inline constexpr uint32_t kIdlePriorityClass = 0x40, kBelowNormalPriorityClass = 0x4000,
                          kNormalPriorityClass = 0x20, kAboveNormalPriorityClass = 0x8000,
                          kHighPriorityClass = 0x80, kRealtimePriorityClass = 0x100;
inline constexpr uint32_t kFileAttributeNormal = 0x80, kFileAttributeDirectory = 0x10;
inline constexpr OsHandle kHKeyLocalMachine =
    static_cast<OsHandle>(static_cast<int32_t>(0x80000002));
inline constexpr uint32_t kKeyRead = 0x20019;
inline constexpr uint32_t kRegSz = 1, kRegExpandSz = 2, kRegDword = 4;
inline constexpr uint32_t kMbIconInformation = 0x40;
inline constexpr uint32_t kErrorAccessDenied = 5, kErrorAlreadyExists = 183;
// What a replace or a rename can fail with.
inline constexpr uint32_t kErrorInvalidFunction = 1, kErrorFileNotFound = 2,
                          kErrorSharingViolation = 32, kErrorLockViolation = 33,
                          kErrorNotSupported = 50, kErrorCallNotImplemented = 120;
// ReplaceFileW's own: the old file could not be removed (both keep their names); the new one
// could not be renamed (given a backup name, both keep their names); nor the old one put back
// (the old under the backup name, the new under its own, neither under the file's name).
inline constexpr uint32_t kErrorUnableToRemoveReplaced = 1175, kErrorUnableToMoveReplacement = 1176,
                          kErrorUnableToMoveReplacement2 = 1177;
// Show states a program can be started with (STARTUPINFO's wShowWindow).
inline constexpr uint32_t kSwHide = 0, kSwShowNormal = 1, kSwShowMinimized = 2,
                          kSwShowMaximized = 3, kSwShowNoActivate = 4, kSwMinimize = 6,
                          kSwShowMinNoActive = 7, kSwForceMinimize = 11;
// What a program registered for restart is not restarted after.
inline constexpr uint32_t kRestartNoCrash = 1, kRestartNoHang = 2, kRestartNoReboot = 8;
}  // namespace win

struct MemoryStatus {
  uint64_t totalPhys = 0;
  uint64_t availPhys = 0;
  uint64_t availPageFile = 0;  // commit headroom
};

class MemoryApi {
 public:
  virtual MemoryStatus globalMemoryStatus() = 0;

 protected:
  ~MemoryApi() = default;
};

struct TimeOfDay {
  int hour = 0, minute = 0, second = 0;
};

class ClockApi {
 public:
  virtual TimeOfDay localTime() = 0;
  // Milliseconds since some fixed moment; never goes back.
  virtual uint64_t tickCount() = 0;
  virtual void sleep(unsigned milliseconds) = 0;

 protected:
  ~ClockApi() = default;
};

// The scheduler's one rule: posted work runs in the order posted, one handler at a time, each
// from whichever message loop is pumping then (the program's, a dialog's, a menu's, a window
// move's), never ahead of input or painting that waits. Work that posts its next step is driven
// by that alone; nothing else schedules it.
class PumpApi {
 public:
  // Lets the pending window messages be handled, then returns: what was sent, input, painting,
  // and each timer whose period has passed, the scheduler's included (one posted handler).
  // While an answer is under way, only painting and messages sent to the program are served.
  virtual void doEvents() = 0;
  // Runs `handler` later, by the rule above. Fails (throws) where it cannot be scheduled.
  virtual void post(std::function<void()> handler) = 0;
  // Windows, the shell, an installer or a second start asked something and wait for the
  // answer: from begin to end, posted work (a run's steps) is left for the loop.
  virtual void beginAnswer() = 0;
  virtual void endAnswer() = 0;
  // Runs the timer's tick once a period from whichever loop pumps, while it is enabled; asked
  // again after each change of the timer. A period begins when it is enabled.
  virtual void setTimer(forms::Timer& timer) = 0;

 protected:
  ~PumpApi() = default;
};

// One answer to a request that someone waits on, for the scope of a handler.
class Answering {
 public:
  explicit Answering(PumpApi& pump) : pump_(pump) { pump_.beginAnswer(); }
  ~Answering() { pump_.endAnswer(); }
  Answering(const Answering&) = delete;
  Answering& operator=(const Answering&) = delete;

 private:
  PumpApi& pump_;
};

struct FoundFile {
  std::string path;
  uint64_t ageMs = 0;  // since it was last written
};

// Files, named by UTF-8 paths; contents are bytes.
class FileApi {
 public:
  // The folder of the program's executable, without a trailing separator unless a root; empty
  // when it cannot be found.
  virtual std::string exeFolder() = 0;
  // The user's own folder for programs' data (%LOCALAPPDATA%); empty when there is none.
  virtual std::string localAppDataFolder() = 0;
  // Whether a file can be created in the folder now.
  virtual bool folderWritable(const std::string& folder) = 0;
  // Creates one folder in a folder that is there; true if it is there afterwards.
  virtual bool createFolder(const std::string& folder) = 0;
  // True when an ordinary file is there: hidden, system files and folders count as absent.
  virtual bool findOrdinaryFile(const std::string& path) = 0;
  // The attributes of whatever is there; none when nothing is.
  virtual std::optional<uint32_t> fileAttributes(const std::string& path) = 0;
  virtual bool setFileAttributes(const std::string& path, uint32_t attributes) = 0;
  virtual bool deleteFile(const std::string& path) = 0;
  // Deletes the file only while no program has it open; false otherwise.
  virtual bool deleteUnusedFile(const std::string& path) = 0;
  // Creates the file (replacing one that is there, unless `mustBeNew`), writes `bytes` as its
  // whole content and closes it. False if any of it failed; then nothing this call made is left.
  virtual bool writeNewFile(const std::string& path, const std::string& bytes, bool mustBeNew) = 0;
  // The whole content; none when the file cannot be opened or a read fails part-way.
  virtual std::optional<std::string> readWholeFile(const std::string& path) = 0;
  // Puts `replacement` in the place of `replaced`, which keeps what the system keeps with a
  // file (its creation time, security, streams, compression and encryption); the old file goes
  // to `backup` on the way. 0, or the system's error, with the files as ReplaceFileW leaves them.
  virtual uint32_t replaceFile(const std::string& replacement, const std::string& replaced,
                               const std::string& backup) = 0;
  // Renames in one step; with `replace`, over an existing file, which keeps nothing of it. 0, or
  // the system's error.
  virtual uint32_t moveFile(const std::string& from, const std::string& to, bool replace) = 0;
  // The ordinary files in `folder` whose names begin with `prefix` and end with `suffix`.
  virtual std::vector<FoundFile> findFiles(const std::string& folder, const std::string& prefix,
                                           const std::string& suffix) = 0;

 protected:
  ~FileApi() = default;
};

// Text as the user's system writes it.
class TextApi {
 public:
  // The settings file holds single-byte text in the system's ANSI code page.
  virtual std::string ansiToUtf8(const std::string& ansi) = 0;
  virtual std::string utf8ToAnsi(const std::string& utf8) = 0;
  // The user's decimal separator, "." or "," for most.
  virtual std::string decimalSeparator() = 0;

 protected:
  ~TextApi() = default;
};

// The Tool Help record of one process; szExeFile is the 260-character field, zero-padded.
struct ProcessEntry {
  uint32_t dwSize = 0;
  std::string szExeFile;
};

class ProcessApi {
 public:
  // dwPlatformId of GetVersionEx: 1 for the 95/98/Me family, 2 for the NT family.
  virtual uint32_t getVersionPlatformId() = 0;

  // Tool Help. A snapshot that cannot be taken is 0.
  virtual OsHandle createToolhelp32Snapshot(uint32_t flags, uint32_t processId) = 0;
  virtual bool process32First(OsHandle snapshot, ProcessEntry& entry) = 0;
  virtual bool process32Next(OsHandle snapshot, ProcessEntry& entry) = 0;

  // Process status. `ids` has room for `cb` bytes; `needed` receives the bytes written.
  virtual bool enumProcesses(uint32_t* ids, uint32_t cb, uint32_t* needed) = 0;
  // The full path of the process's executable; none when it cannot be read.
  virtual std::optional<std::string> queryFullProcessImageName(OsHandle process) = 0;

  virtual OsHandle openProcess(uint32_t access, bool inherit, uint32_t processId) = 0;
  virtual uint32_t getPriorityClass(OsHandle process) = 0;
  virtual bool setPriorityClass(OsHandle process, uint32_t priorityClass) = 0;
  virtual bool closeHandle(OsHandle handle) = 0;

  virtual OsHandle getForegroundWindow() = 0;
  virtual uint32_t getWindowThreadProcessId(OsHandle window, uint32_t* processId) = 0;
  virtual std::string getClassName(OsHandle window) = 0;
  // The first child of `parent` of that window class, or 0.
  virtual OsHandle findChildWindow(OsHandle parent, const std::string& className) = 0;

 protected:
  ~ProcessApi() = default;
};

struct ScreenRect {
  double left = 0, top = 0, right = 0, bottom = 0;  // twips
};

struct ScreenPoint {
  int x = 0, y = 0;  // pixels
};

class WindowApi {
 public:
  // Stops (false) or resumes (true) the drawing of one window, for a rebuild in one piece.
  // False if it could not.
  virtual bool setRedraw(OsHandle window, bool redraw) = 0;
  virtual bool releaseCapture() = 0;
  virtual intptr_t sendMessage(OsHandle window, uint32_t message, uintptr_t wParam,
                               intptr_t lParam) = 0;
  // Also shows (kSwpShowWindow) or hides (kSwpHideWindow) it: unlike ShowWindow, never in the
  // show state whoever started the program asked for.
  virtual bool setWindowPos(OsHandle window, OsHandle insertAfter, int x, int y, int cx, int cy,
                            uint32_t flags) = 0;
  // Whether the window is minimised; and puts a minimised one back in its place, shown as
  // `showCommand` says (SetWindowPlacement, which whoever started the program has no say in).
  virtual bool isIconic(OsHandle window) = 0;
  virtual bool setShowCommand(OsHandle window, uint32_t showCommand) = 0;
  // The pixel density of the monitor the window is on.
  virtual unsigned windowDpi(OsHandle window) = 0;
  // Brings the window forward with the keyboard focus.
  virtual void activateWindow(OsHandle window) = 0;
  // Opens a popup menu at `at`, or at the mouse position; "-" is a separator. The index of the
  // item chosen, or -1.
  virtual int popupMenu(OsHandle owner, const std::vector<std::string>& captions,
                        std::optional<ScreenPoint> at) = 0;
  // Loads and shows the dialog modally over `owner`; returns when it has been unloaded.
  virtual void showModal(Dialog& dialog, OsHandle owner) = 0;
  // The rectangle that all monitors together cover.
  virtual ScreenRect virtualScreen() = 0;

 protected:
  ~WindowApi() = default;
};

// The shell's notification-area icon record, as the program fills it. The window it belongs to,
// the message its events arrive in and its picture (the program's icon at the taskbar's
// density) are the platform's, which delivers the events (ShellEvents).
struct NotifyIconData {
  uint32_t uID = 0;
  uint32_t uFlags = 0;
  std::string szTip;      // 64 characters: the text, a zero character, blanks
  uint32_t uVersion = 0;  // how the icon reports events, set by kNimSetVersion
};

// What reaches the program from the shell rather than through its windows' own input.
struct ShellEvents {
  // The icon's event: the mouse's message or the icon's own notification, and where on the
  // screen it happened (version 4).
  std::function<void(uint32_t message, int x, int y)> trayIcon;
  // A new taskbar (Explorer started again), which holds no icon.
  std::function<void()> taskbarCreated;
  // A second start asks for the window.
  std::function<void()> showRequested;
};

class ShellApi {
 public:
  // Shell_NotifyIcon: the icon as the shell holds it, which a shell that ends takes along. Its
  // picture follows the taskbar's density. The removal waits for the shell a moment at most.
  virtual bool shellNotifyIcon(uint32_t message, const NotifyIconData& data) = 0;
  // Where the shell's events go from now on.
  virtual void listen(ShellEvents events) = 0;
  virtual bool shellExecute(OsHandle parent, const std::string& verb, const std::string& file,
                            const std::string& parameters, const std::string& directory,
                            int show) = 0;
  // Starts a program as a new process with a normal, focused window, without waiting.
  virtual bool startProgram(const std::string& path) = 0;
  virtual std::string systemFolder() = 0;
  virtual std::string expandEnvironmentStrings(const std::string& text) = 0;

  // Creates (or opens) the program's named single-instance object, held until the process
  // ends; the system's last error afterwards: 0, kErrorAlreadyExists, kErrorAccessDenied, ...
  virtual uint32_t createInstanceObject() = 0;
  // Asks the instance that runs already to show its window.
  virtual void showOtherInstance() = 0;
  // Closes every window of the program at once and ends it when the handler now running
  // returns; no further handler runs.
  virtual void endProgram() = 0;
  // How whoever started the program asked for its window to be shown (kSwShowNormal when they
  // did not say).
  virtual uint32_t startupShowCommand() = 0;
  // Asks Windows to start the program again when an installer closed it to replace its files,
  // except after the cases in `flags`.
  virtual void registerForRestart(uint32_t flags) = 0;
  virtual uint32_t processId() = 0;

  struct Version {
    int major = 0, minor = 0, revision = 0;
  };
  // The program's version, from its own version resource.
  virtual Version programVersion() = 0;

 protected:
  ~ShellApi() = default;
};

class RegistryApi {
 public:
  // A key that cannot be opened is 0.
  virtual OsHandle regOpenKeyEx(OsHandle root, const std::string& subKey, uint32_t access) = 0;
  // `data` receives up to `*size` characters of the value (a string as text, other types as
  // their bytes) and `*size` the characters it holds, a string's terminating zero included.
  virtual bool regQueryValueEx(OsHandle key, const std::string& valueName, uint32_t* type,
                               std::string* data, uint32_t* size) = 0;
  virtual bool regCloseKey(OsHandle key) = 0;

 protected:
  ~RegistryApi() = default;
};

class MessageBoxApi {
 public:
  // A box with an OK button, modal over `owner`; returns when it is closed.
  virtual void messageBox(OsHandle owner, const std::string& text, const std::string& title,
                          uint32_t icon) = 0;
  // The same box, modal over `owner` to the user, but the caller goes on at once; `closed`
  // runs on the window's thread when the user has closed it.
  virtual void messageBoxAside(OsHandle owner, const std::string& text, const std::string& title,
                               uint32_t icon, std::function<void()> closed) = 0;

 protected:
  ~MessageBoxApi() = default;
};

class Platform : public MemoryApi,
                 public ClockApi,
                 public PumpApi,
                 public FileApi,
                 public TextApi,
                 public ProcessApi,
                 public WindowApi,
                 public ShellApi,
                 public RegistryApi,
                 public MessageBoxApi {
 public:
  virtual ~Platform() = default;
};

}  // namespace tarnwick
