#include "platform/fake/fake_platform.h"

#include <algorithm>
#include <new>

#include "about/frmAbout.h"
#include "memory/modOptimize.h"

namespace tarnwick {

RamBlock FakePlatform::claimBlock() {
  const int claim = claims++;
  if (claimFails && claimFails(claim)) throw std::bad_alloc();
  return blockChars == modOptimize::kBlockChars ? modOptimize::NewRamBlock()
                                                : RamBlock(blockChars, u' ');
}

void FakePlatform::doEvents() {
  ++pumps;
  // Events posted by the events run now wait for the next pump, as new messages would.
  if (!pending.empty()) {
    auto batch = std::move(pending);
    pending.clear();
    for (auto& event : batch) event();
  }
  if (onPump) onPump();
}

bool FakePlatform::fails(const std::string& op, const std::string& path) {
  fileCalls.push_back(op + " " + path);
  return failing && failing(op, path);
}

bool FakePlatform::findOrdinaryFile(const std::string& path) {
  if (fails("findOrdinaryFile", path)) return false;
  const auto it = files.find(path);
  return it != files.end() && !(it->second.attributes & (kHidden | kSystem));
}

std::optional<uint32_t> FakePlatform::fileAttributes(const std::string& path) {
  if (fails("fileAttributes", path)) return std::nullopt;
  const auto it = files.find(path);
  if (it == files.end()) return std::nullopt;
  return it->second.attributes;
}

bool FakePlatform::setFileAttributes(const std::string& path, uint32_t attributes) {
  if (fails("setFileAttributes", path)) return false;
  const auto it = files.find(path);
  if (it == files.end()) return false;
  it->second.attributes = attributes;
  return true;
}

bool FakePlatform::deleteFile(const std::string& path) {
  if (fails("deleteFile", path)) return false;
  const auto it = files.find(path);
  if (it == files.end() || (it->second.attributes & kReadOnly)) return false;
  files.erase(it);
  return true;
}

bool FakePlatform::writeNewFile(const std::string& path, const std::string& bytes, bool mustBeNew) {
  if (fails("writeNewFile", path)) {
    // A write that breaks off part-way, as on a full disk, leaves a partial file behind.
    if (!files.count(path)) files[path] = File{bytes.substr(0, bytes.size() / 2), kNormal};
    return false;
  }
  const auto it = files.find(path);
  if (it != files.end() && (mustBeNew || (it->second.attributes & (kReadOnly | kHidden | kSystem))))
    return false;
  files[path] = File{bytes, kNormal};
  return true;
}

std::optional<std::string> FakePlatform::readWholeFile(const std::string& path) {
  if (fails("readWholeFile", path)) return std::nullopt;
  const auto it = files.find(path);
  if (it == files.end()) return std::nullopt;
  return it->second.bytes;
}

bool FakePlatform::moveFile(const std::string& from, const std::string& to, bool replace) {
  if (fails("moveFile", from + " -> " + to)) return false;
  const auto source = files.find(from);
  if (source == files.end()) return false;
  if (const auto target = files.find(to); target != files.end()) {
    if (!replace || (target->second.attributes & kReadOnly)) return false;
  }
  File moved = source->second;
  files.erase(source);
  files[to] = moved;
  return true;
}

FakePlatform::Process* FakePlatform::process(uint32_t pid) {
  for (Process& p : processes)
    if (p.pid == pid) return &p;
  return nullptr;
}

OsHandle FakePlatform::createToolhelp32Snapshot(uint32_t flags, uint32_t) {
  processCalls.push_back("snapshot " + std::to_string(flags));
  if (snapshotFails) return 0;
  const OsHandle handle = nextHandle_++;
  openHandles[handle] = 0;
  snapshots_[handle] = 0;
  return handle;
}

bool FakePlatform::process32First(OsHandle snapshot, ProcessEntry& entry) {
  if (!snapshots_.count(snapshot)) return false;
  snapshots_[snapshot] = 0;
  return process32Next(snapshot, entry);
}

bool FakePlatform::process32Next(OsHandle snapshot, ProcessEntry& entry) {
  if (!snapshots_.count(snapshot) || entry.dwSize != 296) return false;
  size_t& next = snapshots_[snapshot];
  if (next >= processes.size()) return false;
  const std::string& path = processes[next++].path;
  std::string name = path.substr(path.find_last_of('\\') + 1).substr(0, 259);
  name.resize(260, '\0');
  entry.szExeFile = name;
  return true;
}

bool FakePlatform::enumProcesses(uint32_t* ids, uint32_t cb, uint32_t* needed) {
  enumSizes.push_back(cb);
  const size_t fit = std::min<size_t>(cb / 4, processes.size());
  for (size_t i = 0; i < fit; ++i) ids[i] = processes[i].pid;
  *needed = static_cast<uint32_t>(fit * 4);
  return true;
}

bool FakePlatform::enumProcessModules(OsHandle handle, uintptr_t* modules, uint32_t cb,
                                      uint32_t* needed) {
  const auto it = openHandles.find(handle);
  Process* p = it == openHandles.end() ? nullptr : process(it->second);
  if (!p || !p->canReadModules || cb < sizeof(uintptr_t)) return false;
  modules[0] = 0x400000;
  *needed = sizeof(uintptr_t);
  return true;
}

std::string FakePlatform::getModuleFileNameEx(OsHandle handle, uintptr_t, uint32_t capacity) {
  const auto it = openHandles.find(handle);
  Process* p = it == openHandles.end() ? nullptr : process(it->second);
  if (!p) return {};
  return p->path.substr(0, capacity);
}

OsHandle FakePlatform::openProcess(uint32_t access, bool, uint32_t pid) {
  processCalls.push_back("open " + std::to_string(pid) + " " + std::to_string(access));
  Process* p = process(pid);
  if (!p || (access == 0x200 ? !p->canSetPriority : !p->canOpen)) return 0;
  const OsHandle handle = nextHandle_++;
  openHandles[handle] = pid;
  return handle;
}

uint32_t FakePlatform::getPriorityClass(OsHandle handle) {
  const auto it = openHandles.find(handle);
  Process* p = it == openHandles.end() ? nullptr : process(it->second);
  return p ? p->priorityClass : 0;
}

bool FakePlatform::setPriorityClass(OsHandle handle, uint32_t priorityClass) {
  const auto it = openHandles.find(handle);
  Process* p = it == openHandles.end() ? nullptr : process(it->second);
  processCalls.push_back("set " + std::to_string(p ? p->pid : 0) + " " +
                         std::to_string(priorityClass));
  static constexpr uint32_t kValid[] = {0x40, 0x4000, 0x20, 0x8000, 0x80, 0x100};
  if (!p || std::find(std::begin(kValid), std::end(kValid), priorityClass) == std::end(kValid))
    return false;
  p->priorityClass = priorityClass;
  return true;
}

bool FakePlatform::closeHandle(OsHandle handle) {
  snapshots_.erase(handle);
  return openHandles.erase(handle) > 0;
}

bool FakePlatform::setWindowPos(OsHandle window, OsHandle insertAfter, int x, int y, int cx, int cy,
                                uint32_t flags) {
  windowCalls.push_back("setWindowPos " + std::to_string(window) + " " +
                        std::to_string(insertAfter) + " " + std::to_string(x) + " " +
                        std::to_string(y) + " " + std::to_string(cx) + " " + std::to_string(cy) +
                        " " + std::to_string(flags));
  return true;
}

void FakePlatform::showModal(frmAbout& dialog, OsHandle owner) {
  windowCalls.push_back("modal " + std::to_string(owner));
  dialog.Form_Load();
  if (whileModal) whileModal(dialog);
}

bool FakePlatform::shellNotifyIcon(uint32_t message, const NotifyIconData& data) {
  trayCalls.push_back(message == kNimAdd ? "add" : message == kNimDelete ? "delete" : "other");
  trayIcon = data;
  return true;
}

OsHandle FakePlatform::regOpenKeyEx(OsHandle root, const std::string& subKey, uint32_t access) {
  registryCalls.push_back("open " + std::to_string(root) + " " + subKey + " " +
                          std::to_string(access));
  if (!registry.count(subKey)) return 0;
  const OsHandle key = nextHandle_++;
  openKeys[key] = subKey;
  return key;
}

bool FakePlatform::regQueryValueEx(OsHandle key, const std::string& valueName, uint32_t* type,
                                   std::string* data, uint32_t* size) {
  registryCalls.push_back("query " + valueName);
  if (!openKeys.count(key)) return false;
  const auto& values = registry[openKeys[key]];
  const auto it = values.find(valueName);
  if (it == values.end()) return false;
  // A string's size counts its terminating zero, as the system reports it.
  const std::string stored =
      it->second.first == kRegSz ? it->second.second + '\0' : it->second.second;
  if (stored.size() > *size) return false;
  *type = it->second.first;
  data->replace(0, stored.size(), stored);
  *size = static_cast<uint32_t>(stored.size());
  return true;
}

void FakePlatform::setListTabStops(OsHandle listBox, const std::vector<int32_t>& stops) {
  std::string call = "tabstops " + std::to_string(listBox);
  for (int32_t stop : stops) call += " " + std::to_string(stop);
  windowCalls.push_back(call);
}

}  // namespace tarnwick
