// The settings file: what is read, what is written, and what is never lost.
#include "test_support.h"

namespace tarnwick {
namespace {

using testing::kDefaultFile;
using testing::Lines;

// The seven controls ApplySettings sets, as one text.
std::string choicesOf(const frmMain& f) {
  return std::to_string(f.optRAMLevel.selected()) + std::to_string(f.chkAutoOptimize[0].value()) +
         " " + f.txtInterval.text() + " " + std::to_string(f.chkAutoOptimize[1].value()) +
         std::to_string(f.cbbPercent.listIndex()) + std::to_string(f.optActive.selected()) +
         std::to_string(f.optNonActive.selected());
}

class SettingsTest : public ::testing::Test {
 protected:
  SettingsTest() { modOptimize::blnOptimizing = false; }
  // Starts the program over a settings file holding `bytes` (none: no file).
  frmMain& start(std::optional<std::string> bytes, uint32_t attributes = 0) {
    if (bytes) os.files[os.settingsPath()] = {*bytes, attributes ? attributes : 0x80u};
    form.Form_Load();
    return form;
  }
  void save() { form.SaveSettingsToFile("\\", "Settings.qkv", form.lstSettings); }
  std::string file() {
    return os.files.count(os.settingsPath()) ? os.files[os.settingsPath()].bytes : "<none>";
  }
  bool temporaryLeft() const { return os.files.count(os.settingsPath() + ".tmp") > 0; }
  std::string choices() const { return choicesOf(form); }
  FakePlatform os;
  frmMain form{os};
};

const std::string kDesignTime = "20 0 0-110", kDefaultChoices = "10 20 1210";

TEST_F(SettingsTest, TheFirstStartWritesTheDefaultFileAndShowsItsChoices) {
  start(std::nullopt);
  EXPECT_EQ(file(), kDefaultFile);
  EXPECT_EQ(form.lstSettings.items(), (Lines{"1", "0", "20", "1", "2", "1", "0"}));
  EXPECT_EQ(choices(), kDefaultChoices);
  EXPECT_EQ(form.intRamLevel, 15) << "the choices shown are the ones in force";
  EXPECT_FLOAT_EQ(form.sngFreeLimit, 0.3f);
  save();
  EXPECT_EQ(file(), kDefaultFile);
  EXPECT_FALSE(temporaryLeft());
}

TEST_F(SettingsTest, WithoutAFileThatCanBeWrittenTheDefaultsStillApply) {
  os.failing = [](const std::string& op, const std::string&) { return op == "writeNewFile"; };
  start(std::nullopt);
  EXPECT_EQ(choices(), kDefaultChoices) << "a medium that cannot be written";
  FakePlatform nowhere;
  nowhere.folder = "";  // the program's folder cannot be found: no file at the drive's root
  frmMain other(nowhere);
  other.Form_Load();
  EXPECT_EQ(other.lstSettings.listCount(), 7);
  EXPECT_TRUE(nowhere.files.empty());
}

TEST_F(SettingsTest, AHiddenFileCountsAsAbsentButIsNeverOverwritten) {
  start("0\r\n1", FakePlatform::kHidden);
  EXPECT_EQ(file(), "0\r\n1");
  EXPECT_FALSE(temporaryLeft());
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
      {"blanks and NULs kept",
       std::string(" 1 \r\n\0x", 7),
       {" 1 ", std::string("\0x", 2)},
       std::string(" 1 \r\n\0x", 7)},
      {"a UTF-8 mark is skipped",
       "\xEF\xBB\xBF"
       "2\r\n0",
       {"2", "0"},
       "2\r\n0"},
      {"nine lines",
       "1\r\n0\r\n20\r\n1\r\n2\r\n1\r\n0\r\nextra\r\n9",
       {"1", "0", "20", "1", "2", "1", "0", "extra", "9"},
       "1\r\n0\r\n20\r\n1\r\n2\r\n1\r\n0\r\nextra\r\n9"},
  };
  for (const Shape& shape : shapes) {
    SCOPED_TRACE(shape.name);
    frmMain window(os);
    os.files[os.settingsPath()] = {shape.bytes};
    window.Form_Load();
    EXPECT_EQ(window.lstSettings.items(), shape.lines);
    window.lblCmdMinimize_Click();
    window.mnuPopupExit_Click();
    EXPECT_EQ(file(), shape.bytes) << "minimise and exit leave it as it was";
    if (!shape.lines.empty()) window.SetSettingsLine(0, shape.lines[0]);
    window.SaveSettingsToFile("\\", "Settings.qkv", window.lstSettings);
    EXPECT_EQ(file(), shape.lines.empty() ? shape.bytes : shape.canonical);
    EXPECT_FALSE(temporaryLeft());
  }
}

TEST_F(SettingsTest, AFileThatCannotBeReadIsTriedAgainAndNeverReplaced) {
  // Held open by another program for the first four tries, about a second.
  int refusals = 4;
  os.failing = [&](const std::string& op, const std::string&) {
    return op == "readWholeFile" && refusals-- > 0;
  };
  const uint64_t before = os.ticks;
  start("2\r\n1\r\n7\r\n0\r\n0\r\n0\r\n1");
  EXPECT_EQ(choices(), "21 7 0001");
  EXPECT_LE(os.ticks - before, 1500u);

  FakePlatform locked;
  locked.files[locked.settingsPath()] = {"2\r\n1\r\n7"};
  locked.failing = [](const std::string& op, const std::string&) { return op == "readWholeFile"; };
  frmMain window(locked);
  window.Form_Load();
  EXPECT_EQ(window.optRAMLevel.selected(), 2) << "the controls keep what they hold";
  window.optRAMLevel.select(0);
  window.lblCmdMinimize_Click();
  window.SessionEnding();
  window.mnuPopupExit_Click();
  EXPECT_EQ(locked.files[locked.settingsPath()].bytes, "2\r\n1\r\n7");
  EXPECT_TRUE(locked.ended);
}

TEST_F(SettingsTest, ASaveLeavesTheOldFileOrTheWholeNewOneWhateverFails) {
  start(kDefaultFile);
  form.SetSettingsLine(2, "5");
  const std::string fresh = "1\r\n0\r\n5\r\n1\r\n2\r\n1\r\n0";
  for (const std::string step :
       {"writeNewFile", "fileAttributes", "setFileAttributes", "moveFile", "deleteFile"}) {
    for (uint32_t attributes : {0x80u, FakePlatform::kReadOnly}) {
      SCOPED_TRACE(step + " " + std::to_string(attributes));
      os.files = {{os.settingsPath(), {kDefaultFile, attributes}}};
      os.failing = [&](const std::string& op, const std::string&) { return op == step; };
      save();
      EXPECT_TRUE(file() == kDefaultFile || file() == fresh) << file();
      EXPECT_EQ(os.files[os.settingsPath()].attributes, file() == fresh ? 0x80u : attributes)
          << "a read-only file is replaced by a writable one, or left as it was";
      EXPECT_FALSE(temporaryLeft());
    }
  }
  // A folder that cannot be written keeps the choices for the next moment.
  os.failing = nullptr;
  os.files = {{os.settingsPath(), {kDefaultFile, FakePlatform::kReadOnly}}};
  save();
  EXPECT_EQ(file(), fresh);
}

TEST_F(SettingsTest, AReplaceRefusedForAMomentIsTriedAgain) {
  start(kDefaultFile);
  form.SetSettingsLine(0, "2");
  int refusals = 3;  // a sync client holds the file just written
  os.failing = [&](const std::string& op, const std::string&) {
    return op == "moveFile" && refusals-- > 0;
  };
  const uint64_t before = os.ticks;
  save();
  EXPECT_EQ(file().substr(0, 3), "2\r\n");
  EXPECT_LE(os.ticks - before, 600u);
}

TEST_F(SettingsTest, ChoicesGoIntoTheStoreOnlyAfterLoadingAndFillAShortOne) {
  start("2\r\n1");
  EXPECT_EQ(choices(), "21 0 0-110") << "a store of two lines applies two";
  form.SetSettingsLine(5, "0");
  EXPECT_EQ(form.lstSettings.items(), (Lines{"2", "1", "20", "1", "2", "0"}));
  form.blnLoading = true;
  form.optRAMLevel.select(0);
  form.cbbPercent.setListIndex(0);
  form.chkAutoOptimize[0].setValue(0);
  form.txtInterval.setText("9");
  form.optNonActive.select(1);
  EXPECT_EQ(form.lstSettings.items(), (Lines{"2", "1", "20", "1", "2", "0"}));
  EXPECT_EQ(form.intRamLevel, 20);
}

TEST_F(SettingsTest, EachLineIsAppliedUntilTheFirstThatDoesNotFit) {
  const std::pair<Lines, std::string> cases[] = {
      {{"1.9", " 1 ", "+7", "2", "-1", "0", "1"}, "11 +7 2-101"},
      {{"0", "1", "5", "x", "0", "0", "1"}, "01 5 0-110"},
      {{"3", "1", "5", "1", "0", "0", "1"}, kDesignTime},
      {{}, kDesignTime},
      {{"0", "1", "abc"}, "01 abc 0-110"},
      {{"1", "40000", "5"}, "10 0 0-110"},
      {{"1", "3"}, "10 0 0-110"},
      {{"1", "0", "", "1", "3", "0", "1"}, "10  1-110"},
      {{"1", "0", std::string(1 << 20, '7'), "1", "2", "1", "0"}, "10 77777 1210"},
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
  start("1,9\r\n0\r\n2,5\r\n1\r\n0,5\r\n1\r\n0");
  EXPECT_EQ(choices(), "10 2,5 1010") << "numbers as the user's locale writes them";
  EXPECT_FLOAT_EQ(form.sngFreeLimit, 0.1f) << "the restored choice is in force";
}

}  // namespace
}  // namespace tarnwick
