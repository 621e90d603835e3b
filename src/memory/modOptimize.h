// Free procedures and the one module-level flag shared by the subsystems.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "forms/controls.h"
#include "platform/platform.h"

namespace tarnwick::modOptimize {

// True exactly while the RAM optimiser runs.
inline bool blnOptimizing = false;

// Total (0) and free (1) physical memory in whole megabytes, rounded half to even. A figure
// that cannot be computed stays 0.
std::array<int32_t, 2> GetMemoryStatus(MemoryApi& memory);

// Free megabytes plus `level` percent of the used ones, rounded half to even; 0 if it fails.
int32_t CalculateOptimizeAmount(const int32_t& used, const int32_t& free, const int16_t& level);

// One block of claimed memory: 1,000,000 blanks as 16-bit characters, every page written.
using RamBlock = std::u16string;
RamBlock NewRamBlock();
inline constexpr size_t kBlockChars = 1000000;
inline constexpr uint64_t kBlockBytes = kBlockChars * sizeof(char16_t);

// 1 for the 95/98/Me family, 2 for the NT family, anything else for other platforms.
uint32_t GetPlatformId(ProcessApi& processes);

// `s` without its last character; an empty text is an error.
std::string TrimLastChar(const std::string& s);

// Two tab stops, 0 and 270 dialog units: where a process list row's class column begins.
void SetListTabStops(forms::ListBox& lst);

}  // namespace tarnwick::modOptimize
