// The stack canary, seeded first thing, before any code that checks it runs.
#pragma once

namespace tarnwick::win32 {

void seedStackGuard();

}  // namespace tarnwick::win32
