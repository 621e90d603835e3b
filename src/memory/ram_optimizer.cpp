#include <algorithm>

#include "app/frmMain.h"
#include "base/runtime.h"
#include "memory/modOptimize.h"

namespace tarnwick {

namespace modOptimize {

RamBlock NewRamBlock() {
  // Filled on construction, so every page is written and the system must back it.
  return RamBlock(kBlockChars, u' ');
}

}  // namespace modOptimize

namespace {

// Claiming until allocation fails would use up the commit limit and make other programs'
// allocations fail; claiming past the physical memory available makes Windows page the claims
// themselves out, which frees nothing and stalls the machine. So a block is claimed only while
// one block plus a reserve (256 MB or 5 % of physical memory, whichever is larger) stays both
// in the commit headroom and in available physical memory.
bool roomForBlock(MemoryApi& memory) {
  const MemoryStatus status = memory.globalMemoryStatus();
  const uint64_t needed =
      modOptimize::kBlockBytes + std::max<uint64_t>(256ull << 20, status.totalPhys / 20);
  return status.availPageFile >= needed && status.availPhys >= needed;
}

}  // namespace

void frmMain::OptimizeRam(const int16_t& count) {
  using modOptimize::blnOptimizing;
  if (blnOptimizing || count == 0) return;

  skipOnErrorSteps(
      [&] { blnOptimizing = true; },
      [&] {
        ++lngRunNumber;
        intRunBlocks = count;
        intNextBlock = 0;
        blnRoomLeft = true;
      },
      [&] { varRamBlocks.assign(static_cast<size_t>(count) + 1, modOptimize::RamBlock()); },
      [&] {
        if (form.windowState() == forms::WindowState::Normal) intRefreshTicks = 5;
      },
      [&] { prgProgress.setMax(count); });
  NextOptimizeStep();
}

// Step by step, each step posted from the one before: whichever loop pumps (a dialog's, a
// menu's, a window move's) runs the next, so the run goes on and ends under any of them, and
// nothing it does waits for the user.
void frmMain::NextOptimizeStep() {
  bool posted = false;
  skipOnError([&] {
    // A step of a run given up (at a session's end) does nothing, even once another began.
    platform_.post([this, run = lngRunNumber] {
      if (run == lngRunNumber && modOptimize::blnOptimizing) OptimizeStep();
    });
    posted = true;
  });
  if (!posted) EndOptimizing();
}

void frmMain::OptimizeStep() {
  if (intNextBlock >= intRunBlocks) {
    EndOptimizing();
    return;
  }
  // Blocks for about one of the system's timer periods: a step costs the wait for the loop's
  // next turn, which a step this long hides, and input waits no longer than that.
  constexpr uint64_t kStepMs = 10;
  constexpr int kMostBlocksPerStep = 16;
  const uint64_t began = platform_.tickCount();
  for (int n = 0; n < kMostBlocksPerStep && intNextBlock < intRunBlocks &&
                  (n == 0 || platform_.tickCount() - began < kStepMs);
       ++n) {
    const auto i = static_cast<size_t>(intNextBlock++);
    // A block that cannot be made leaves its slot empty; the run goes on. Once memory is short,
    // the remaining slots stay empty too.
    skipOnErrorSteps(
        [&] {
          if (blnRoomLeft) blnRoomLeft = roomForBlock(platform_);
          if (blnRoomLeft) varRamBlocks.at(i) = modOptimize::NewRamBlock();
        },
        [&] { prgProgress.setValue(prgProgress.value() + 1.0f); });
  }
  NextOptimizeStep();
}

void frmMain::EndOptimizing() {
  skipOnErrorSteps(
      [&] { intRefreshTicks = form.windowState() == forms::WindowState::Normal ? 10 : 60; },
      [&] { std::vector<modOptimize::RamBlock>().swap(varRamBlocks); },
      [&] { prgProgress.setValue(0); }, [&] { lastRunEnded = platform_.tickCount(); },
      [&] { modOptimize::blnOptimizing = false; });
}

}  // namespace tarnwick
