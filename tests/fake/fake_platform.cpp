#include "fake/fake_platform.h"

#include <algorithm>
#include <utility>

namespace tarnwick {

MemoryStatus FakePlatform::globalMemoryStatus() {
  ++memorySamples;
  if (onMemoryStatus) onMemoryStatus();
  return memory;
}

void FakePlatform::doEvents() {
  ++pumps;
  // Events queued by the events run now wait for the next pump, as new messages would.
  auto batch = std::move(pending);
  pending.clear();
  for (auto& event : batch) event();
  if (onPump) onPump();
}

bool FakePlatform::findOrdinaryFile(const std::string& path) {
  const auto it = files.find(path);
  return !fails("findOrdinaryFile", path) && it != files.end() &&
         !(it->second.attributes & (kHidden | kSystem));
}

std::optional<uint32_t> FakePlatform::fileAttributes(const std::string& path) {
  const auto it = files.find(path);
  if (fails("fileAttributes", path) || it == files.end()) return std::nullopt;
  return it->second.attributes;
}

bool FakePlatform::setFileAttributes(const std::string& path, uint32_t attributes) {
  const auto it = files.find(path);
  if (fails("setFileAttributes", path) || it == files.end()) return false;
  it->second.attributes = attributes;
  return true;
}

bool FakePlatform::deleteFile(const std::string& path) {
  const auto it = files.find(path);
  if (fails("deleteFile", path) || it == files.end() || (it->second.attributes & kReadOnly))
    return false;
  files.erase(it);
  return true;
}

bool FakePlatform::writeNewFile(const std::string& path, const std::string& bytes, bool mustBeNew) {
  const auto it = files.find(path);
  if (fails("writeNewFile", path)) {
    // A write that breaks off part-way, as on a full disk, leaves a partial file behind.
    if (it == files.end()) files[path] = File{bytes.substr(0, bytes.size() / 2)};
    return false;
  }
  if (it != files.end() && (mustBeNew || (it->second.attributes & (kReadOnly | kHidden | kSystem))))
    return false;
  files[path] = File{bytes};
  return true;
}

std::optional<std::string> FakePlatform::readWholeFile(const std::string& path) {
  const auto it = files.find(path);
  if (fails("readWholeFile", path) || it == files.end()) return std::nullopt;
  return it->second.bytes;
}

bool FakePlatform::moveFile(const std::string& from, const std::string& to, bool replace) {
  const auto source = files.find(from), target = files.find(to);
  if (fails("moveFile", to) || source == files.end()) return false;
  if (target != files.end() && (!replace || (target->second.attributes & kReadOnly))) return false;
  files[to] = source->second;
  files.erase(from);
  return true;
}

FakePlatform::Process* FakePlatform::process(uint32_t pid) {
  for (Process& p : processes)
    if (p.pid == pid) return &p;
  return nullptr;
}

std::vector<uint32_t> FakePlatform::classes() const {
  std::vector<uint32_t> out;
  for (const Process& p : processes) out.push_back(p.priorityClass);
  return out;
}

FakePlatform::Process* FakePlatform::processOf(OsHandle handle) {
  if (!handle) ++zeroHandleCalls;
  const auto it = openHandles.find(handle);
  return it == openHandles.end() ? nullptr : process(it->second);
}

OsHandle FakePlatform::createToolhelp32Snapshot(uint32_t, uint32_t) {
  if (snapshotFails) return 0;
  const OsHandle handle = nextHandle_++;
  openHandles[handle] = 0;
  snapshots_[handle] = 0;
  return handle;
}

bool FakePlatform::process32First(OsHandle snapshot, ProcessEntry& entry) {
  snapshots_[snapshot] = 0;
  return process32Next(snapshot, entry);
}

bool FakePlatform::process32Next(OsHandle snapshot, ProcessEntry& entry) {
  size_t& next = snapshots_[snapshot];
  if (entry.dwSize != 296 || next >= processes.size()) return false;
  const std::string& path = processes[next++].path;
  entry.szExeFile = path.substr(path.find_last_of('\\') + 1).substr(0, 259);
  entry.szExeFile.resize(260, '\0');
  return true;
}

bool FakePlatform::enumProcesses(uint32_t* ids, uint32_t cb, uint32_t* needed) {
  const size_t fit = std::min<size_t>(cb / 4, processes.size());
  for (size_t i = 0; i < fit; ++i) ids[i] = processes[i].pid;
  *needed = static_cast<uint32_t>(fit * 4);
  return true;
}

std::optional<std::string> FakePlatform::queryFullProcessImageName(OsHandle handle) {
  const Process* p = processOf(handle);
  if (!p || p->path.empty()) return std::nullopt;
  return p->path;
}

OsHandle FakePlatform::openProcess(uint32_t access, bool, uint32_t pid) {
  const Process* p = process(pid);
  const bool granted = p && (access == win::kProcessQueryLimitedInformation ? p->canQuery
                             : access == win::kProcessSetInformation        ? p->canSet
                                                                            : false);
  if (!granted) return 0;
  openHandles[nextHandle_] = pid;
  return nextHandle_++;
}

uint32_t FakePlatform::getPriorityClass(OsHandle handle) {
  const Process* p = processOf(handle);
  return p ? p->priorityClass : 0;
}

bool FakePlatform::setPriorityClass(OsHandle handle, uint32_t priorityClass) {
  Process* p = processOf(handle);
  static constexpr uint32_t kValid[] = {0x40, 0x4000, 0x20, 0x8000, 0x80, 0x100};
  if (!p || std::find(std::begin(kValid), std::end(kValid), priorityClass) == std::end(kValid))
    return false;
  p->priorityClass = priorityClass;
  return true;
}

bool FakePlatform::closeHandle(OsHandle handle) {
  if (!handle) ++zeroHandleCalls;
  snapshots_.erase(handle);
  return openHandles.erase(handle) > 0;
}

uint32_t FakePlatform::getWindowThreadProcessId(OsHandle window, uint32_t* processId) {
  if (!window) ++zeroHandleCalls;
  const auto it = windows.find(window);
  *processId = it == windows.end() ? 0 : it->second.pid;
  return *processId ? 1 : 0;
}

std::string FakePlatform::getClassName(OsHandle window) {
  const auto it = windows.find(window);
  return it == windows.end() ? "" : it->second.className;
}

OsHandle FakePlatform::findChildWindow(OsHandle parent, const std::string& className) {
  for (const auto& [handle, window] : windows)
    if (parent && window.parent == parent && window.className == className) return handle;
  return 0;
}

bool FakePlatform::setRedraw(OsHandle window, bool redraw) {
  if (!window) ++zeroHandleCalls;
  if (redraw) {
    strayRedraws += notDrawing.erase(window) == 0;
    return true;
  }
  if (redrawRefused) return false;
  notDrawing.insert(window);
  return true;
}

intptr_t FakePlatform::sendMessage(OsHandle, uint32_t message, uintptr_t wParam, intptr_t) {
  dragging = message == win::kWmNcLButtonDown && wParam == win::kHtCaption;
  return 0;
}

bool FakePlatform::setWindowPos(OsHandle window, OsHandle insertAfter, int, int, int, int,
                                uint32_t flags) {
  if (flags != (win::kSwpNoSize | win::kSwpNoMove)) return false;  // only ever a raise
  if (insertAfter == win::kHwndTopmost) topmost = window;
  if (insertAfter == win::kHwndNoTopmost && topmost == window) topmost = 0, raised = window;
  return true;
}

int FakePlatform::popupMenu(OsHandle, const std::vector<std::string>& captions) {
  menuShown = captions;
  return menuChoice;
}

void FakePlatform::showModal(Dialog& dialog, OsHandle) {
  dialog.Form_Load();
  if (whileModal) whileModal(dialog);
}

bool FakePlatform::shellNotifyIcon(uint32_t message, const NotifyIconData& data) {
  if (message == win::kNimDelete) {
    const bool had = trayIcon.has_value();
    trayIcon.reset();
    return had;
  }
  if (message == win::kNimModify) return trayIcon && (trayIcon = data, true);
  if (trayIcon || trayRefusals-- > 0) return false;
  trayIcon = data;
  return true;
}

bool FakePlatform::shellExecute(OsHandle parent, const std::string& verb, const std::string& file,
                                const std::string&, const std::string&, int show) {
  opened.push_back(verb + " " + file + " from " + std::to_string(parent) + " shown " +
                   std::to_string(show));
  return true;
}

bool FakePlatform::startProgram(const std::string& path) {
  if (!files.count(path)) return false;
  started.push_back(path);
  return true;
}

std::string FakePlatform::expandEnvironmentStrings(const std::string& text) {
  std::string out = text;
  if (const size_t at = out.find("%SystemRoot%"); at != std::string::npos)
    out.replace(at, 12, "C:\\Windows");
  return out;
}

OsHandle FakePlatform::regOpenKeyEx(OsHandle root, const std::string& subKey, uint32_t access) {
  if (root != win::kHKeyLocalMachine || access != win::kKeyRead || !registry.count(subKey))
    return 0;
  openKeys[nextHandle_] = subKey;
  return nextHandle_++;
}

bool FakePlatform::regQueryValueEx(OsHandle key, const std::string& valueName, uint32_t* type,
                                   std::string* data, uint32_t* size) {
  if (!openKeys.count(key)) return false;
  const auto& values = registry[openKeys[key]];
  const auto it = values.find(valueName);
  if (it == values.end()) return false;
  // A string's size counts its terminating zero, as the system reports it.
  const bool text = it->second.first != win::kRegDword && it->second.first != 3;
  const std::string stored = it->second.second + (text ? std::string(1, '\0') : "");
  if (stored.size() > *size) return false;
  *type = it->second.first;
  data->replace(0, stored.size(), stored);
  *size = static_cast<uint32_t>(stored.size());
  return true;
}

int FakePlatform::openBoxes() const {
  return static_cast<int>(
      std::count_if(boxes.begin(), boxes.end(), [](const Box& box) { return box.closed; }));
}

void FakePlatform::closeBoxes() {
  for (Box& box : boxes) {
    if (!box.closed) continue;
    auto closed = std::exchange(box.closed, nullptr);
    closed();
  }
}

}  // namespace tarnwick
