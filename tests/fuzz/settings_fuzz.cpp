// libFuzzer over the settings file: start-up, applying, saving and loading again must hold
// for any bytes at all.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "settings_properties.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string failure =
      tarnwick::testing::checkSettingsFile(std::string(reinterpret_cast<const char*>(data), size));
  if (!failure.empty()) {
    std::fprintf(stderr, "%s\n", failure.c_str());
    std::abort();
  }
  return 0;
}
