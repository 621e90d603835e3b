// The module's small procedures that the process list and start-up share.
#include "base/runtime.h"
#include "memory/modOptimize.h"

namespace tarnwick::modOptimize {

uint32_t GetPlatformId(ProcessApi& processes) {
  return processes.getVersionPlatformId();
}

std::string TrimLastChar(const std::string& s) {
  if (s.empty()) throw RuntimeError("Invalid procedure call or argument");
  return s.substr(0, s.size() - 1);
}

void SetListTabStops(forms::ListBox& lst) {
  lst.setTabStops({0, 270});
}

}  // namespace tarnwick::modOptimize
