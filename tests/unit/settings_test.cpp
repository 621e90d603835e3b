#include <gtest/gtest.h>

#include "app/frmMain.h"
#include "platform/fake/fake_platform.h"

namespace tarnwick {
namespace {

const std::string kDefaultBytes("1\r\n0\r\n20\r\n1\r\n2\r\n1\r\n0", 20);

class SettingsTest : public ::testing::Test {
 protected:
  std::string path() const { return os.folder + "\\Settings.qkv"; }
  void putFile(const std::string& bytes, uint32_t attributes = FileApi::kNormal) {
    os.files[path()] = {bytes, attributes};
  }
  std::vector<std::string> load(const std::string& bytes) {
    putFile(bytes);
    form.LoadFiles("\\", "Settings.qkv", form.lstSettings);
    return form.lstSettings.items();
  }
  std::string save() {
    form.SaveSettingsToFile("\\", "Settings.qkv", form.lstSettings);
    return os.files.count(path()) ? os.files[path()].bytes : "<missing>";
  }
  bool temporaryLeft() const {
    for (const auto& [name, file] : os.files)
      if (name != path()) return true;
    return false;
  }
  void store(std::vector<std::string> lines) {
    form.lstSettings.clear();
    for (auto& line : lines) form.lstSettings.addItem(line);
  }

  FakePlatform os;
  frmMain form{os};
};

TEST_F(SettingsTest, MissingFileIsCreatedWithTheTwentyDefaultBytes) {
  form.CheckSettings();
  ASSERT_TRUE(os.files.count(path()));
  EXPECT_EQ(os.files[path()].bytes, kDefaultBytes);
  EXPECT_FALSE(temporaryLeft());

  os.files[path()].bytes = "2";
  form.CheckSettings();
  EXPECT_EQ(os.files[path()].bytes, "2") << "an existing file is left alone";
}

TEST_F(SettingsTest, AHiddenFileCountsAsAbsentButIsNeverOverwritten) {
  putFile("0\r\n1", FakePlatform::kHidden);
  form.CheckSettings();
  EXPECT_EQ(os.files[path()].bytes, "0\r\n1");
  EXPECT_FALSE(temporaryLeft());
}

struct SplitCase {
  const char* name;
  std::string bytes;
  std::vector<std::string> lines;
  std::string saved;
};

TEST_F(SettingsTest, LinesSplitAtCrAndSaveBackByteForByte) {
  const SplitCase cases[] = {
      {"defaults", kDefaultBytes, {"1", "0", "20", "1", "2", "1", "0"}, kDefaultBytes},
      {"final CR LF adds no line", "1\r\n2\r\n", {"1", "2"}, "1\r\n2"},
      {"CR LF CR LF gives an empty line", "1\r\n\r\n2", {"1", "", "2"}, "1\r\n\r\n2"},
      {"LF alone does not split", "1\n2\n", {"1\n2\n"}, "1\n2\n"},
      {"only CR LF", "\r\n", {""}, ""},
      {"lone CR at the end", "0\r", {"0"}, "0"},
      {"only CR", "\r", {}, ""},
      {"CR before another character drops it", "a\rbc\r\n", {"a", "c"}, "a\r\nc"},
      {"empty file", "", {}, ""},
      {"blanks and NULs kept",
       std::string(" 1 \r\n\0x", 7),
       {" 1 ", std::string("\0x", 2)},
       std::string(" 1 \r\n\0x", 7)},
      {"nine lines",
       "1\r\n0\r\n20\r\n1\r\n2\r\n1\r\n0\r\nextra\r\n9",
       {"1", "0", "20", "1", "2", "1", "0", "extra", "9"},
       "1\r\n0\r\n20\r\n1\r\n2\r\n1\r\n0\r\nextra\r\n9"},
  };
  for (const SplitCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(load(c.bytes), c.lines);
    EXPECT_EQ(save(), c.saved);
    EXPECT_FALSE(temporaryLeft());
  }
}

TEST_F(SettingsTest, LoadingPumpsAfterEachLineEndingInCr) {
  load("1\r\n2\r\n3");
  EXPECT_EQ(os.pumps, 2 + 2);  // after reading and closing, then lines 1 and 2
}

TEST_F(SettingsTest, AnUnreadableFileLeavesTheStoreEmpty) {
  store({"stale"});
  os.failing = [](const std::string& op, const std::string&) { return op == "readWholeFile"; };
  EXPECT_TRUE(load("1\r\n2").empty());
}

TEST_F(SettingsTest, AReadOnlyFileIsReplacedByAWritableOne) {
  putFile("old", FakePlatform::kReadOnly);
  store({"1", "2"});
  EXPECT_EQ(save(), "1\r\n2");
  EXPECT_EQ(os.files[path()].attributes, FileApi::kNormal);
}

TEST_F(SettingsTest, EveryFailingFileStepLeavesTheOldFileOrTheWholeNewOne) {
  const std::vector<std::string> lines = {"0", "1", "5", "0", "1", "0", "1"};
  const std::string fresh = "0\r\n1\r\n5\r\n0\r\n1\r\n0\r\n1";
  for (const std::string step :
       {"writeNewFile", "fileAttributes", "setFileAttributes", "moveFile", "deleteFile"}) {
    for (uint32_t attributes : {FileApi::kNormal, uint32_t{FakePlatform::kReadOnly}}) {
      SCOPED_TRACE(step + " attributes " + std::to_string(attributes));
      os.files.clear();
      putFile(kDefaultBytes, attributes);
      store(lines);
      os.failing = [&](const std::string& op, const std::string&) { return op == step; };
      const std::string after = save();
      EXPECT_TRUE(after == kDefaultBytes || after == fresh) << after;
      if (after == kDefaultBytes) {
        EXPECT_EQ(os.files[path()].attributes, attributes);
      }
      EXPECT_FALSE(temporaryLeft());
      os.failing = nullptr;
    }
  }
}

TEST_F(SettingsTest, AFolderThatCannotBeWrittenKeepsTheStore) {
  putFile(kDefaultBytes);
  store({"2", "0"});
  os.failing = [](const std::string& op, const std::string&) {
    return op == "writeNewFile" || op == "moveFile";
  };
  save();
  EXPECT_EQ(os.files[path()].bytes, kDefaultBytes);
  EXPECT_EQ(form.lstSettings.items(), (std::vector<std::string>{"2", "0"}));
  os.failing = nullptr;
  EXPECT_EQ(save(), "2\r\n0") << "saved at the next moment";
}

TEST_F(SettingsTest, AWriteBeyondAShortStoreFillsItWithDefaultsFirst) {
  store({"2", "1"});
  form.SetSettingsLine(5, "0");
  EXPECT_EQ(form.lstSettings.items(), (std::vector<std::string>{"2", "1", "20", "1", "2", "0"}));
  form.SetSettingsLine(1, "0");
  EXPECT_EQ(form.lstSettings.item(1), "0");
  EXPECT_EQ(form.lstSettings.listCount(), 6);
}

// The seven controls ApplySettings sets, as one comparable value.
struct Choices {
  int ramLevel, every;
  std::string interval;
  int lowMemory, percent, active, nonActive;
  bool operator==(const Choices&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Choices& c) {
  return out << c.ramLevel << ' ' << c.every << " '" << c.interval << "' " << c.lowMemory << ' '
             << c.percent << ' ' << c.active << ' ' << c.nonActive;
}
const Choices kDesignTime{2, 0, "0", 0, -1, 1, 0};

class ApplyTest : public SettingsTest {
 protected:
  // Applies `lines` to a window fresh from its design.
  Choices apply(std::vector<std::string> lines) {
    frmMain fresh(os);
    for (auto& line : lines) fresh.lstSettings.addItem(line);
    fresh.blnLoading = true;  // as at start-up
    try {
      fresh.ApplySettings();
    } catch (const std::exception&) {
    }
    EXPECT_EQ(fresh.lstSettings.items(), lines) << "applying never writes the store";
    return {fresh.optRAMLevel.selected(), fresh.chkAutoOptimize[0].value(),
            fresh.txtInterval.text(),     fresh.chkAutoOptimize[1].value(),
            fresh.cbbPercent.listIndex(), fresh.optActive.selected(),
            fresh.optNonActive.selected()};
  }
};

TEST_F(ApplyTest, TheDefaultStoreGivesTheDefaultChoices) {
  EXPECT_EQ(apply({"1", "0", "20", "1", "2", "1", "0"}), (Choices{1, 0, "20", 1, 2, 1, 0}));
}

TEST_F(ApplyTest, NumbersAreReadRoundedDownWithinSixteenBits) {
  EXPECT_EQ(apply({"1.9", " 1 ", "+7", "2", "-1", "0", "1"}), (Choices{1, 1, "+7", 2, -1, 0, 1}));
}

TEST_F(ApplyTest, StopsAtTheFirstStepThatFails) {
  EXPECT_EQ(apply({"0", "1", "5", "x", "0", "0", "1"}), (Choices{0, 1, "5", 0, -1, 1, 0}));
}

TEST_F(ApplyTest, EachKindOfFailureStopsIt) {
  EXPECT_EQ(apply({"3", "1", "5", "1", "0", "0", "1"}), kDesignTime) << "no such option";
  EXPECT_EQ(apply({}), kDesignTime) << "empty store";
  EXPECT_EQ(apply({"0", "1", "letters"}), (Choices{0, 1, "letters", 0, -1, 1, 0})) << "three lines";
  EXPECT_EQ(apply({"1", "40000", "5"}), (Choices{1, 0, "0", 0, -1, 1, 0})) << "beyond 16 bits";
  EXPECT_EQ(apply({"1", "3"}), (Choices{1, 0, "0", 0, -1, 1, 0})) << "no check-box value 3";
  EXPECT_EQ(apply({"1", "0", "", "1", "3", "0", "1"}), (Choices{1, 0, "", 1, -1, 1, 0}))
      << "no list index 3";
}

TEST_F(SettingsTest, ApplyingRaisesHandlersOnlyForRealChanges) {
  std::vector<std::string> raised;
  form.optActive.Click = [&](int16_t) { raised.push_back("optActive"); };
  form.optNonActive.Click = [&](int16_t) { raised.push_back("optNonActive"); };
  form.optRAMLevel.Click = [&](int16_t) { raised.push_back("optRAMLevel"); };
  form.cbbPercent.Click = [&] { raised.push_back("cbbPercent"); };
  form.chkAutoOptimize[0].Click = [&] { raised.push_back("chkAutoOptimize(0)"); };
  form.txtInterval.Change = [&] { raised.push_back("txtInterval"); };
  store({"2", "0", "0", "0", "-1", "1", "0"});  // every line equal to the design-time state
  form.ApplySettings();
  EXPECT_TRUE(raised.empty());
  store({"2", "0", "0", "0", "2", "0", "0"});
  form.ApplySettings();
  EXPECT_EQ(raised, (std::vector<std::string>{"cbbPercent", "optActive"}));
}

TEST_F(SettingsTest, StartUpCreatesReadsAndAppliesTheFileWhileLoading) {
  std::vector<bool> loadingSeen;
  form.optRAMLevel.Click = [&](int16_t) { loadingSeen.push_back(form.blnLoading); };
  form.Form_Load();
  EXPECT_EQ(os.files[path()].bytes, kDefaultBytes);
  EXPECT_EQ(form.optRAMLevel.selected(), 1);
  EXPECT_EQ(form.txtInterval.text(), "20");
  EXPECT_EQ(loadingSeen, std::vector<bool>{true});
  EXPECT_FALSE(form.blnLoading);
}

TEST_F(SettingsTest, ClosingSavesTheStoreAfterStoppingBothTimers) {
  form.Form_Load();
  form.SetSettingsLine(0, "2");
  bool timersRunningAtSave = true;
  os.onPump = [&] {
    timersRunningAtSave = form.tmrTimer.enabled() || form.tmrGlobalTimer.enabled();
  };
  int16_t cancel = 0;
  form.Form_Unload(cancel);
  EXPECT_EQ(cancel, 0);
  EXPECT_FALSE(timersRunningAtSave);
  EXPECT_EQ(os.files[path()].bytes.substr(0, 3), "2\r\n");
}

}  // namespace
}  // namespace tarnwick
