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
};

}  // namespace tarnwick
