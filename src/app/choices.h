// What each choice of the window means to the program: the one mapping that both the click
// handlers and start-up use.
#pragma once

#include <cstdint>

namespace tarnwick::choices {

// RAM level ("Low", "Moderate", "High"): percent of used memory claimed on top of the free.
inline constexpr int16_t kRamLevels[] = {10, 15, 20};
// Free-memory trigger ("10%", "20%", "30%"): share of total memory.
inline constexpr float kFreeLimits[] = {0.1f, 0.2f, 0.3f};

inline constexpr uint32_t kNormal = 0x20, kAboveNormal = 0x8000, kBelowNormal = 0x4000;
// Active application: "High" runs above normal, not at HIGH; "Normal" at normal.
inline uint32_t activeClass(int index) {
  return index == 0 ? kAboveNormal : kNormal;
}
// Other applications: "Normal" at normal; "Low" below normal, not at IDLE.
inline uint32_t nonActiveClass(int index) {
  return index == 0 ? kNormal : kBelowNormal;
}

}  // namespace tarnwick::choices
