#include <gtest/gtest.h>

#include "about/frmAbout.h"
#include "test_support.h"

namespace tarnwick {
namespace {

using testing::MB;

const std::string kDefaults("1\r\n0\r\n20\r\n1\r\n2\r\n1\r\n0", 20);

class StartUpTest : public ::testing::Test {
 protected:
  StartUpTest() {
    modOptimize::blnOptimizing = false;
    os.memory = {2048 * MB, 1024 * MB, 1024 * MB};
    form.form.hWnd = 0x1234;
  }
  std::string settingsPath() const { return os.folder + "\\Settings.qkv"; }
  FakePlatform os;
  frmMain form{os};
};

TEST_F(StartUpTest, EachSubsystemComesUpAfterWhatItNeeds) {
  std::vector<std::string> seen;
  os.onPump = [&] {
    EXPECT_TRUE(form.blnLoading) << "every pump of start-up runs while loading";
    if (form.lstSettings.listCount() > 0) {
      EXPECT_TRUE(os.files.count(settingsPath()));
    }
    if (!os.trayCalls.empty()) {
      EXPECT_EQ(form.optRAMLevel.selected(), 1) << "tray after applying";
    }
  };
  bool firstSample = true;
  os.onMemoryStatus = [&] {
    if (!firstSample) return;
    firstSample = false;
    EXPECT_TRUE(form.blnRefreshOn && form.blnWatchOn && form.intRefreshTicks == 10 &&
                form.intWatchTicks == 20 && form.tmrGlobalTimer.enabled());
    EXPECT_FALSE(os.windowCalls.empty()) << "the list is filled before the first sample";
    EXPECT_EQ(form.prgProgress.value(), 0);
  };
  form.Form_Load();
  EXPECT_FALSE(firstSample);
  EXPECT_EQ(os.files[settingsPath()].bytes, kDefaults);
  EXPECT_EQ(os.trayCalls, std::vector<std::string>{"add"});
  EXPECT_EQ(form.lblTotalRam.caption(), "2048 MB");
  EXPECT_FALSE(form.blnLoading);
  EXPECT_FALSE(os.ended);
}

TEST_F(StartUpTest, ASecondInstanceEndsAtOnceTouchingNothing) {
  os.otherInstance = true;
  form.Form_Load();
  EXPECT_TRUE(os.ended);
  EXPECT_TRUE(os.fileCalls.empty());
  EXPECT_TRUE(os.trayCalls.empty());
  EXPECT_EQ(os.memoryCalls, 0);
}

TEST_F(StartUpTest, TheRestoredChoicesAreTheOnesInForce) {
  form.Form_Load();
  EXPECT_EQ(form.intRamLevel, 15);
  EXPECT_FLOAT_EQ(form.sngFreeLimit, 0.3f);
  EXPECT_EQ(form.lngActivePriority, 0x20u);
  EXPECT_EQ(form.lngNonActivePriority, 0x20u);

  FakePlatform other;
  other.files[other.folder + "\\Settings.qkv"] = {"0\r\n0\r\n20\r\n1\r\n0\r\n0\r\n1"};
  frmMain window(other);
  window.Form_Load();
  EXPECT_EQ(window.intRamLevel, 10);
  EXPECT_FLOAT_EQ(window.sngFreeLimit, 0.1f);
  EXPECT_EQ(window.lngActivePriority, 0x8000u);
  EXPECT_EQ(window.lngNonActivePriority, 0x4000u);

  // Nothing applied: the design's choices are in force, and no percentage means no trigger.
  FakePlatform broken;
  broken.files[broken.folder + "\\Settings.qkv"] = {"x"};
  frmMain design(broken);
  design.Form_Load();
  EXPECT_EQ(design.intRamLevel, 20);
  EXPECT_EQ(design.sngFreeLimit, 0.0f);
  EXPECT_EQ(design.lngNonActivePriority, 0x20u);
}

TEST_F(StartUpTest, ExitSavesThenRemovesTheIconThenEnds) {
  form.Form_Load();
  form.SetSettingsLine(0, "2");
  os.files.erase(settingsPath());
  std::vector<std::string> atPumps;
  os.onPump = [&] {
    atPumps.push_back(std::to_string(os.files.count(settingsPath())) + " " +
                      std::to_string(os.trayCalls.size()) + " " +
                      std::to_string(form.tmrGlobalTimer.enabled() || form.tmrTimer.enabled()));
  };
  form.lblCmdClose_Click();
  EXPECT_EQ(atPumps, (std::vector<std::string>{"0 1 0", "1 1 0", "1 2 0"}));
  EXPECT_EQ(os.trayCalls.back(), "delete");
  EXPECT_TRUE(os.ended);
  EXPECT_EQ(os.files[settingsPath()].bytes.substr(0, 1), "2");
}

TEST_F(StartUpTest, CloseIsRefusedDuringAnOptimisationAndWorksAfterIt) {
  form.Form_Load();
  form.lngFreeRam = 3;
  form.lngUsedRam = 0;
  bool asked = false;
  os.onPump = [&] {
    if (modOptimize::blnOptimizing && !asked) {
      asked = true;
      form.mnuPopupExit_Click();
    }
  };
  form.cmdOptimizeNow_Click();
  EXPECT_EQ(os.messageBoxes.size(), 1u);
  EXPECT_FALSE(os.ended);
  EXPECT_TRUE(os.trayCalls.size() == 1) << "the icon stays";
  form.mnuPopupExit_Click();
  EXPECT_TRUE(os.ended);
}

TEST_F(StartUpTest, LoggingOffSavesTheChoicesEvenDuringARun) {
  form.Form_Load();
  form.SetSettingsLine(4, "0");
  modOptimize::blnOptimizing = true;
  form.SessionEnding();
  modOptimize::blnOptimizing = false;
  EXPECT_EQ(os.files[settingsPath()].bytes, "1\r\n0\r\n20\r\n1\r\n0\r\n1\r\n0");
  EXPECT_TRUE(os.messageBoxes.empty());
}

class TrayTest : public StartUpTest {
 protected:
  TrayTest() { form.Form_Load(); }
  std::vector<std::string> callsSince(size_t from) const {
    return {os.windowCalls.begin() + static_cast<long>(from), os.windowCalls.end()};
  }
};

TEST_F(TrayTest, TheIconRecordCarriesThePrivateCallbackAndThePaddedTip) {
  const NotifyIconData& nid = form.nidTray;
  EXPECT_EQ(nid.hWnd, 0x1234);
  EXPECT_EQ(nid.uID, 1u);
  EXPECT_EQ(nid.uFlags, 7u);
  EXPECT_EQ(nid.uCallbackMessage, kTrayCallbackMessage);
  ASSERT_EQ(nid.szTip.size(), 64u);
  EXPECT_EQ(nid.szTip.substr(0, 34), std::string("Click here to open Tarnwick Demo.") + '\0');
  EXPECT_EQ(nid.szTip.substr(34), std::string(30, ' '));
}

TEST_F(TrayTest, OnlyTheTwoReleaseMessagesAct) {
  const size_t before = os.windowCalls.size();
  for (uint32_t code : {0x200u, 0x201u, 0x203u, 0x204u, 0x206u, 0u}) form.nidTray_Callback(code);
  EXPECT_EQ(callsSince(before), std::vector<std::string>{});

  form.nidTray_Callback(0x205);
  EXPECT_EQ(os.menuShown, (std::vector<std::string>{"Show Tarnwick", "Optimize Now", "-", "Exit"}));
  EXPECT_EQ(callsSince(before), std::vector<std::string>{"popup 4660"});

  // A left click on the visible window only raises it above the others, then lets it be.
  form.nidTray_Callback(0x202);
  EXPECT_EQ(callsSince(before + 1),
            (std::vector<std::string>{"activate 4660", "setWindowPos 4660 -1 0 0 0 0 3",
                                      "setWindowPos 4660 -2 0 0 0 0 3"}));
}

TEST_F(TrayTest, MinimisingHidesIntoTheTrayAndSavesAndTheIconBringsItBack) {
  form.form.positionChanged(-300, 4500);
  os.files.erase(settingsPath());
  form.lblCmdMinimize_Click();
  EXPECT_EQ(form.form.windowState(), forms::WindowState::Minimized);
  EXPECT_FALSE(form.form.visible());
  EXPECT_EQ(os.files[settingsPath()].bytes, kDefaults) << "saved though nothing changed";
  EXPECT_EQ(form.dblSavedLeft, 0) << "a position below zero comes back at the edge";
  EXPECT_EQ(form.dblSavedTop, 4500);

  os.menuChoice = 0;  // "Show Tarnwick"
  form.nidTray_Callback(0x205);
  EXPECT_EQ(form.form.windowState(), forms::WindowState::Normal);
  EXPECT_TRUE(form.form.visible());
  EXPECT_EQ(form.form.left(), 0);
  EXPECT_EQ(form.form.top(), 4500);
}

TEST_F(TrayTest, TheMenuRunsItsItems) {
  form.lngFreeRam = 2;
  form.lngUsedRam = 0;
  os.menuChoice = 1;  // "Optimize Now"
  form.nidTray_Callback(0x205);
  EXPECT_EQ(os.claims, 2);
  os.menuChoice = 3;  // "Exit"
  form.nidTray_Callback(0x205);
  EXPECT_TRUE(os.ended);
}

TEST_F(TrayTest, OnlyALeftPressOnTheBackgroundDragsTheWindow) {
  const size_t before = os.windowCalls.size();
  form.Form_MouseDown(2, 0, 10, 10);
  form.Form_MouseDown(4, 0, 10, 10);
  EXPECT_EQ(callsSince(before), std::vector<std::string>{});
  form.Form_MouseDown(1, 0, 10, 10);
  EXPECT_EQ(callsSince(before), (std::vector<std::string>{"releaseCapture", "send 4660 161 2 0"}));
}

TEST_F(TrayTest, TheAboutBoxIsModalOverTheMainWindow) {
  std::vector<std::string> texts;
  os.whileModal = [&](frmAbout& about) {
    texts = {about.form.caption, about.lblTitle.caption(), about.lblVersion.caption()};
    about.cmdOK.Click();
    EXPECT_TRUE(about.form.unloaded());
  };
  form.lblAbout.Click();
  EXPECT_EQ(os.windowCalls.back(), "modal 4660");
  EXPECT_EQ(texts,
            (std::vector<std::string>{"About Tarnwick Demo", "Tarnwick Demo", "Version 1.0.0"}));
}

class AboutTest : public ::testing::Test {
 protected:
  static constexpr const char* kFirst = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
  static constexpr const char* kSecond = "SOFTWARE\\Microsoft\\Shared Tools Location";
  std::vector<std::string> started() const {
    std::vector<std::string> out;
    for (const auto& call : os.shellCalls)
      if (call.rfind("start ", 0) == 0) out.push_back(call.substr(6));
    return out;
  }
  FakePlatform os;
  frmAbout about{os};
};

TEST_F(AboutTest, TheVersionLabelShowsMajorMinorRevision) {
  about.Form_Load();
  EXPECT_EQ(about.lblVersion.caption(), "Version 1.0.0");
  os.version = {2, 10, 3};
  about.Form_Load();
  EXPECT_EQ(about.lblVersion.caption(), "Version 2.10.3");
}

TEST_F(AboutTest, TheFirstRegistryPlaceWins) {
  os.registry[kFirst]["PATH"] = {RegistryApi::kRegSz, "C:\\Tools\\msinfo32.exe"};
  os.registry[kSecond]["MSINFO"] = {RegistryApi::kRegSz, "C:\\Other"};
  os.files["C:\\Tools\\msinfo32.exe"] = {};
  about.cmdSysInfo.Click();
  EXPECT_EQ(started(), std::vector<std::string>{"C:\\Tools\\msinfo32.exe"});
  EXPECT_TRUE(os.messageBoxes.empty());
  for (const auto& call : os.registryCalls) EXPECT_EQ(call.find(kSecond), std::string::npos);
  EXPECT_EQ(os.registryCalls.front(), "open " + std::to_string(kHKeyLocalMachine) + " " + kFirst +
                                          " " + std::to_string(RegistryApi::kKeyRead));
  EXPECT_TRUE(os.openKeys.empty()) << "every key closed";
}

TEST_F(AboutTest, TheSecondPlaceNamesAFolderThatMustHoldTheProgram) {
  os.registry[kSecond]["MSINFO"] = {RegistryApi::kRegSz, "C:\\Program Files\\Shared\\MSInfo"};
  about.StartSysInfo();
  EXPECT_TRUE(started().empty());
  EXPECT_EQ(os.messageBoxes, std::vector<std::string>{
                                 "Tarnwick Demo|System Information Is Unavailable At This Time|0"});

  os.files["C:\\Program Files\\Shared\\MSInfo\\MSINFO32.EXE"] = {};
  about.StartSysInfo();
  EXPECT_EQ(started(), std::vector<std::string>{"C:\\Program Files\\Shared\\MSInfo\\MSINFO32.EXE"});
  EXPECT_EQ(os.messageBoxes.size(), 1u);
  EXPECT_TRUE(os.openKeys.empty());
}

TEST_F(AboutTest, APathNamingNoFileOrNoPlaceAtAllShowsTheMessage) {
  about.StartSysInfo();
  os.registry[kFirst]["PATH"] = {RegistryApi::kRegSz, "C:\\gone.exe"};
  about.StartSysInfo();
  EXPECT_EQ(os.messageBoxes.size(), 2u);
}

TEST_F(AboutTest, ValuesAreReadWithoutTheirTerminatingZero) {
  os.registry["K"]["S"] = {RegistryApi::kRegSz, "C:\\x"};
  os.registry["K"]["D"] = {RegistryApi::kRegDword, std::string("\x2a\x01\0\0", 4)};
  os.registry["K"]["B"] = {3, "\x01\x02"};
  std::string value = "kept";
  EXPECT_TRUE(about.GetKeyValue(kHKeyLocalMachine, "K", "S", value));
  EXPECT_EQ(value, "C:\\x");
  EXPECT_TRUE(about.GetKeyValue(kHKeyLocalMachine, "K", "D", value));
  EXPECT_EQ(value, "298");
  value = "kept";
  EXPECT_TRUE(about.GetKeyValue(kHKeyLocalMachine, "K", "B", value));
  EXPECT_EQ(value, "kept") << "other types leave the text as it was";
  EXPECT_FALSE(about.GetKeyValue(kHKeyLocalMachine, "K", "missing", value));
  EXPECT_EQ(value, "");
  EXPECT_FALSE(about.GetKeyValue(kHKeyLocalMachine, "nowhere", "S", value));
  EXPECT_TRUE(os.openKeys.empty());
}

TEST_F(AboutTest, TheSiteOpensInTheBrowser) {
  about.form.hWnd = 77;
  const int pumps = os.pumps;
  about.lblSite.Click();
  EXPECT_EQ(os.shellCalls,
            std::vector<std::string>{std::string("execute 77 Open ") + kSiteAddress + " '' '' 1"});
  EXPECT_EQ(os.pumps, pumps + 1);
}

}  // namespace
}  // namespace tarnwick
