// What each choice of the window means to the program: the one mapping that both the click
// handlers and start-up use.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/platform.h"

namespace tarnwick::choices {

// RAM level ("Low", "Moderate", "High"): percent of used memory claimed on top of the free;
// none for an index the group does not have.
inline std::optional<int16_t> ramLevel(int index) {
  constexpr int16_t kLevels[] = {10, 15, 20};
  if (index < 0 || index >= 3) return std::nullopt;
  return kLevels[index];
}
// Free-memory trigger ("10%", "20%", "30%"): share of total memory; none for no choice.
inline std::optional<float> freeLimit(int index) {
  constexpr float kLimits[] = {0.1f, 0.2f, 0.3f};
  if (index < 0 || index >= 3) return std::nullopt;
  return kLimits[index];
}

// Active application: "High" runs above normal, not at HIGH; "Normal" at normal.
inline uint32_t activeClass(int index) {
  return index == 0 ? win::kAboveNormalPriorityClass : win::kNormalPriorityClass;
}
// Other applications: "Normal" at normal; "Low" below normal, not at IDLE.
inline uint32_t nonActiveClass(int index) {
  return index == 0 ? win::kNormalPriorityClass : win::kBelowNormalPriorityClass;
}

}  // namespace tarnwick::choices
