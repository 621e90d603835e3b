#include "base/runtime.h"
#include "memory/modOptimize.h"

namespace tarnwick::modOptimize {

namespace {
int32_t megabytes(uint64_t bytes) {
  return roundToInt32(static_cast<double>(bytes) / 1048576.0);
}
}  // namespace

std::array<int32_t, 2> GetMemoryStatus(MemoryApi& memory) {
  std::array<int32_t, 2> figures{0, 0};
  MemoryStatus status{};
  skipOnErrorSteps([&] { status = memory.globalMemoryStatus(); },
                   [&] { figures[0] = megabytes(status.totalPhys); },
                   [&] { figures[1] = megabytes(status.availPhys); });
  return figures;
}

}  // namespace tarnwick::modOptimize
