// The settings file: what is read, what is written, and what is never lost.
#include "base/runtime.h"
#include "test_support.h"

namespace tarnwick {
namespace {

using testing::kDefaultFile;
using testing::Lines;

// The seven controls ApplySettings sets.
struct Choices {
  int level, every;
  std::string interval;
  int low, percent, active, nonActive;
  bool operator==(const Choices&) const = default;
  friend std::ostream& operator<<(std::ostream& out, const Choices& c) {
    return out << "level " << c.level << ", every " << c.every << " \"" << c.interval << "\", low "
               << c.low << ", percent " << c.percent << ", active " << c.active << ", others "
               << c.nonActive;
  }
};
Choices choicesOf(const frmMain& f) {
  return {f.optRAMLevel.selected(),     f.chkAutoOptimize[0].value(), f.txtInterval.text(),
          f.chkAutoOptimize[1].value(), f.cbbPercent.listIndex(),     f.optActive.selected(),
          f.optNonActive.selected()};
}
Choices designTime() {
  return {2, 0, "0", 0, -1, 1, 0};
}
Choices defaultChoices() {
  return {1, 0, "20", 1, 2, 1, 0};
}

int traces = 0;  // failures traced for a debugger

class SettingsTest : public ::testing::Test {
 protected:
  SettingsTest() { modOptimize::blnOptimizing = false; }
  // Starts a window over a settings file holding `bytes` (none: no file).
  frmMain& start(std::optional<std::string> bytes, uint32_t attributes = 0x80) {
    if (bytes) os.files[os.settingsPath()] = {*bytes, attributes};
    window.reset();
    EXPECT_TRUE(os.timers.empty() && !os.events.trayIcon) << "a window gone, still called back";
    window = std::make_unique<frmMain>(os);
    window->Form_Load();
    return *window;
  }
  void save(frmMain& form) { form.SaveSettingsToFile("\\", "Settings.qkv", form.lstSettings); }
  FakePlatform os;
  std::unique_ptr<frmMain> window;
};

TEST_F(SettingsTest, StartUpWritesTheDefaultFileWhenThereIsNoneAndShowsItsChoices) {
  frmMain& form = start(std::nullopt);
  EXPECT_EQ(os.settingsFile(), kDefaultFile);
  EXPECT_EQ(choicesOf(form), defaultChoices());
  EXPECT_EQ(form.intRamLevel, 15) << "the choices shown are the ones in force";
  EXPECT_FLOAT_EQ(form.sngFreeLimit, 0.3f);
  save(form);
  EXPECT_EQ(os.settingsFile(), kDefaultFile);

  os.files = {{os.settingsPath(), {"0\r\n1", FakePlatform::kHidden}}};
  start(std::nullopt);
  EXPECT_EQ(os.settingsFile(), "0\r\n1")
      << "a hidden file counts as absent but is never overwritten";
  os.files.clear();
  os.failing = [](const std::string& op, const std::string&) { return op == "writeNewFile"; };
  EXPECT_EQ(choicesOf(start(std::nullopt)), defaultChoices()) << "a medium that cannot be written";
  os.failing = nullptr;
  os.folder = "";  // the program's folder cannot be found: no file at the drive's root
  frmMain& rootless = start(std::nullopt);
  EXPECT_EQ(choicesOf(rootless), defaultChoices());
  rootless.SetSettingsLine(frmMain::kLineRamLevel, "0");
  save(rootless);
  EXPECT_TRUE(os.files.empty());
}

struct Shape {
  const char* name;
  std::string bytes;
  Lines lines;
  std::string canonical;  // what a save writes once a choice has changed
};

TEST_F(SettingsTest, LinesSplitAtCrAndAFileIsRewrittenInItsOwnShapeOnlyAfterAChange) {
  const Shape shapes[] = {
      {"defaults", kDefaultFile, {"1", "0", "20", "1", "2", "1", "0"}, kDefaultFile},
      {"final CR LF adds no line", "1\r\n2\r\n", {"1", "2"}, "1\r\n2"},
      {"CR LF CR LF gives an empty line", "1\r\n\r\n2", {"1", "", "2"}, "1\r\n\r\n2"},
      {"LF alone does not split", "1\n2\n", {"1\n2\n"}, "1\n2\n"},
      {"only CR LF", "\r\n", {""}, ""},
      {"lone CR at the end", "0\r", {"0"}, "0"},
      {"only CR", "\r", {}, ""},
      {"CR-only line ends",
       "2\r1\r5\r0\r1\r0\r1",
       {"2", "", "", "", "", ""},
       "2\r\n\r\n\r\n\r\n\r\n"},
      {"UTF-16",
       std::string("1\0\r\0\n\0", 6),
       {std::string("1\0", 2), std::string("\n\0", 2)},
       std::string("1\0\r\n\n\0", 6)},
      {"empty file", "", {}, ""},
      {"a UTF-8 mark is skipped",
       "\xEF\xBB\xBF"
       "2\r\n 1 ",
       {"2", " 1 "},
       "2\r\n 1 "},
      {"nine lines",
       "1\r\n0\r\n20\r\n1\r\n2\r\n1\r\n0\r\nextra\r\n9",
       {"1", "0", "20", "1", "2", "1", "0", "extra", "9"},
       "1\r\n0\r\n20\r\n1\r\n2\r\n1\r\n0\r\nextra\r\n9"},
  };
  for (const Shape& shape : shapes) {
    SCOPED_TRACE(shape.name);
    frmMain& window = start(shape.bytes);
    EXPECT_EQ(window.lstSettings.items(), shape.lines);
    window.lblCmdMinimize_Click();
    window.mnuPopupExit_Click();
    EXPECT_EQ(os.settingsFile(), shape.bytes) << "minimise and exit leave it as it was";
    frmMain& again = start(std::nullopt);
    if (!shape.lines.empty()) again.SetSettingsLine(frmMain::kLineRamLevel, shape.lines[0]);
    save(again);
    EXPECT_EQ(os.settingsFile(), shape.lines.empty() ? shape.bytes : shape.canonical);
    EXPECT_EQ(os.files.size(), 1u) << "a temporary file left";
  }
}

TEST_F(SettingsTest, ShortLocksAreWaitedOutAndAFileNeverReadIsNeverReplaced) {
  // Held by another program for the first four reads, about a second; then all replaces but the
  // last refused, as a sync client does with a file just written.
  int readRefusals = 4, replaceRefusals = 4;
  os.failing = [&](const std::string& op, const std::string&) {
    return (op == "readWholeFile" && readRefusals-- > 0)    ? 1u
           : (op == "replaceFile" && replaceRefusals-- > 0) ? 32u  // a sharing violation
                                                            : 0u;
  };
  uint64_t before = os.ticks;
  frmMain& form = start("2\r\n1\r\n7\r\n0\r\n0\r\n0\r\n1");
  EXPECT_EQ(choicesOf(form), (Choices{2, 1, "7", 0, 0, 0, 1}));
  EXPECT_TRUE(os.ticks - before >= 750 && os.ticks - before <= 1500) << "about a second";
  before = os.ticks;
  form.SetSettingsLine(frmMain::kLineRamLevel, "1");
  save(form);
  EXPECT_EQ(os.settingsFile().substr(0, 3), "1\r\n");
  EXPECT_TRUE(os.ticks - before >= 250 && os.ticks - before <= 600) << "about half a second";
  replaceRefusals = 99, before = os.ticks;
  form.SetSettingsLine(frmMain::kLineRamLevel, "0");
  save(form);
  EXPECT_LE(os.ticks - before, 600u) << "held for good: given up after about half a second";

  os.failing = [](const std::string& op, const std::string&) { return op == "readWholeFile"; };
  frmMain& locked = start("2\r\n1\r\n7");
  EXPECT_EQ(choicesOf(locked), designTime()) << "the controls keep what they hold";
  locked.lblCmdMinimize_Click();
  EXPECT_EQ(os.settingsFile(), "2\r\n1\r\n7") << "kept until a choice changes";
  locked.optRAMLevel.select(0);
  locked.SessionEnding();
  EXPECT_EQ(os.settingsFile(), "0\r\n0\r\n0\r\n0\r\n-1\r\n1\r\n0") << "what the window shows";
  EXPECT_EQ(os.ends, 1);
  // Let go by the time a choice changes: what it holds stays beside the change.
  frmMain& later = start("2\r\n1\r\n7");
  os.failing = nullptr;
  later.optActive.select(0);
  later.lblCmdMinimize_Click();
  EXPECT_EQ(os.settingsFile(), "2\r\n1\r\n7\r\n1\r\n2\r\n0");
}

TEST_F(SettingsTest, AFolderThatCannotBeWrittenKeepsTheChoicesInTheUsersOwnFolder) {
  const std::string mine = os.localAppData + "\\Tarnwick Demo\\Settings.qkv";
  const std::string placed = "2\r\n1\r\n7\r\n0\r\n0\r\n0\r\n1";
  os.readOnly = {os.folder};  // Program Files, to a standard user
  os.files[os.settingsPath()] = {placed};
  frmMain& first = start(std::nullopt);
  EXPECT_EQ(choicesOf(first), (Choices{2, 1, "7", 0, 0, 0, 1})) << "read from beside the exe";
  first.optRAMLevel.select(0);
  first.lblCmdMinimize_Click();
  EXPECT_EQ(os.files[mine].bytes, "0" + placed.substr(1));
  EXPECT_EQ(os.settingsFile(), placed) << "the exe's folder untouched";
  EXPECT_EQ(choicesOf(start(std::nullopt)), (Choices{0, 1, "7", 0, 0, 0, 1}))
      << "the user's own file comes first";
  os.files.clear();
  os.absentFolders = {os.localAppData};  // made one folder at a time
  start(std::nullopt);
  EXPECT_EQ(os.files[mine].bytes, kDefaultFile) << "none anywhere: the defaults, in the user's";
  EXPECT_EQ(os.files.size(), 1u);
}

TEST_F(SettingsTest, ASaveLeavesTheOldChoicesOrTheNewForTheNextStartWhateverFailsOrLiesInTheWay) {
  const std::string old = "1\r\n0\r\n45\r\n1\r\n2\r\n1\r\n0",
                    fresh = "1\r\n0\r\n5\r\n1\r\n2\r\n1\r\n0";
  // A step failing (a replace once, in each of ReplaceFileW's documented states), and what the
  // next start finds, 'n'ew or 'o'ld: with every rename working, the new file's failing, all
  // failing (at that start too).
  const std::tuple<const char*, uint32_t, const char*> failures[] = {
      {"writeNewFile", 1, "ooo"}, {"fileAttributes", 1, "ooo"}, {"setFileAttributes", 1, "nnn"},
      {"deleteFile", 1, "nnn"},   {"replaceFile", 1175, "nnn"}, {"replaceFile", 1176, "nnn"},
      {"replaceFile", 5, "nnn"},  {"replaceFile", 32, "nnn"},   {"replaceFile", 1177, "non"},
      {"replaceFile", 1, "noo"},  {"replaceFile", 87, "ooo"},   {"", 0, "nnn"}};
  for (const auto& [step, error, found] : failures) {
    for (const int renames : {0, 1, 2}) {
      for (const uint32_t attributes : {0x80u, FakePlatform::kReadOnly | FakePlatform::kHidden}) {
        SCOPED_TRACE(::testing::Message()
                     << step << " " << error << " " << renames << " " << attributes);
        os.failing = nullptr;
        os.files = {{os.settingsPath(), {old, attributes, "its security"}}};
        frmMain& form = start(std::nullopt);
        form.SetSettingsLine(frmMain::kLineInterval, "5");
        // A folder where this save's temporary file would go first, after its pump.
        const std::string own = os.settingsPath() + ".4242.";
        os.files[own + std::to_string(os.ticks + 1) + ".19.tmp"] = {"", FakePlatform::kFolder};
        const std::string taken = own + std::to_string(os.ticks + 2) + ".19.tmp";
        const auto renameFails = [&, renames = renames](const std::string& op,
                                                        const std::string& path) {
          return op == "moveFile" && (renames == 2 || (renames == 1 && path == taken)) ? 32u : 0u;
        };
        int calls = 0;
        os.failing = [&, step = step, error = error](const std::string& op,
                                                     const std::string& path) {
          if (op == step && (op != "replaceFile" || calls++ == 0)) return error;
          return renameFails(op, path);
        };
        traces = 0;
        traceFailure = [](const char*) noexcept { ++traces; };
        save(form);
        traceFailure = nullptr;
        EXPECT_EQ(traces > 0, os.settingsFile().find("\n5\r") == std::string::npos)
            << "a save that did not take the settings file's place says so, and only that one";
        const bool special = attributes != 0x80u && *step == 's';  // its read-only stays
        const bool fromNew = found[renames] == 'n' && !special;
        if (os.files.count(os.settingsPath())) {
          EXPECT_EQ(os.files[os.settingsPath()].attributes, attributes) << "kept, replaced or not";
          EXPECT_EQ(os.files[os.settingsPath()].kept,
                    fromNew && error == 1 && *step == 'r' ? "" : "its security");
          // The old one kept aside over the replace, where it cannot be deleted, goes later.
          EXPECT_EQ(os.files.size(), *step == 'd' ? 3u : 2u) << "a file left";
        }
        // The user deletes the file to start afresh: the old one kept aside stays aside.
        const bool reset = *step == 'd';
        if (reset) os.files.erase(os.settingsPath());
        os.failing = renameFails;
        EXPECT_EQ(choicesOf(start(std::nullopt)).interval, reset ? "20" : fromNew ? "5" : "45");
        os.failing = nullptr;
        window->lblCmdMinimize_Click();
        EXPECT_EQ(os.settingsFile(), reset     ? kDefaultFile
                                     : fromNew ? fresh
                                               : old)
            << "saved in place again";
      }
    }
  }
}

// Two users' sessions sharing the exe's folder each run a copy, which saves beside the other.
TEST_F(SettingsTest, ASaveTouchesOnlyItsOwnFilesAndWhatAnotherCopyLeftLongAgo) {
  frmMain& form = start(kDefaultFile);
  // The name it would take first: of the moment it saves, after its pump.
  const std::string mine = os.settingsPath() + ".4242." + std::to_string(os.ticks + 1) + ".19.tmp";
  const std::string writing = os.settingsPath() + ".77.1.tmp",
                    held = os.settingsPath() + ".77.2.tmp", left = os.settingsPath() + ".77.3.tmp";
  os.files[mine] = {"another copy's", 0x80, "", os.ticks};
  // Their ages as the save finds them, after its pump: a minute less a moment, a minute.
  os.files[writing] = {"being written", 0x80, "", os.ticks + 1 - 59999};
  os.files[held] = {"held", 0x80, "", 0};
  os.files[left] = {"cut short", 0x80, "", os.ticks + 1 - 60000};
  os.held = {held};
  form.SetSettingsLine(frmMain::kLineInterval, "5");
  save(form);
  EXPECT_EQ(os.settingsFile().substr(6, 1), "5") << "saved under a name of its own";
  EXPECT_EQ(os.files[mine].bytes, "another copy's") << "a taken name is passed over";
  EXPECT_TRUE(os.files.count(writing)) << "one written this minute stays";
  EXPECT_TRUE(os.files.count(held)) << "one held open stays";
  EXPECT_FALSE(os.files.count(left)) << "an old leftover nobody holds goes";
  EXPECT_EQ(os.files.size(), 4u);
  for (int i = 1; i <= 6; ++i)
    os.files[os.settingsPath() + ".4242." + std::to_string(os.ticks + i) + ".19.tmp"] = {
        "taken", 0x80, "", os.ticks};
  form.SetSettingsLine(frmMain::kLineInterval, "6");
  save(form);
  EXPECT_EQ(os.settingsFile().substr(6, 1), "5") << "every name taken: given up, never looping";
}

TEST_F(SettingsTest, EachLineIsAppliedUntilTheFirstThatDoesNotFitAndTheStoreIsKept) {
  const std::pair<Lines, Choices> cases[] = {
      {{"1.9", " 1 ", "+7", "2", "-1", "0", "1"}, {1, 1, "+7", 2, -1, 0, 1}},
      {{"0", "1", "5", "x", "0", "0", "1"}, {0, 1, "5", 0, -1, 1, 0}},
      {{"3", "1", "5", "1", "0", "0", "1"}, designTime()},
      {{}, designTime()},
      {{"0", "1", "abc"}, {0, 1, "abc", 0, -1, 1, 0}},
      {{"1", "40000", "5"}, {1, 0, "0", 0, -1, 1, 0}},
      {{"1", "3"}, {1, 0, "0", 0, -1, 1, 0}},
      {{"1", "0", "", "1", "3", "0", "1"}, {1, 0, "", 1, -1, 1, 0}},
      {{"1", "0", std::string(1 << 20, '7'), "1", "2", "1", "0"}, {1, 0, "77777", 1, 2, 1, 0}},
  };
  for (const auto& [lines, shown] : cases) {
    frmMain window(os);
    for (const auto& line : lines) window.lstSettings.addItem(line);
    window.blnLoading = true;
    try {
      window.ApplySettings();
    } catch (const std::exception&) {
    }
    EXPECT_EQ(window.lstSettings.items(), lines) << "applying never writes the store";
    EXPECT_EQ(choicesOf(window), shown);
  }
  os.separator = ",";
  frmMain& form = start("1,9\r\n0\r\n2,5\r\n1\r\n0,5\r\n1\r\n0");
  EXPECT_EQ(choicesOf(form), (Choices{1, 0, "2,5", 1, 0, 1, 0}))
      << "numbers as the user's locale writes them";
  EXPECT_FLOAT_EQ(form.sngFreeLimit, 0.1f) << "the restored choice is in force";
  form.blnLoading = true;  // as at start-up: the handlers write nothing
  form.optRAMLevel.select(0), form.cbbPercent.setListIndex(2), form.txtInterval.setText("9");
  form.optActive.select(0);
  form.blnLoading = false;
  EXPECT_EQ(form.lstSettings.items(), (Lines{"1,9", "0", "2,5", "1", "0,5", "1", "0"}));
  EXPECT_EQ(form.intRamLevel, 15);
  frmMain& shorter = start("2\r\n1");
  EXPECT_EQ(shorter.sngFreeLimit, 0.0f) << "no share chosen: none in force";
  shorter.SetSettingsLine(frmMain::kLineActive, "0");
  EXPECT_EQ(shorter.lstSettings.items(), (Lines{"2", "1", "20", "1", "2", "0"}))
      << "a write beyond a short store fills it with the defaults first";
}

}  // namespace
}  // namespace tarnwick
