#include <array>

#include "app/frmMain.h"
#include "base/runtime.h"

namespace tarnwick {

namespace {

// The line table's defaults: "Moderate", no interval optimisation, 20 minutes, the low-memory
// trigger on at "30%", both priorities "Normal".
constexpr std::array<const char*, 7> kDefaultLines = {"1", "0", "20", "1", "2", "1", "0"};

std::string joinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (size_t i = 0; i < lines.size(); ++i) {
    text += lines[i];
    if (i + 1 < lines.size()) text += "\r\n";
  }
  return text;
}

// Puts `bytes` at `path` without ever leaving a partial file there: the text goes to a
// temporary file beside it, which then takes the settings file's place in one rename. On any
// failure the old file stays as it was and the temporary file is removed.
bool writeSafely(FileApi& files, const std::string& path, const std::string& bytes, bool replace) {
  const std::string temporary = path + ".tmp";
  if (!files.writeNewFile(temporary, bytes, false)) {
    files.deleteFile(temporary);
    return false;
  }
  const auto attributes = replace ? files.fileAttributes(path) : std::nullopt;
  if (attributes && *attributes != FileApi::kNormal)
    files.setFileAttributes(path, FileApi::kNormal);
  if (files.moveFile(temporary, path, replace)) return true;
  if (attributes && *attributes != FileApi::kNormal) files.setFileAttributes(path, *attributes);
  files.deleteFile(temporary);
  return false;
}

}  // namespace

void frmMain::CheckSettings() {
  std::string path;
  bool found = false;
  skipOnErrorSteps([&] { path = platform_.exeFolder() + "\\" + strFileName; },
                   [&] { found = platform_.findOrdinaryFile(path); },
                   [&] {
                     if (found) return;
                     const std::vector<std::string> defaults(kDefaultLines.begin(),
                                                             kDefaultLines.end());
                     // Never over a hidden or system file of that name, which counts as absent.
                     writeSafely(platform_, path, joinLines(defaults), false);
                   });
}

void frmMain::LoadFiles(const std::string& strPath, const std::string& strFileName,
                        forms::ListBox& SettingsList) {
  std::string text;
  std::optional<std::string> content;
  skipOnErrorSteps(
      [&] { SettingsList.clear(); },
      [&] { content = platform_.readWholeFile(platform_.exeFolder() + strPath + strFileName); },
      [&] {
        if (content && !content->empty()) {
          text = platform_.ansiToUtf8(*content);
          platform_.doEvents();
        }
      },
      [&] { platform_.doEvents(); },
      [&] {
        // Lines end at CR; the character after a CR is taken to be its LF and dropped,
        // whatever it is. A final line break adds no line; a lone CR at the end stops.
        size_t at = 0;
        while (at < text.size() && !(text.size() - at == 1 && text[at] == '\r')) {
          const size_t cr = text.find('\r', at);
          if (cr == std::string::npos) {
            SettingsList.addItem(text.substr(at));
            break;
          }
          SettingsList.addItem(text.substr(at, cr - at));
          at = std::min(cr + 2, text.size());
          platform_.doEvents();
        }
      });
}

void frmMain::SaveSettingsToFile(const std::string& strPath, const std::string& strFileName,
                                 forms::ListBox& lstSettingsList) {
  std::string path, text;
  skipOnErrorSteps([&] { path = platform_.exeFolder() + strPath + strFileName; },
                   [&] { text = platform_.utf8ToAnsi(joinLines(lstSettingsList.items())); },
                   [&] { platform_.doEvents(); },
                   [&] { writeSafely(platform_, path, text, true); });
}

void frmMain::SetSettingsLine(int line, std::string text) {
  while (lstSettings.listCount() < line) {
    const auto missing = static_cast<size_t>(lstSettings.listCount());
    lstSettings.addItem(missing < kDefaultLines.size() ? kDefaultLines[missing] : "");
  }
  if (lstSettings.listCount() == line)
    lstSettings.addItem(std::move(text));
  else
    lstSettings.setItem(line, std::move(text));
}

}  // namespace tarnwick
