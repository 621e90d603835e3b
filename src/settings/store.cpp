#include <array>
#include <string>
#include <string_view>

#include "app/frmMain.h"
#include "base/runtime.h"

namespace tarnwick {

namespace {

// The line table's defaults: "Moderate", no interval optimisation, 20 minutes, the low-memory
// trigger on at "30%", both priorities "Normal".
constexpr std::array<const char*, frmMain::kLineNonActive + 1> kDefaultLines = {"1", "0", "20", "1",
                                                                                "2", "1", "0"};
// Older editors start a file with it.
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
// Antivirus, backup and sync clients hold a file for a moment: a few tries over about a second
// for reading, half a second for replacing.
constexpr int kTries = 5;
constexpr unsigned kReadPauseMs = 250, kReplacePauseMs = 125;
// A save takes milliseconds: a temporary file older than this is left from one cut short.
constexpr uint64_t kLeftoverAgeMs = 60 * 1000;

std::string joinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (size_t i = 0; i < lines.size(); ++i) {
    text += lines[i];
    if (i + 1 < lines.size()) text += "\r\n";
  }
  return text;
}

// The system makes one folder at a time, in a folder that is there: those above it first.
bool makeFolder(FileApi& files, const std::string& folder) {
  if (files.createFolder(folder)) return true;
  const size_t slash = folder.find_last_of('\\');
  return slash != std::string::npos && slash > 2 && makeFolder(files, folder.substr(0, slash)) &&
         files.createFolder(folder);
}

// Puts `bytes` at `path` without ever leaving a partial file there: the text goes to a
// temporary file beside it, which then takes the settings file's place in one step, keeping what
// the system keeps with the file and the attributes it had (read-only, hidden). On any failure
// the old file stays as it was and the temporary file is removed.
bool writeSafely(Platform& os, const std::string& path, const std::string& bytes, bool replace) {
  const size_t slash = path.find_last_of('\\');
  const std::string folder = path.substr(0, slash), prefix = path.substr(slash + 1) + ".";
  makeFolder(os, folder);  // the user's folder, the first time
  // What a save cut short left behind. Another copy of the program (another user's session
  // sharing the folder) may be writing its own this moment: only what nobody holds and is older
  // than any save takes.
  for (const FoundFile& leftover : os.findFiles(folder, prefix, ".tmp"))
    if (leftover.ageMs >= kLeftoverAgeMs) os.deleteUnusedFile(leftover.path);
  // A name of this process and moment alone, made new: a name taken beforehand (by another
  // copy, or anything put there) is passed over, never touched, and nothing there can stand in
  // for the save.
  const std::string own = path + "." + std::to_string(os.processId()) + ".";
  std::string temporary;
  for (int attempt = 0; attempt < kTries && temporary.empty(); ++attempt) {
    const std::string name = own + std::to_string(os.tickCount() + attempt) + ".tmp";
    if (os.fileAttributes(name)) continue;
    if (os.writeNewFile(name, bytes, true))
      temporary = name;
    else if (!os.fileAttributes(name))
      return false;  // the write itself failed (a full disk): another name will not do better
  }
  if (temporary.empty()) return false;
  const auto attributes = replace ? os.fileAttributes(path) : std::nullopt;
  const bool special = attributes && *attributes != win::kFileAttributeNormal;
  if (special) os.setFileAttributes(path, win::kFileAttributeNormal);
  FileMove moved = FileMove::kFailed;
  for (int attempt = 1; attempt <= kTries; ++attempt) {
    moved = replace ? os.replaceFile(temporary, path) : os.moveFile(temporary, path, false);
    // A volume that cannot replace (some shares), or a file gone meanwhile: a rename instead.
    if (moved == FileMove::kUnsupported) moved = os.moveFile(temporary, path, true);
    // Only a file another program holds for a moment is worth waiting for.
    if (moved != FileMove::kBusy || attempt == kTries) break;
    os.sleep(kReplacePauseMs);
  }
  if (special) os.setFileAttributes(path, *attributes);
  if (moved != FileMove::kDone) os.deleteFile(temporary);
  return moved == FileMove::kDone;
}

}  // namespace

// Beside the exe wherever that folder can be written (the zip unpacked anywhere, the per-user
// install); in Program Files or on a read-only share, in the user's own application-data
// folder, so that no choice is ever lost to a folder the user cannot write.
std::string frmMain::SettingsPath(const std::string& strPath, const std::string& strFileName) {
  const std::string folder = platform_.exeFolder();
  // Without it the path would name the drive's root.
  if (folder.empty()) throw RuntimeError("Path not found");
  std::string beside = folder + strPath + strFileName;
  if (platform_.folderWritable(folder)) return beside;
  const std::string local = platform_.localAppDataFolder();
  return local.empty() ? beside : local + "\\" + kAppTitle + strPath + strFileName;
}

// Until the file is kept in the user's folder, the one beside the exe holds the choices.
std::string frmMain::SettingsReadPath(const std::string& strPath, const std::string& strFileName) {
  std::string kept = SettingsPath(strPath, strFileName);
  std::string beside = platform_.exeFolder() + strPath + strFileName;
  if (kept == beside || platform_.fileAttributes(kept) || !platform_.fileAttributes(beside))
    return kept;
  return beside;
}

void frmMain::CheckSettings() {
  std::string path;
  bool found = false;
  skipOnErrorSteps(
      [&] { found = platform_.findOrdinaryFile(SettingsReadPath(strPath, strFileName)); },
      [&] { path = SettingsPath(strPath, strFileName); },
      [&] {
        if (found || path.empty()) return;
        const std::vector<std::string> defaults(kDefaultLines.begin(), kDefaultLines.end());
        // Never over a hidden or system file of that name, which counts as absent.
        writeSafely(platform_, path, joinLines(defaults), false);
      });
}

void frmMain::LoadFiles(const std::string& strPath, const std::string& strFileName,
                        forms::ListBox& SettingsList) {
  std::string text;
  bool unreadable = false;
  skipOnErrorSteps([&] { SettingsList.clear(); },
                   [&] {
                     strSettingsAsRead.reset();
                     const std::string path = SettingsReadPath(strPath, strFileName);
                     for (int attempt = 1;; ++attempt) {
                       strSettingsAsRead = platform_.readWholeFile(path);
                       if (strSettingsAsRead || !platform_.fileAttributes(path)) break;
                       // There but unreadable: it holds the user's choices, so this run never
                       // replaces it.
                       if (attempt == kTries) {
                         unreadable = true;
                         break;
                       }
                       platform_.sleep(kReadPauseMs);
                     }
                   },
                   [&] {
                     if (!strSettingsAsRead || strSettingsAsRead->empty()) return;
                     std::string_view bytes = *strSettingsAsRead;
                     if (bytes.substr(0, kUtf8Mark.size()) == kUtf8Mark)
                       bytes.remove_prefix(kUtf8Mark.size());
                     text = platform_.ansiToUtf8(std::string(bytes));
                     platform_.doEvents();
                   },
                   [&] { platform_.doEvents(); },
                   [&] {
                     // No file at all (a medium that cannot be written): the default choices all
                     // the same.
                     if (!strSettingsAsRead && !unreadable) {
                       for (const char* line : kDefaultLines) SettingsList.addItem(line);
                       return;
                     }
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
                   },
                   // Only now does the store hold the file: a save in a pump above would have
                   // written less.
                   [&] { blnKeepSettingsFile = unreadable; });
}

void frmMain::SaveSettingsToFile(const std::string& strPath, const std::string& strFileName,
                                 forms::ListBox& lstSettingsList) {
  // Never over a file not read yet, or unreadable: it still holds the user's choices.
  if (blnKeepSettingsFile) return;
  std::string path, text;
  skipOnErrorSteps([&] { path = SettingsPath(strPath, strFileName); },
                   [&] { text = platform_.utf8ToAnsi(joinLines(lstSettingsList.items())); },
                   [&] { platform_.doEvents(); },
                   [&] {
                     if (path.empty()) return;
                     // A file in a shape the program does not write (other line ends, UTF-16)
                     // stays as it is until the user changes a choice.
                     if (!blnChoicesChanged && strSettingsAsRead && text != *strSettingsAsRead)
                       return;
                     // Traced for a debugger; the old file stays.
                     if (!writeSafely(platform_, path, text, true))
                       throw RuntimeError("The settings file could not be replaced");
                   });
}

void frmMain::SetSettingsLine(SettingsLine line, std::string text) {
  blnChoicesChanged = true;
  while (lstSettings.listCount() < line) {
    const auto missing = static_cast<size_t>(lstSettings.listCount());
    lstSettings.addItem(kDefaultLines[missing]);
  }
  if (lstSettings.listCount() == line)
    lstSettings.addItem(std::move(text));
  else
    lstSettings.setItem(line, std::move(text));
}

}  // namespace tarnwick
