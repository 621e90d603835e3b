// Free procedures and the one module-level flag shared by the subsystems.
#pragma once

#include <array>
#include <cstdint>

#include "platform/platform.h"

namespace tarnwick::modOptimize {

// True exactly while the RAM optimiser runs.
inline bool blnOptimizing = false;

// Total (0) and free (1) physical memory in whole megabytes, rounded half to even. A figure
// that cannot be computed stays 0.
std::array<int32_t, 2> GetMemoryStatus(MemoryApi& memory);

}  // namespace tarnwick::modOptimize
