#include "platform/fake/fake_platform.h"

namespace tarnwick {

void FakePlatform::doEvents() {
  ++pumps;
  // Events posted by the events run now wait for the next pump, as new messages would.
  auto batch = std::move(pending);
  pending.clear();
  for (auto& event : batch) event();
  if (onPump) onPump();
}

}  // namespace tarnwick
