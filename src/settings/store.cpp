#include <array>
#include <functional>
#include <string>
#include <string_view>

#include "app/choices.h"
#include "app/frmMain.h"
#include "base/runtime.h"

namespace tarnwick {

namespace {

// The line table's defaults: the default file's RAM level ("Moderate"), no interval
// optimisation, 20 minutes, the low-memory trigger on at "30%", both priorities "Normal".
std::string defaultLine(int line) {
  constexpr std::array<const char*, frmMain::kLineNonActive + 1> kRest = {"",  "0", "20", "1",
                                                                          "2", "1", "0"};
  return line == frmMain::kLineRamLevel ? std::to_string(choices::kDefaultRamLevel) : kRest[line];
}
std::vector<std::string> defaultLines() {
  std::vector<std::string> lines;
  for (int line = 0; line <= frmMain::kLineNonActive; ++line) lines.push_back(defaultLine(line));
  return lines;
}
// Older editors start a file with it.
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
// Antivirus, backup and sync clients hold a file for a moment: a few tries over about a second
// for reading, half a second for replacing.
constexpr int kTries = 5;
constexpr unsigned kReadPauseMs = 250, kReplacePauseMs = 125;
// A save takes milliseconds: a temporary file older than this is left from one cut short.
constexpr uint64_t kLeftoverAgeMs = 60 * 1000;

// The file's bytes as text: single-byte in the system's code page, without the mark that older
// editors start a file with.
std::string settingsText(TextApi& text, std::string_view bytes) {
  if (bytes.substr(0, kUtf8Mark.size()) == kUtf8Mark) bytes.remove_prefix(kUtf8Mark.size());
  return bytes.empty() ? std::string() : text.ansiToUtf8(std::string(bytes));
}

// Lines end at CR; the character after a CR is taken to be its LF and dropped, whatever it is. A
// final line break adds no line; a lone CR at the end stops.
std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < text.size() && !(text.size() - at == 1 && text[at] == '\r')) {
    const size_t cr = text.find('\r', at);
    if (cr == std::string::npos) {
      lines.push_back(text.substr(at));
      break;
    }
    lines.push_back(text.substr(at, cr - at));
    at = std::min(cr + 2, text.size());
  }
  return lines;
}

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

// What a replace or a rename that did not go through leaves the save to do.
enum class Outcome {
  kDone,
  kAgain,   // both files keep their names; one is held for a moment (a scanner, an indexer)
  kRename,  // nothing to replace there (a volume that cannot, or the old file gone)
  kAside,   // the old file under the backup name, the new under its own: neither in place
  kFailed,
};

Outcome outcomeOf(uint32_t error) {
  switch (error) {
    case 0:
      return Outcome::kDone;
    case win::kErrorSharingViolation:
    case win::kErrorLockViolation:
    case win::kErrorAccessDenied:
    case win::kErrorUnableToRemoveReplaced:
    case win::kErrorUnableToMoveReplacement:  // with a backup name: both keep theirs
      return Outcome::kAgain;
    case win::kErrorUnableToMoveReplacement2:
      return Outcome::kAside;
    case win::kErrorInvalidFunction:
    case win::kErrorNotSupported:
    case win::kErrorCallNotImplemented:
    case win::kErrorFileNotFound:
      return Outcome::kRename;
    default:
      return Outcome::kFailed;
  }
}

// Tries until done or failed for good; a file held for a moment is waited out, about half a
// second in all, unless what the wait served made the save pointless (`given up`).
template <class Move>
Outcome retried(ClockApi& clock, Move move, const std::function<bool()>& givenUp = nullptr) {
  Outcome outcome = outcomeOf(move());
  for (int attempt = 1; outcome == Outcome::kAgain && attempt < kTries; ++attempt) {
    clock.sleep(kReplacePauseMs);
    if (givenUp && givenUp()) return Outcome::kFailed;
    outcome = outcomeOf(move());
  }
  return outcome;
}

// A save's own files beside the settings file: "<name>.<process>.<moment>.<bytes>.tmp" holds the
// new text, whole when it has that many bytes; "<name>.<process>.<moment>.old.tmp" the old file
// while it is replaced.
constexpr std::string_view kTemporary = ".tmp", kOld = "old";

// The newest of the files a save left in place of the settings file, if any is whole. Never an
// old file set aside: where a save left one with no settings file, its new file is there too,
// and newer; alone, it is what a finished save could not delete, and the user's deleting the
// settings file since asks for the defaults.
std::optional<FoundFile> leftSettings(Platform& os, const std::string& path) {
  const size_t slash = path.find_last_of('\\');
  std::optional<FoundFile> newest;
  for (const FoundFile& found :
       os.findFiles(path.substr(0, slash), path.substr(slash + 1) + ".", std::string(kTemporary))) {
    const std::string_view name = std::string_view(found.path).substr(0, found.path.size() - 4);
    const std::string_view size = name.substr(name.find_last_of('.') + 1);
    const auto bytes = size == kOld ? std::nullopt : parseNumber(size);
    const bool whole = bytes && [&] {
      const auto read = os.readWholeFile(found.path);
      return read && static_cast<double>(read->size()) == *bytes;
    }();
    if (whole && (!newest || found.ageMs < newest->ageMs)) newest = found;
  }
  return newest;
}

// Puts `bytes` at `path` without ever leaving a partial file there, nor fewer copies of the
// choices than there were: the text goes to a file of its own beside it, which then takes the
// settings file's place in one step, keeping what the system keeps with the file and the
// attributes it had (read-only, hidden). Where the old file stays in place, the new one goes;
// where neither could be put back, the new one stays for the next start. A wait serves what is
// sent meanwhile (a session's end, which saves by itself): `givenUp` says when to stop.
bool writeSafely(Platform& os, const std::string& path, const std::string& bytes, bool replace,
                 const std::function<bool()>& givenUp = nullptr) {
  const size_t slash = path.find_last_of('\\');
  const std::string folder = path.substr(0, slash), prefix = path.substr(slash + 1) + ".";
  makeFolder(os, folder);  // the user's folder, the first time
  // What a save cut short left behind, while the settings file is there to stand for it.
  // Another copy of the program (another user's session sharing the folder) may be writing its
  // own this moment: only what nobody holds and is older than any save goes.
  if (os.fileAttributes(path)) {
    for (const FoundFile& leftover : os.findFiles(folder, prefix, std::string(kTemporary)))
      if (leftover.ageMs >= kLeftoverAgeMs) os.deleteUnusedFile(leftover.path);
  }
  // A name of this process and moment alone, made new: a name taken beforehand (by another
  // copy, or anything put there) is passed over, never touched, and nothing there can stand in
  // for the save.
  const std::string own = path + "." + std::to_string(os.processId()) + ".";
  std::string temporary, backup;
  for (int attempt = 0; attempt < kTries && temporary.empty(); ++attempt) {
    const std::string moment = own + std::to_string(os.tickCount() + attempt) + ".";
    const std::string name = moment + std::to_string(bytes.size()) + std::string(kTemporary);
    if (os.fileAttributes(name)) continue;
    if (os.writeNewFile(name, bytes, true))
      temporary = name, backup = moment + std::string(kOld) + std::string(kTemporary);
    else if (!os.fileAttributes(name))
      return false;  // the write itself failed (a full disk): another name will not do better
  }
  if (temporary.empty()) return false;
  const auto attributes = replace ? os.fileAttributes(path) : std::nullopt;
  const bool special = attributes && *attributes != win::kFileAttributeNormal;
  if (special) os.setFileAttributes(path, win::kFileAttributeNormal);
  Outcome moved = retried(
      os,
      [&] {
        return replace ? os.replaceFile(temporary, path, backup)
                       : os.moveFile(temporary, path, false);
      },
      givenUp);
  // Never over a file a plain move must not replace (a hidden or system one of that name).
  if (replace && moved == Outcome::kRename)
    moved = retried(
        os, [&] { return os.moveFile(temporary, path, true); }, givenUp);
  if (moved == Outcome::kAside) {
    // The new file takes the name, or else the old one takes it back, given up or not.
    moved = retried(
        os, [&] { return os.moveFile(temporary, path, false); }, givenUp);
    if (moved != Outcome::kDone)
      retried(
          os, [&] { return os.moveFile(backup, path, false); }, nullptr);
  }
  if (special) os.setFileAttributes(path, *attributes);
  if (moved == Outcome::kDone) {
    os.deleteFile(backup);
    return true;
  }
  if (os.fileAttributes(path)) os.deleteFile(temporary);
  return false;
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

// Until the file is kept in the user's folder, the one beside the exe holds the choices; until a
// save puts the file back, one that a save left in its place.
std::string frmMain::SettingsReadPath(const std::string& strPath, const std::string& strFileName) {
  std::string kept = SettingsPath(strPath, strFileName);
  if (platform_.fileAttributes(kept)) return kept;
  if (!strSettingsLeft.empty()) return strSettingsLeft;
  std::string beside = platform_.exeFolder() + strPath + strFileName;
  return platform_.fileAttributes(beside) ? beside : kept;
}

void frmMain::CheckSettings() {
  std::string path;
  bool found = false;
  skipOnErrorSteps(
      [&] { found = platform_.findOrdinaryFile(SettingsReadPath(strPath, strFileName)); },
      [&] { path = SettingsPath(strPath, strFileName); },
      [&] {
        if (found || path.empty()) return;
        // A save that could put neither file in place left the choices in one of its own: it
        // takes the settings file's name, or else it is read where it is.
        if (const auto left = leftSettings(platform_, path)) {
          if (retried(platform_, [&] { return platform_.moveFile(left->path, path, false); }) !=
              Outcome::kDone)
            strSettingsLeft = left->path;
          return;
        }
        // Never over a hidden or system file of that name, which counts as absent.
        writeSafely(platform_, path, joinLines(defaultLines()), false);
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
                       // There but unreadable: it holds the user's choices, so it is not
                       // replaced unless the user changes one.
                       if (attempt == kTries) {
                         unreadable = true;
                         break;
                       }
                       platform_.sleep(kReadPauseMs);
                     }
                   },
                   [&] {
                     if (!strSettingsAsRead) return;
                     text = settingsText(platform_, *strSettingsAsRead);
                     platform_.doEvents();
                   },
                   [&] { platform_.doEvents(); },
                   [&] {
                     // No file at all (a medium that cannot be written): the default choices all
                     // the same.
                     if (!strSettingsAsRead && !unreadable) {
                       for (std::string& line : defaultLines()) SettingsList.addItem(line);
                       return;
                     }
                     for (std::string& line : splitLines(text)) {
                       SettingsList.addItem(std::move(line));
                       platform_.doEvents();
                     }
                   },
                   // Only now does the store hold the file: a save in a pump above would have
                   // written less.
                   [&] {
                     blnKeepSettingsFile = false;
                     blnSettingsUnread = unreadable;
                   });
}

// The file was held at start-up, and the user has changed a choice since: what it holds is read
// again, to be kept beside the change; held still, the store takes what the window shows.
void frmMain::ReadHeldSettings() {
  blnSettingsUnread = false;
  std::optional<std::string> bytes;
  skipOnError([&] { bytes = platform_.readWholeFile(SettingsReadPath(strPath, strFileName)); });
  std::vector<std::string> lines = {std::to_string(optRAMLevel.selected()),
                                    std::to_string(chkAutoOptimize[0].value()),
                                    txtInterval.text(),
                                    std::to_string(chkAutoOptimize[1].value()),
                                    std::to_string(cbbPercent.listIndex()),
                                    std::to_string(optActive.selected()),
                                    std::to_string(optNonActive.selected())};
  if (bytes) lines = splitLines(settingsText(platform_, *bytes));
  strSettingsAsRead = bytes;
  for (std::string& line : lines) lstSettings.addItem(std::move(line));
}

void frmMain::SaveSettingsToFile(const std::string& strPath, const std::string& strFileName,
                                 forms::ListBox& lstSettingsList) {
  // Never over a file not read yet, or unreadable: it still holds the user's choices.
  if (blnKeepSettingsFile || blnSettingsUnread) return;
  std::string path, text;
  skipOnErrorSteps([&] { path = SettingsPath(strPath, strFileName); },
                   [&] { text = platform_.utf8ToAnsi(joinLines(lstSettingsList.items())); },
                   [&] { platform_.doEvents(); },
                   [&] {
                     // Ended in the pump above, with the choices saved there: once is enough.
                     if (path.empty() || blnEnded) return;
                     // A file in a shape the program does not write (other line ends, UTF-16)
                     // stays as it is until the user changes a choice.
                     if (!blnChoicesChanged && strSettingsAsRead && text != *strSettingsAsRead)
                       return;
                     // Traced for a debugger; the old file stays.
                     if (!writeSafely(platform_, path, text, true, [this] { return blnEnded; }))
                       throw RuntimeError("The settings file could not be replaced");
                   });
}

void frmMain::SetSettingsLine(SettingsLine line, std::string text) {
  if (blnSettingsUnread) ReadHeldSettings();
  blnChoicesChanged = true;
  while (lstSettings.listCount() < line) lstSettings.addItem(defaultLine(lstSettings.listCount()));
  if (lstSettings.listCount() == line)
    lstSettings.addItem(std::move(text));
  else
    lstSettings.setItem(line, std::move(text));
}

}  // namespace tarnwick
