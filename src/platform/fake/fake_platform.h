// A scriptable stand-in for the operating system: it records calls and serves the results the
// test sets, and its message pump runs scripted events so re-entrancy can be exercised.
#pragma once

#include <deque>
#include <functional>

#include "platform/platform.h"

namespace tarnwick {

class FakePlatform final : public Platform {
 public:
  // Memory
  MemoryStatus memory;
  int memoryCalls = 0;
  MemoryStatus globalMemoryStatus() override {
    ++memoryCalls;
    return memory;
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
};

}  // namespace tarnwick
