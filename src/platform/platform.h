// The operating-system services the core uses, one call per service, with the inputs and
// results of the underlying calls, so that every decision stays in the core. Implemented by
// the Win32 shell for the product and by FakePlatform for the tests.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

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
                 public MessageBoxApi {
 public:
  virtual ~Platform() = default;
};

}  // namespace tarnwick
