// What must hold for any settings file at all: shared by the property test and the fuzzer.
#pragma once

#include <string>
#include <vector>

#include "app/frmMain.h"
#include "memory/modOptimize.h"
#include "platform/fake/fake_platform.h"

namespace tarnwick::testing {

// Starts the program over `bytes` as its settings file, then saves and loads again. Returns
// an empty text when every property holds, or what went wrong.
inline std::string checkSettingsFile(const std::string& bytes) {
  modOptimize::blnOptimizing = false;
  FakePlatform os;
  os.memory = {2048ull << 20, 1024ull << 20, 1024ull << 20};
  const std::string path = os.folder + "\\Settings.qkv";
  os.files[path] = {bytes};
  frmMain form(os);
  form.Form_Load();  // must not throw or crash, whatever the file holds
  if (form.blnLoading) return "start-up did not finish";
  if (form.lblTotalRam.caption() != "2048 MB") return "the window did not come up";
  if (os.files[path].bytes != bytes) return "start-up changed the file";

  const std::vector<std::string> loaded = form.lstSettings.items();
  form.SaveSettingsToFile("\\", "Settings.qkv", form.lstSettings);
  const std::string saved = os.files[path].bytes;
  if (os.files.size() != 1) return "a temporary file was left behind";

  form.LoadFiles("\\", "Settings.qkv", form.lstSettings);
  // A final empty line cannot be told from the line break a file may end with, so only a
  // store whose last line holds something comes back whole.
  if (!loaded.empty() && !loaded.back().empty() && form.lstSettings.items() != loaded)
    return "loading what was saved gave another store";
  form.SaveSettingsToFile("\\", "Settings.qkv", form.lstSettings);
  form.LoadFiles("\\", "Settings.qkv", form.lstSettings);
  form.SaveSettingsToFile("\\", "Settings.qkv", form.lstSettings);
  if (!loaded.empty() && !loaded.back().empty() && os.files[path].bytes != saved)
    return "the bytes saved changed from one save to the next";

  // A file written as lines joined by CR LF, without stray CRs, comes back byte for byte.
  const bool plain = bytes.find('\r') == std::string::npos || [&] {
    for (size_t at = bytes.find('\r'); at != std::string::npos; at = bytes.find('\r', at + 2))
      if (at + 1 >= bytes.size() || bytes[at + 1] != '\n') return false;
    return bytes.size() < 2 || bytes.compare(bytes.size() - 2, 2, "\r\n") != 0;
  }();
  if (plain && !(loaded.size() == 1 && loaded[0].empty()) && saved != bytes)
    return "the bytes saved are not the bytes loaded";
  return "";
}

}  // namespace tarnwick::testing
