// The operating-system services the core uses, one call per service, with the inputs and
// results of the underlying calls, so that every decision stays in the core. Implemented by
// the Win32 shell for the product and by FakePlatform for the tests.
#pragma once

#include <cstdint>

namespace tarnwick {

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

class Platform : public MemoryApi, public ClockApi, public PumpApi {
 public:
  virtual ~Platform() = default;
};

}  // namespace tarnwick
