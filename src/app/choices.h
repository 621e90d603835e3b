// What each choice of the window means to the program: the one mapping that both the click
// handlers and start-up use, and the RAM levels' table, from which the option group, its
// buttons' places and their ids follow.
#pragma once

#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "forms/layout.h"
#include "platform/platform.h"

namespace tarnwick::choices {

// RAM level: percent of used memory claimed on top of the free; where its button sits in its
// container.
struct RamLevel {
  const char* caption;
  int16_t percent;
  TwipsRect place;
};
inline constexpr RamLevel kRamLevels[] = {
    {"Low", 10, {480, 50, 1335, 255}},
    {"Moderate", 15, {2280, 50, 1335, 255}},
    {"High", 20, {4080, 50, 1215, 255}},
};
inline constexpr int kRamLevelCount = static_cast<int>(std::size(kRamLevels));
inline constexpr int kDesignRamLevel = kRamLevelCount - 1;  // the design selects the highest

inline std::vector<std::string> ramLevelCaptions() {
  std::vector<std::string> captions;
  for (const RamLevel& level : kRamLevels) captions.emplace_back(level.caption);
  return captions;
}
// None for an index the group does not have.
inline std::optional<int16_t> ramLevel(int index) {
  if (index < 0 || index >= kRamLevelCount) return std::nullopt;
  return kRamLevels[index].percent;
}
// Free-memory trigger ("10%", "20%", "30%"): share of total memory; none for no choice.
inline std::optional<float> freeLimit(int index) {
  constexpr float kLimits[] = {0.1f, 0.2f, 0.3f};
  if (index < 0 || index >= static_cast<int>(std::size(kLimits))) return std::nullopt;
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

// Whether a start with this show state goes straight into the tray: minimised, or hidden.
inline bool startsInTray(uint32_t showCommand) {
  return showCommand == win::kSwHide || showCommand == win::kSwShowMinimized ||
         showCommand == win::kSwMinimize || showCommand == win::kSwShowMinNoActive ||
         showCommand == win::kSwForceMinimize;
}

}  // namespace tarnwick::choices
