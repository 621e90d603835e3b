#include <windows.h>

namespace {

// Older MinGW headers still call the field by its first name; its place is the same.
template <typename Config>
constexpr void setDependentLoadFlags(Config& config, WORD flags) noexcept {
  if constexpr (requires { config.DependentLoadFlags; })
    config.DependentLoadFlags = flags;
  else
    config.Reserved1 = flags;
}

constexpr IMAGE_LOAD_CONFIG_DIRECTORY64 loadConfig() noexcept {
  IMAGE_LOAD_CONFIG_DIRECTORY64 config{};
  config.Size = sizeof config;
  setDependentLoadFlags(config, LOAD_LIBRARY_SEARCH_SYSTEM32);
  return config;
}

}  // namespace

// The loader reads this before the program's first line: the libraries it resolves for the
// exe's imports, and those the common controls load for themselves, come from the system folder
// alone, never from beside the exe. The linker points the image's load-configuration directory
// here by the symbol's name (the build keeps it with -u).
extern "C" constinit const IMAGE_LOAD_CONFIG_DIRECTORY64 _load_config_used = loadConfig();
