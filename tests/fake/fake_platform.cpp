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
  for (auto& event : std::exchange(pending, {})) event();
  if (onPump) onPump();
}

FakePlatform::File* FakePlatform::file(const char* op, const std::string& path) {
  const auto it = files.find(path);
  return (failing && failing(op, path)) || it == files.end() ? nullptr : &it->second;
}

bool FakePlatform::findOrdinaryFile(const std::string& path) {
  const File* f = file("findOrdinaryFile", path);
  return f && !(f->attributes & (kHidden | kSystem));
}

std::optional<uint32_t> FakePlatform::fileAttributes(const std::string& path) {
  const File* f = file("fileAttributes", path);
  return f ? std::optional(f->attributes) : std::nullopt;
}

bool FakePlatform::setFileAttributes(const std::string& path, uint32_t attributes) {
  File* f = file("setFileAttributes", path);
  return f && (f->attributes = attributes, true);
}

bool FakePlatform::deleteFile(const std::string& path) {
  const File* f = file("deleteFile", path);
  return f && !(f->attributes & kReadOnly) && files.erase(path);
}

bool FakePlatform::writeNewFile(const std::string& path, const std::string& bytes, bool mustBeNew) {
  const bool there = files.count(path);
  if (failing && failing("writeNewFile", path)) {
    // A write that breaks off part-way, as on a full disk, leaves a partial file behind.
    if (!there) files[path] = File{bytes.substr(0, bytes.size() / 2)};
    return false;
  }
  if (there && (mustBeNew || (files[path].attributes & (kReadOnly | kHidden | kSystem))))
    return false;
  files[path] = File{bytes};
  return true;
}

std::optional<std::string> FakePlatform::readWholeFile(const std::string& path) {
  const File* f = file("readWholeFile", path);
  return f ? std::optional(f->bytes) : std::nullopt;
}

bool FakePlatform::moveFile(const std::string& from, const std::string& to, bool replace) {
  const File* source = file("moveFile", from);
  const auto target = files.find(to);
  if (!source || (target != files.end() && (!replace || (target->second.attributes & kReadOnly))))
    return false;
  files[to] = *source;
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
  zeroHandleCalls += handle == 0;
  const auto it = openHandles.find(handle);
  return it == openHandles.end() ? nullptr : process(it->second);
}

OsHandle FakePlatform::createToolhelp32Snapshot(uint32_t, uint32_t) {
  if (snapshotFails) return 0;
  openHandles[nextHandle_] = 0;
  return nextHandle_++;
}

bool FakePlatform::process32Next(OsHandle snapshot, ProcessEntry& entry) {
  if (!openHandles.count(snapshot) || entry.dwSize != 296 || snapshotNext_ >= processes.size())
    return false;
  const std::string& path = processes[snapshotNext_++].path;
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
  return p && !p->path.empty() ? std::optional(p->path) : std::nullopt;
}

OsHandle FakePlatform::openProcess(uint32_t access, bool, uint32_t pid) {
  const Process* p = process(pid);
  if (!p || !(access == win::kProcessQueryLimitedInformation ? p->canQuery
              : access == win::kProcessSetInformation        ? p->canSet
                                                             : false))
    return 0;
  openHandles[nextHandle_] = pid;
  return nextHandle_++;
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
  zeroHandleCalls += handle == 0;
  return openHandles.erase(handle) > 0;
}

uint32_t FakePlatform::getWindowThreadProcessId(OsHandle window, uint32_t* processId) {
  zeroHandleCalls += window == 0;
  *processId = windows.count(window) ? windows[window].pid : 0;
  return *processId ? 1 : 0;
}

OsHandle FakePlatform::findChildWindow(OsHandle parent, const std::string& className) {
  for (const auto& [handle, window] : windows)
    if (parent && window.parent == parent && window.className == className) return handle;
  return 0;
}

bool FakePlatform::setRedraw(OsHandle window, bool redraw) {
  zeroHandleCalls += window == 0;
  if (redraw) return strayRedraws += notDrawing.erase(window) == 0, true;
  return !redrawRefused && notDrawing.insert(window).second;
}

bool FakePlatform::setWindowPos(OsHandle window, OsHandle insertAfter, int, int, int, int,
                                uint32_t flags) {
  if (flags != (win::kSwpNoSize | win::kSwpNoMove)) return false;  // only ever a raise
  if (insertAfter == win::kHwndTopmost) topmost = window;
  if (insertAfter == win::kHwndNoTopmost && topmost == window) topmost = 0, raised = window;
  return true;
}

bool FakePlatform::shellNotifyIcon(uint32_t message, const NotifyIconData& data) {
  const bool had = trayIcon.has_value();
  if (message == win::kNimDelete) trayIcon.reset();
  if (message == win::kNimModify && had) trayIcon = data;
  if (message != win::kNimAdd) return had;
  if (had || trayRefusals-- > 0) return false;
  trayIcon = data;
  return true;
}

OsHandle FakePlatform::regOpenKeyEx(OsHandle root, const std::string& subKey, uint32_t access) {
  if (root != win::kHKeyLocalMachine || access != win::kKeyRead || !registry.count(subKey))
    return 0;
  openKeys[nextHandle_] = subKey;
  return nextHandle_++;
}

bool FakePlatform::regQueryValueEx(OsHandle key, const std::string& valueName, uint32_t* type,
                                   std::string* data, uint32_t* size) {
  if (!openKeys.count(key) || !registry[openKeys[key]].count(valueName)) return false;
  const auto& [valueType, value] = registry[openKeys[key]][valueName];
  // A string's size counts its terminating zero, as the system reports it.
  const std::string stored = value + std::string(valueType <= win::kRegExpandSz ? 1 : 0, '\0');
  if (stored.size() > *size) return false;
  *type = valueType;
  data->replace(0, stored.size(), stored);
  *size = static_cast<uint32_t>(stored.size());
  return true;
}

void FakePlatform::closeBoxes() {
  for (Box& box : boxes)
    if (auto closed = std::exchange(box.closed, nullptr)) closed();
}

}  // namespace tarnwick
