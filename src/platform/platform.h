// The operating-system services the core uses, one call per service, with the inputs and
// results of the underlying calls, so that every decision stays in the core. Implemented by
// the Win32 shell for the product and by FakePlatform for the tests.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick {

struct MemoryStatus {
  uint64_t totalPhys = 0;
  uint64_t availPhys = 0;
  uint64_t availPageFile = 0;  // commit headroom
};

// One block of claimed memory: 1,000,000 blanks as 16-bit characters, every page written.
using RamBlock = std::u16string;

class MemoryApi {
 public:
  virtual MemoryStatus globalMemoryStatus() = 0;
  // Claims and fills one block; throws std::bad_alloc when it cannot.
  virtual RamBlock claimBlock() = 0;

 protected:
  ~MemoryApi() = default;
};

struct TimeOfDay {
  int hour = 0, minute = 0, second = 0;
};

class ClockApi {
 public:
  virtual TimeOfDay localTime() = 0;

 protected:
  ~ClockApi() = default;
};

class PumpApi {
 public:
  // Lets every pending window message be handled, then returns.
  virtual void doEvents() = 0;

 protected:
  ~PumpApi() = default;
};

// Files, named by UTF-8 paths; contents are bytes.
class FileApi {
 public:
  static constexpr uint32_t kNormal = 0x80;  // FILE_ATTRIBUTE_NORMAL

  // The folder of the program's executable, without a trailing separator unless a root.
  virtual std::string exeFolder() = 0;
  // True when an ordinary file is there: hidden, system files and folders count as absent.
  virtual bool findOrdinaryFile(const std::string& path) = 0;
  virtual std::optional<uint32_t> fileAttributes(const std::string& path) = 0;
  virtual bool setFileAttributes(const std::string& path, uint32_t attributes) = 0;
  virtual bool deleteFile(const std::string& path) = 0;
  // Creates the file (replacing one that is there, unless `mustBeNew`), writes `bytes` as its
  // whole content and closes it. False if any of it failed.
  virtual bool writeNewFile(const std::string& path, const std::string& bytes, bool mustBeNew) = 0;
  virtual std::optional<std::string> readWholeFile(const std::string& path) = 0;
  // Renames in one step; with `replace`, over an existing file.
  virtual bool moveFile(const std::string& from, const std::string& to, bool replace) = 0;
  // The settings file holds single-byte text in the system's ANSI code page.
  virtual std::string ansiToUtf8(const std::string& ansi) = 0;
  virtual std::string utf8ToAnsi(const std::string& utf8) = 0;

 protected:
  ~FileApi() = default;
};

// Process and window handles as the system hands them out; 0 is no handle.
using OsHandle = intptr_t;

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
  virtual bool enumProcessModules(OsHandle process, uintptr_t* modules, uint32_t cb,
                                  uint32_t* needed) = 0;
  // The first characters the call reports of the module's path, read with a buffer of
  // `capacity` characters; empty when it reports none.
  virtual std::string getModuleFileNameEx(OsHandle process, uintptr_t module,
                                          uint32_t capacity) = 0;

  virtual OsHandle openProcess(uint32_t access, bool inherit, uint32_t processId) = 0;
  virtual uint32_t getPriorityClass(OsHandle process) = 0;
  virtual bool setPriorityClass(OsHandle process, uint32_t priorityClass) = 0;
  virtual bool closeHandle(OsHandle handle) = 0;

  virtual OsHandle getForegroundWindow() = 0;
  virtual uint32_t getWindowThreadProcessId(OsHandle window, uint32_t* processId) = 0;

 protected:
  ~ProcessApi() = default;
};

class frmAbout;

class WindowApi {
 public:
  // Stops (window) or resumes (0) drawing of a window, for a rebuild in one piece.
  virtual bool lockWindowUpdate(OsHandle window) = 0;
  // LB_SETTABSTOPS: tab stops of a list box, in dialog units.
  virtual void setListTabStops(OsHandle listBox, const std::vector<int32_t>& stops) = 0;
  virtual bool releaseCapture() = 0;
  virtual intptr_t sendMessage(OsHandle window, uint32_t message, uintptr_t wParam,
                               intptr_t lParam) = 0;
  virtual bool setWindowPos(OsHandle window, OsHandle insertAfter, int x, int y, int cx, int cy,
                            uint32_t flags) = 0;
  // Brings the window forward with the keyboard focus.
  virtual void activateWindow(OsHandle window) = 0;
  // Opens a popup menu at the mouse position; "-" is a separator. The index of the item
  // chosen, or -1.
  virtual int popupMenu(OsHandle owner, const std::vector<std::string>& captions) = 0;
  // Shows the About box modally over `owner`; returns when it has been unloaded.
  virtual void showModal(frmAbout& dialog, OsHandle owner) = 0;

 protected:
  ~WindowApi() = default;
};

// The shell's notification-area icon record, as the program fills it.
struct NotifyIconData {
  OsHandle hWnd = 0;
  uint32_t uID = 0;
  uint32_t uFlags = 0;
  uint32_t uCallbackMessage = 0;
  OsHandle hIcon = 0;
  std::string szTip;  // 64 characters: the text, a zero character, blanks
};

class ShellApi {
 public:
  static constexpr uint32_t kNimAdd = 0, kNimDelete = 2;
  virtual bool shellNotifyIcon(uint32_t message, const NotifyIconData& data) = 0;
  virtual bool shellExecute(OsHandle parent, const std::string& verb, const std::string& file,
                            const std::string& parameters, const std::string& directory,
                            int show) = 0;
  // Starts a program as a new process with a normal, focused window, without waiting.
  virtual bool startProgram(const std::string& path) = 0;

  // Whether an earlier instance of this program is running (and from now on, this one too).
  virtual bool anotherInstanceRunning() = 0;
  // Ends the process at once; no further handler runs.
  virtual void endProgram() = 0;

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
  static constexpr uint32_t kRegSz = 1, kRegDword = 4;
  static constexpr uint32_t kKeyRead = 0x20019;
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
  enum Icon : uint32_t { kNoIcon = 0, kInformation = 0x40 };  // MB_ICONINFORMATION
  // A modal box with an OK button, owned by the main window.
  virtual void messageBox(const std::string& text, const std::string& title, Icon icon) = 0;

 protected:
  ~MessageBoxApi() = default;
};

class Platform : public MemoryApi,
                 public ClockApi,
                 public PumpApi,
                 public FileApi,
                 public ProcessApi,
                 public WindowApi,
                 public ShellApi,
                 public RegistryApi,
                 public MessageBoxApi {
 public:
  virtual ~Platform() = default;
};

}  // namespace tarnwick
