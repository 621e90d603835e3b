#include "app/frmMain.h"
#include "base/runtime.h"
#include "memory/modOptimize.h"

namespace tarnwick {

namespace {

// A class the program does not know, or a failed query (0), shows no text rather than the
// text of the row before, which would be a wrong class for this process.
std::string priorityText(uint32_t priorityClass) {
  switch (priorityClass) {
    case win::kIdlePriorityClass:
      return "IDLE (lowest)";
    case win::kBelowNormalPriorityClass:
      return "BELOW NORMAL";
    case win::kNormalPriorityClass:
      return "NORMAL";
    case win::kAboveNormalPriorityClass:
      return "ABOVE NORMAL";
    case win::kHighPriorityClass:
      return "HIGH";
    case win::kRealtimePriorityClass:
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

// Keeps a window from drawing while it is rebuilt, so it is redrawn once; on every return it
// gives back only what it took.
class DrawingSuspended {
 public:
  DrawingSuspended(WindowApi& api, OsHandle window)
      : api_(api), window_(window), taken_(window && api.setRedraw(window, false)) {}
  ~DrawingSuspended() {
    if (taken_) api_.setRedraw(window_, true);
  }
  DrawingSuspended(const DrawingSuspended&) = delete;
  DrawingSuspended& operator=(const DrawingSuspended&) = delete;

 private:
  WindowApi& api_;
  OsHandle window_;
  bool taken_;
};

}  // namespace

void frmMain::ListProcesses(const bool& blnListOnly) {
  const DrawingSuspended suspended(platform_, lstProcessList.hWnd);
  lstProcessList.clear();

  switch (modOptimize::GetPlatformId(platform_)) {
    case 1: {
      // 95/98/Me: plain executable names, and no class is shown or changed.
      const OwnedHandle snapshot(platform_,
                                 platform_.createToolhelp32Snapshot(win::kTh32csSnapProcess, 0));
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
        // Listing needs only the limited query right, which services, other users' and
        // elevated processes grant too; setting asks for its own right, and only then.
        if (const OwnedHandle process(
                platform_,
                platform_.openProcess(win::kProcessQueryLimitedInformation, false, ids[i]));
            process.get()) {
          // Read before the class is set: a pass that sets classes shows the old ones.
          const std::string priority = priorityText(platform_.getPriorityClass(process.get()));
          if (const auto path = platform_.queryFullProcessImageName(process.get()))
            lstProcessList.addItem(*path + "\t" + priority);
        }
        if (blnListOnly) continue;
        const OwnedHandle process(
            platform_, platform_.openProcess(win::kProcessSetInformation, false, ids[i]));
        if (process.get()) platform_.setPriorityClass(process.get(), lngNonActivePriority);
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
