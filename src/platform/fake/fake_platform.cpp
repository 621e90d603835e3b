#include "platform/fake/fake_platform.h"

#include <new>

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

}  // namespace tarnwick
