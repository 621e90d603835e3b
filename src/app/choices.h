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
// container; and which level a window shows before any file is read (the design's), and which a
// new settings file holds (the default file's). A level added anywhere changes neither.
enum class Preset { kNone, kDesign, kDefaultFile };
struct RamLevel {
  const char* caption;
  int16_t percent;
  TwipsRect place;
  Preset preset = Preset::kNone;
};
inline constexpr RamLevel kRamLevels[] = {
    {"Low", 10, {480, 50, 1335, 255}},
    {"Moderate", 15, {2280, 50, 1335, 255}, Preset::kDefaultFile},
    {"High", 20, {4080, 50, 1215, 255}, Preset::kDesign},
};
inline constexpr int kRamLevelCount = static_cast<int>(std::size(kRamLevels));
inline constexpr int presetLevel(Preset preset) {
  for (int i = 0; i < kRamLevelCount; ++i)
    if (kRamLevels[i].preset == preset) return i;
  return -1;
}
inline constexpr int kDesignRamLevel = presetLevel(Preset::kDesign);
inline constexpr int kDefaultRamLevel = presetLevel(Preset::kDefaultFile);
static_assert(kDesignRamLevel >= 0 && kDefaultRamLevel >= 0, "both presets named in the table");

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

// Free-memory trigger: what the drop-down lists, and the share of total memory each stands for.
struct FreeLimit {
  const char* caption;
  float share;
};
inline constexpr FreeLimit kFreeLimits[] = {{"10%", 0.1f}, {"20%", 0.2f}, {"30%", 0.3f}};
inline std::vector<std::string> freeLimitCaptions() {
  std::vector<std::string> captions;
  for (const FreeLimit& limit : kFreeLimits) captions.emplace_back(limit.caption);
  return captions;
}
// None for no choice.
inline std::optional<float> freeLimit(int index) {
  if (index < 0 || index >= static_cast<int>(std::size(kFreeLimits))) return std::nullopt;
  return kFreeLimits[index].share;
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
