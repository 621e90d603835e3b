#include <array>

#include "app/frmMain.h"
#include "base/runtime.h"
#include "memory/modOptimize.h"

namespace tarnwick {

namespace {

constexpr uint32_t kListRights = 0x610;  // query information, set information, read memory
constexpr uint32_t kSnapProcess = 2;
constexpr uint32_t kModuleNameCapacity = 1024;

// A class the program does not know, or a failed query (0), shows no text rather than the
// text of the row before, which would be a wrong class for this process.
std::string priorityText(uint32_t priorityClass) {
  switch (priorityClass) {
    case 0x40:
      return "IDLE (lowest)";
    case 0x4000:
      return "BELOW NORMAL";
    case 0x20:
      return "NORMAL";
    case 0x8000:
      return "ABOVE NORMAL";
    case 0x80:
      return "HIGH";
    case 0x100:
      return "REALTIME (highest)";
    default:
      return "";
  }
}

// Closes a handle on every path out of its scope.
class OwnedHandle {
 public:
  OwnedHandle(ProcessApi& api, OsHandle handle) : api_(api), handle_(handle) {}
  ~OwnedHandle() {
    if (handle_) api_.closeHandle(handle_);
  }
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;
  OsHandle get() const { return handle_; }

 private:
  ProcessApi& api_;
  OsHandle handle_;
};

// Holds the window's drawing lock while the list is rebuilt, released on every return.
class DrawingLock {
 public:
  DrawingLock(WindowApi& api, OsHandle window) : api_(api) { api_.lockWindowUpdate(window); }
  ~DrawingLock() { api_.lockWindowUpdate(0); }
  DrawingLock(const DrawingLock&) = delete;
  DrawingLock& operator=(const DrawingLock&) = delete;

 private:
  WindowApi& api_;
};

}  // namespace

uint32_t modOptimize::GetPlatformId(ProcessApi& processes) {
  return processes.getVersionPlatformId();
}

std::string modOptimize::TrimLastChar(const std::string& s) {
  if (s.empty()) throw RuntimeError("Invalid procedure call or argument");
  return s.substr(0, s.size() - 1);
}

void modOptimize::SetListTabStops(WindowApi& windows, forms::ListBox& lst) {
  windows.setListTabStops(lst.hWnd, {0, 270});
}

void frmMain::ListProcesses(const bool& blnListOnly) {
  DrawingLock lock(platform_, form.hWnd);
  lstProcessList.clear();

  switch (modOptimize::GetPlatformId(platform_)) {
    case 1: {
      // 95/98/Me: plain executable names, and no class is shown or changed.
      const OwnedHandle snapshot(platform_, platform_.createToolhelp32Snapshot(kSnapProcess, 0));
      if (!snapshot.get()) return;
      ProcessEntry entry;
      entry.dwSize = 296;
      for (bool more = platform_.process32First(snapshot.get(), entry); more;) {
        const std::string name = modOptimize::TrimLastChar(entry.szExeFile);
        lstProcessList.addItem(name.substr(0, name.find('\0')));
        more = platform_.process32Next(snapshot.get(), entry);
        platform_.doEvents();
      }
      break;
    }
    case 2: {
      // The buffer doubles from 16 bytes until a call writes less than it was given; the
      // system writes from index 1.
      uint32_t cb = 8, needed = 96;
      std::vector<uint32_t> ids;
      while (cb <= needed) {
        cb = static_cast<uint32_t>(toInt32(static_cast<long long>(cb) * 2));
        ids.assign(cb / 4 + 1, 0);
        platform_.enumProcesses(ids.data() + 1, cb, &needed);
      }
      const uint32_t count = needed / 4;
      for (uint32_t i = 1; i <= count; ++i) {
        const OwnedHandle process(platform_, platform_.openProcess(kListRights, false, ids[i]));
        if (!process.get()) continue;
        // Read before the class is set: a pass that sets classes shows the old ones.
        const std::string priority = priorityText(platform_.getPriorityClass(process.get()));
        std::array<uintptr_t, 200 / sizeof(uintptr_t)> modules{};
        uint32_t needed2 = 0;
        if (platform_.enumProcessModules(process.get(), modules.data(), 200, &needed2)) {
          lstProcessList.addItem(
              platform_.getModuleFileNameEx(process.get(), modules[0], kModuleNameCapacity) + "\t" +
              priority);
        }
        if (!blnListOnly) platform_.setPriorityClass(process.get(), lngNonActivePriority);
      }
      break;
    }
    default:
      break;
  }
  lblProcesses.setCaption("Number of active processes : " +
                          std::to_string(lstProcessList.listCount()));
}

}  // namespace tarnwick
