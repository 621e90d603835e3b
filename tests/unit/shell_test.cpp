// Start-up and exit at every moment, the window's chrome, the tray icon, the About box, and the
// process list with the classes the program gives processes as the foreground changes.
#include "about/frmAbout.h"
#include "test_support.h"

namespace tarnwick {
namespace {

using testing::MB;

TEST(StartUp, TheWindowShowsItsFiguresFirstThenTheIconThenTheListChangingNoClass) {
  FakePlatform os;
  os.memory = {2048 * MB, 400 * MB, 0};  // below the default 30 %; a run claims nothing
  os.processes = {{4, "C:\\tool.exe", win::kHighPriorityClass}};
  frmMain form(os);
  bool pumpedWhileLoaded = false;
  os.onPump = [&] { pumpedWhileLoaded |= !form.blnLoading; };
  form.Form_Load();
  EXPECT_FALSE(pumpedWhileLoaded) << "every pump of start-up runs while loading";
  EXPECT_FALSE(form.blnLoading);
  EXPECT_EQ(form.lblTotalRam.caption(), "2048 MB");
  EXPECT_EQ(form.prgProgress.value(), 0);
  EXPECT_FALSE(modOptimize::blnOptimizing) << "the trigger waits for the window";
  EXPECT_EQ(os.restartFlags, win::kRestartNoCrash | win::kRestartNoHang | win::kRestartNoReboot);
  os.shellStarted();  // a new taskbar before the first frame
  form.ShowAfterLoad();
  EXPECT_TRUE(form.form.visible());
  EXPECT_EQ(os.activated, form.form.hWnd) << "in front, with the keyboard";
  EXPECT_FALSE(os.trayIcon) << "after the first frame";
  EXPECT_FALSE(form.tmrTrayRetry.enabled()) << "no retry before the first try";
  std::vector<int> ids;
  for (const Placement& p : form.layout()) ids.push_back(p.id);
  EXPECT_EQ(std::find(ids.begin(), ids.end(), kIdRamLevel0) -
                std::find(ids.begin(), ids.end(), kIdPicture1),
            1)
      << "the RAM levels in tab order, right after their frame";
  for (const std::vector<Placement>& all : {form.layout(), frmAbout(os).layout()})
    for (const Placement& p : all)
      EXPECT_TRUE(!p.container || std::any_of(all.begin(), all.end(),
                                              [&](const Placement& c) {
                                                return c.id == p.container &&
                                                       std::holds_alternative<Container>(c.model);
                                              }))
          << p.id << " placed in what is not a container";
  bool listedWithoutIcon = false;
  form.lblProcesses.view = [&] { listedWithoutIcon |= !os.trayIcon; };
  os.runLoop();
  EXPECT_TRUE(os.trayIcon);
  EXPECT_FALSE(listedWithoutIcon) << "the icon, then the list";
  EXPECT_EQ(form.lblProcesses.caption(), "Number of active processes : 1");
  EXPECT_EQ(os.classes(), std::vector<uint32_t>{win::kHighPriorityClass}) << "listed only";
  for (int tick = 0; tick < 11; ++tick) form.tmrGlobalTimer.fire();
  os.runLoop();
  EXPECT_TRUE(form.lastRunEnded) << "the first refresh after start-up tests";
}

TEST(StartUp, ASecondStartAsksTheFirstForItsWindowAndTouchesNothing) {
  for (uint32_t error : {win::kErrorAlreadyExists, win::kErrorAccessDenied}) {
    SCOPED_TRACE(error);  // access denied: the first runs elevated
    FakePlatform os;
    os.instanceError = error;
    frmMain form(os);
    form.Form_Load();
    form.ShowAfterLoad();
    EXPECT_FALSE(form.form.visible());
    EXPECT_EQ(os.ends, 1);
    EXPECT_TRUE(os.otherInstanceAsked);
    form.tmrGlobalTimer.fire();  // a tick on its way before the process is gone
    EXPECT_TRUE(os.files.empty());
    EXPECT_EQ(os.memorySamples, 0);
    EXPECT_FALSE(os.restartFlags);
  }
}

// Whatever show state it was started with, the window is shown and hidden in a way that state
// has no say in: into the tray (never a minimised or a maximised window on the screen), unless no
// shell holds an icon for it yet; and whatever came meanwhile, the icon brings it back.
TEST(StartUp, MinimisedItGoesIntoTheTrayWithoutShowingUnlessTheShellHasNoIconForIt) {
  // (show state, adds the shell refuses; -1: it ends right after taking the icon)
  for (const auto& [show, refusals] : {std::pair{win::kSwShowMinNoActive, 0},
                                       {win::kSwMinimize, 0},
                                       {win::kSwHide, 0},
                                       {win::kSwShowMinNoActive, 1},
                                       {win::kSwShowMinNoActive, -1},
                                       {win::kSwShowMaximized, 0}}) {
    SCOPED_TRACE(::testing::Message() << show << " " << refusals);
    FakePlatform os;
    os.memory = {2048 * MB, 1024 * MB, 1024 * MB};
    os.showCommand = show;
    os.trayRefusals = refusals;  // no shell yet
    os.beforeTray = [&, ends = refusals < 0](uint32_t message) {
      if (ends && message == win::kNimModify) os.shellEnded();
    };
    frmMain form(os);
    form.form.hWnd = 0x1234;
    bool everShown = false;
    os.onShow = [&] { everShown = true; };
    form.Form_Load();
    form.ShowAfterLoad();
    os.runLoop();
    EXPECT_EQ(everShown, refusals != 0 || show == win::kSwShowMaximized) << "hidden without icon";
    EXPECT_EQ(os.activated != 0, everShown) << "in front only when shown";
    EXPECT_EQ(form.tmrTrayRetry.enabled(), refusals != 0);
    EXPECT_FALSE(os.shown[0x1234].iconic || os.shown[0x1234].maximized);
    form.tmrTrayRetry.fire();
    form.form.setWindowState(forms::WindowState::Normal);  // as a resize of a hidden window may
    os.events.trayIcon(win::kWmLButtonUp, 0, 0);
    EXPECT_TRUE(os.shown[0x1234].visible) << "the icon brings it back";
    EXPECT_EQ(form.form.windowState(), forms::WindowState::Normal);
  }
}

// Each moment at which a message can arrive, of start-up (in the tray too), the exit, a run and a
// save, with each message that can arrive there: what must always hold does.
TEST(Moments, AtEveryMomentOfStartUpExitRunAndSaveWhateverArrivesNothingIsLostShownOrLeft) {
  const std::string read = "0\r\n1\r\n45\r\n0\r\n0\r\n0\r\n1", chosen = "2" + read.substr(1);
  using Act = std::function<void(frmMain&, FakePlatform&)>;
  const std::pair<const char*, Act> arrivals[] = {
      {"close", [](frmMain& f, FakePlatform&) { f.lblCmdClose_Click(); }},
      {"session end", [](frmMain& f, FakePlatform& os) { os.sent([&] { f.SessionEnding(); }); }},
      {"second start", [](frmMain&, FakePlatform& os) { os.events.showRequested(); }},
      {"shell restart", [](frmMain&, FakePlatform& os) { os.shellEnded(), os.shellStarted(); }},
      {"shell restart refusing",
       [](frmMain&, FakePlatform& os) { os.shellEnded(), os.trayRefusals = 1, os.shellStarted(); }},
      {"density change",
       [](frmMain& f, FakePlatform& os) {
         const Answering answer(os);
         f.form.positionChanged(f.form.left() + 15, f.form.top());
       }},
      {"minimise", [](frmMain& f, FakePlatform&) { f.lblCmdMinimize_Click(); }},
      {"icon click",
       [](frmMain&, FakePlatform& os) { os.events.trayIcon(win::kWmLButtonUp, 0, 0); }},
      {"icon menu",
       [](frmMain&, FakePlatform& os) { os.events.trayIcon(win::kWmContextMenu, 0, 0); }},
      {"About", [](frmMain& f, FakePlatform&) { f.lblAbout.Click(); }},
      {"Optimize Now", [](frmMain& f, FakePlatform&) { f.cmdOptimizeNow.Click(); }},
  };
  const auto start = [](frmMain& f, FakePlatform&) { f.Form_Load(), f.ShowAfterLoad(); };
  // Each from a window shown first (with a choice changed, which it saves) or not at all.
  enum From { kNothing, kShown, kChanged };
  const std::tuple<const char*, From, Act> scenarios[] = {
      {"start-up", kNothing, start},
      {"start-up minimised", kNothing,
       [&](frmMain& f, FakePlatform& os) {
         os.showCommand = win::kSwShowMinNoActive, start(f, os);
       }},
      {"exit", kChanged, [](frmMain& f, FakePlatform&) { f.lblCmdClose_Click(); }},
      {"exit, the file held a moment, the icon's retry due", kChanged,
       [](frmMain& f, FakePlatform& os) {
         os.shellEnded(), os.trayRefusals = 1, os.shellStarted(), os.ticks += 3000;
         os.failing = [refusals = 2](const std::string& op, const std::string&) mutable {
           return op == "replaceFile" && refusals-- > 0 ? win::kErrorSharingViolation : 0u;
         };
         f.lblCmdClose_Click();
       }},
      {"run", kShown,
       [](frmMain& f, FakePlatform&) {
         f.lngFreeRam = 40, f.lngUsedRam = 0;
         f.cmdOptimizeNow_Click();
       }},
      {"save", kChanged, [](frmMain& f, FakePlatform&) { f.lblCmdMinimize_Click(); }},
  };
  for (const auto& [scenario, from, act] : scenarios) {
    // Runs it with `arrival` at its k-th moment (none: 0); its moments.
    const auto run = [&, &from = from, &act = act](int k, const Act& arrival) {
      modOptimize::blnOptimizing = false;
      FakePlatform os;
      os.memory = {2048 * MB, 1024 * MB, 0};  // a run claims nothing
      os.files[os.settingsPath()] = {read};
      frmMain form(os);
      form.form.hWnd = 0x1234;
      if (from != kNothing) start(form, os), os.runLoop();
      if (from == kChanged) form.optRAMLevel.select(2);
      EXPECT_EQ(os.settingsFile(), read) << "a choice alone writes nothing";
      bool lost = false, shownEnding = false, openedEnding = false;
      os.onPump = [&] {
        lost |=
            form.nidTray.wanted() && !form.blnEnding && !os.shown[0x1234].visible && !os.trayIcon;
      };
      os.onShow = [&] { shownEnding |= form.blnEnding; };
      os.whileMenu = [&] { openedEnding |= form.blnEnding; };
      os.whileModal = [&](Dialog& box) { openedEnding |= form.blnEnding, box.Cancel(); };
      os.onWrite = [&] { openedEnding |= form.blnEnded; };
      os.beforeTray = [&](uint32_t m) { openedEnding |= form.blnEnding && m == win::kNimAdd; };
      const int first = os.pumps;
      os.arriveAt = k ? first + k : 0;
      os.arrival = [&] { arrival(form, os); };
      act(form, os);
      os.runLoop();
      if (!k) return os.pumps - first;
      EXPECT_EQ(os.settingsFile(), from == kChanged ? chosen : read);
      EXPECT_LE(os.ends, 1);
      EXPECT_FALSE(os.ends && os.trayIcon) << "ended with its icon in place";
      EXPECT_FALSE(lost) << "hidden without an icon";
      EXPECT_FALSE(shownEnding) << "the window shown on the way out";
      EXPECT_FALSE(openedEnding) << "a menu, box or icon opened, or a file written, on the way";
      EXPECT_FALSE(os.ends && modOptimize::blnOptimizing) << "a run started on the way out";
      EXPECT_FALSE(os.ends && form.tmrGlobalTimer.enabled()) << "a refresh after the exit";
      EXPECT_FALSE(os.ends && form.tmrTimer.enabled()) << "a clock tick after the exit";
      EXPECT_EQ(os.samplesInAnswer, 0) << "a step inside an answer";
      EXPECT_EQ(os.files.size(), 1u) << "a temporary file left";
      return 0;
    };
    const int moments = run(0, nullptr);
    ASSERT_GT(moments, 1) << scenario;
    for (const auto& [name, arrival] : arrivals) {
      for (int k = 1; k <= moments; ++k) {
        SCOPED_TRACE(::testing::Message()
                     << scenario << ", " << name << " at " << k << " of " << moments);
        run(k, arrival);
      }
    }
  }
  modOptimize::blnOptimizing = false;
}

class ShellTest : public ::testing::Test, protected testing::LoadedWindow {};

TEST_F(ShellTest, AStaleStepOfARunGivenUpAtTheSessionsEndDoesNothing) {
  os.memory.availPageFile = 0;  // claims nothing
  form.lngFreeRam = 40, form.lngUsedRam = 0;
  form.cmdOptimizeNow_Click();
  auto stale = std::move(os.pending.front());
  os.pending.clear();
  os.sent([&] { form.SessionEnding(); });
  EXPECT_FALSE(modOptimize::blnOptimizing) << "given up";
  EXPECT_TRUE(form.varRamBlocks.empty());
  form.blnEnding = false;  // as only a program still running could start another
  form.cmdOptimizeNow_Click();
  stale();
  EXPECT_EQ(os.pending.size(), 1u) << "the stale step started a second chain";
  EXPECT_EQ(form.prgProgress.value(), 0) << "the stale step claimed for the new run";
}

// A second start's request is answered at once: no step of a run under way goes on inside it.
TEST_F(ShellTest, ASecondStartIsAnsweredWithoutAStepOfTheRunUnderWay) {
  form.lblCmdMinimize_Click();
  form.lngFreeRam = 40, form.lngUsedRam = 0;
  form.cmdOptimizeNow_Click();
  os.ticks += 100;
  bool inside = false, stepped = false;
  os.onMemoryStatus = [&] { stepped |= inside; };
  inside = true;
  os.events.showRequested();
  inside = false;
  EXPECT_FALSE(stepped);
  EXPECT_TRUE(form.form.visible());
  os.runLoop();
}

TEST_F(ShellTest, TheIconRestoresOnALeftClickAndOpensItsMenuWhereMouseOrKeyboardAsk) {
  ASSERT_TRUE(os.trayIcon);
  EXPECT_EQ(os.trayIcon->uID, 1u) << "the id the installer's check and the driver ask for";
  EXPECT_EQ(form.nidTray.version(), 4u);
  EXPECT_EQ(os.trayTip(), "Click here to open Tarnwick Demo.") << "version 4 shows it if asked";

  // A right button's release alone opens nothing: the context-menu report after it does.
  for (uint32_t code : {0x200u, 0x201u, 0x203u, 0x204u, 0x205u, 0x206u, 0x400u, 0u})
    os.events.trayIcon(code, 0, 0);
  EXPECT_TRUE(os.menuShown.empty());
  EXPECT_EQ(os.raised, 0);
  os.events.trayIcon(0x202, 0, 0);
  EXPECT_EQ(os.raised, 0x1234) << "raised above the others";
  EXPECT_EQ(os.topmost, 0) << "then let go";
  form.lngFreeRam = 2, form.lngUsedRam = 0;
  os.menuChoice = 1;  // "Optimize Now"
  os.events.trayIcon(0x205, 10, 20);
  os.events.trayIcon(0x7B, 10, 20);
  EXPECT_EQ(os.menuShown, (std::vector<std::string>{"Show Tarnwick", "Optimize Now", "-", "Exit"}));
  EXPECT_EQ(os.menuAt->x, 10);
  EXPECT_EQ(os.menuAt->y, 20);
  EXPECT_EQ(form.prgProgress.max(), 2);
  os.runLoop();

  // Enter on the icon chosen by keyboard: the menu at the icon, one however often it is
  // reported; dismissed, the keyboard goes back to the notification area, as it does not after
  // the mouse's.
  os.menuChoice = -1;
  os.events.trayIcon(0x205, 10, 20);
  os.events.trayIcon(0x7B, 10, 20);
  EXPECT_FALSE(os.trayFocused);
  int menus = 0;
  os.whileMenu = [&] { menus += 1, os.events.trayIcon(win::kNinKeySelect, 5, 6); };
  os.events.trayIcon(win::kNinKeySelect, 300, 1000);
  EXPECT_EQ(menus, 1);
  EXPECT_EQ(os.menuAt->y, 1000);
  EXPECT_TRUE(os.trayFocused);
  os.whileMenu = nullptr;

  // A shell without version 4 reports keyboard and mouse alike as the right button's release.
  os.newestTrayVersion = 0;
  bool shownWhileRemoved = true;
  os.arriveAt = os.pumps + 1;  // the removal's wait for the shell
  os.arrival = [&] { shownWhileRemoved = form.nidTray.shown() || form.nidTray.wanted(); };
  form.RemoveFromSystemTray();
  EXPECT_FALSE(shownWhileRemoved) << "still counted as shown while the shell removes it";
  form.AddToSystemTray();
  EXPECT_EQ(form.nidTray.version(), 0u);
  EXPECT_EQ(os.trayTip(), "Click here to open Tarnwick Demo.");
  os.menuChoice = 3;  // "Exit"
  os.events.trayIcon(0x205, 0, 0);
  EXPECT_FALSE(os.menuAt);
  EXPECT_EQ(os.ends, 1);
}

TEST_F(ShellTest, MinimisingHidesIntoTheTrayOnlyWithAnIconAndTheIconBringsItBack) {
  os.screen = {-1920 * 15, -300 * 15, 1920 * 15, 1080 * 15};  // a monitor left of the main one
  form.form.positionChanged(-2000 * 15, -6000);
  os.files.clear();
  form.Form_KeyDown(win::kVbKeyEscape, 4);  // Alt+Esc is the system's
  EXPECT_EQ(form.form.windowState(), forms::WindowState::Normal);
  int shows = 0;
  os.onShow = [&] { ++shows; };
  form.Form_KeyDown(win::kVbKeyEscape, 0);  // as the minimise hot spot, never exit
  EXPECT_FALSE(os.shown[0x1234].visible);
  EXPECT_EQ(shows, 0) << "shown on its way into the tray";
  os.onShow = nullptr;
  EXPECT_EQ(os.ends, 0);
  EXPECT_EQ(os.settingsFile(), testing::kDefaultFile) << "saved though nothing changed";
  os.menuChoice = 0;  // "Show Tarnwick"
  os.events.trayIcon(0x7B, 0, 0);
  EXPECT_TRUE(os.shown[0x1234].visible);
  EXPECT_EQ(form.form.windowState(), forms::WindowState::Normal);
  EXPECT_EQ(os.shown[0x1234].x, -1920) << "kept on the screen, not thrown onto the main one";
  EXPECT_EQ(os.shown[0x1234].y, -300);
  form.form.positionChanged(300, -15);
  form.lblCmdMinimize_Click();
  os.screen.top = 0;
  os.events.showRequested();  // a second start
  EXPECT_EQ(os.shown[0x1234].x, 20);
  EXPECT_EQ(os.shown[0x1234].y, 0) << "a position below zero comes back as zero";

  form.RemoveFromSystemTray();
  os.trayRefusals = 2;  // Explorer not ready at logon
  form.AddToSystemTray();
  form.lblCmdMinimize_Click();
  EXPECT_TRUE(os.shown[0x1234].visible) << "no icon to come back by";
  form.tmrTrayRetry.fire();
  EXPECT_FALSE(os.trayIcon);
  form.tmrTrayRetry.fire();
  EXPECT_TRUE(os.trayIcon);
  EXPECT_FALSE(form.tmrTrayRetry.enabled()) << "no more tries once it is there";
  form.lblCmdMinimize_Click();
  EXPECT_FALSE(os.shown[0x1234].visible);

  // Explorer ends and starts again, refusing the icon at first: the window comes back, and the
  // icon once the shell takes it; Explorer gone without a word: Minimize leaves the window where
  // it is and tries the icon again.
  os.shellEnded();
  os.trayRefusals = 1;
  os.shellStarted();
  EXPECT_TRUE(os.shown[0x1234].visible) << "put away with no icon";
  form.tmrTrayRetry.fire();
  EXPECT_EQ(os.trayTip(), "Click here to open Tarnwick Demo.");
  os.shellEnded();
  os.shellStarted(false);
  form.lblCmdMinimize_Click();
  EXPECT_TRUE(os.shown[0x1234].visible);
  EXPECT_EQ(form.form.windowState(), forms::WindowState::Normal);
  form.tmrTrayRetry.fire();
  form.lblCmdMinimize_Click();
  EXPECT_FALSE(os.shown[0x1234].visible);
}

TEST_F(ShellTest, OnlyALeftPressOnTheBackgroundDragsAndTheAboutBoxShowsTitleVersionAndSite) {
  form.Form_MouseDown(2, 0, 10, 10);
  form.Form_MouseDown(4, 0, 10, 10);
  EXPECT_FALSE(os.dragging);
  form.Form_MouseDown(1, 0, 10, 10);
  EXPECT_TRUE(os.dragging);

  std::vector<std::string> texts;
  os.whileModal = [&](Dialog& dialog) {
    auto& about = static_cast<frmAbout&>(dialog);
    texts = {about.form.caption, about.lblTitle.caption(), about.lblVersion.caption()};
    EXPECT_FALSE(about.form.unloaded()) << "open until closed";
    about.form.hWnd = 77;
    about.lblSite.Click();
    about.Cancel();
    EXPECT_TRUE(about.form.unloaded());
  };
  os.version = {2, 10, 3};
  form.lblAbout.Click();
  EXPECT_EQ(texts,
            (std::vector<std::string>{"About Tarnwick Demo", "Tarnwick Demo", "Version 2.10.3"}));
  for (const Placement& p : frmAbout(os).layout())
    EXPECT_EQ(p.font.underline && !p.font.bold, p.id == kIdAboutSite) << "only the site a link";
  EXPECT_EQ(os.opened,
            std::vector<std::string>{std::string("Open ") + kSiteAddress + " from 77 shown 1"});
}

TEST(About, SystemInformationIsFoundInTheRegistryOrTheSystemFolder) {
  FakePlatform os;
  frmAbout about(os);
  about.form.hWnd = 0x3000;
  const auto sysInfo = [&] {
    os.started.clear(), os.boxes.clear();
    about.cmdSysInfo.Click();
    EXPECT_TRUE(os.openKeys.empty()) << "every key closed";
    std::string out = os.started.empty() ? "" : os.started[0];
    for (const auto& box : os.boxes)
      out += "message over " + std::to_string(box.owner) + " icon " + std::to_string(box.icon);
    return out;
  };
  const auto place = [&](const char* key, const char* name, uint32_t type, std::string value) {
    os.registry[std::string("SOFTWARE\\Microsoft\\Shared Tools") + key][name] = {type, value};
  };
  EXPECT_EQ(sysInfo(), "message over 12288 icon 0");
  os.files["C:\\Windows\\System32\\msinfo32.exe"] = {};
  EXPECT_EQ(sysInfo(), "C:\\Windows\\System32\\msinfo32.exe");
  place(" Location", "MSINFO", win::kRegSz, "C:\\Shared\\MSInfo");
  os.files["C:\\Shared\\MSInfo\\MSINFO32.EXE"] = {};
  EXPECT_EQ(sysInfo(), "C:\\Shared\\MSInfo\\MSINFO32.EXE");
  place("\\MSINFO", "PATH", win::kRegSz, "C:\\gone.exe");
  EXPECT_EQ(sysInfo(), "C:\\Shared\\MSInfo\\MSINFO32.EXE") << "a path naming no file";
  place("\\MSINFO", "PATH", win::kRegExpandSz, "%SystemRoot%\\msinfo32.exe");
  os.files["C:\\Windows\\msinfo32.exe"] = {};
  EXPECT_EQ(sysInfo(), "C:\\Windows\\msinfo32.exe") << "the first place wins";

  // Values are read without their terminating zero; other types leave the text as it was.
  os.registry["K"] = {{"D", {win::kRegDword, std::string("\x2a\x01\0\0", 4)}}, {"B", {3, "\1\2"}}};
  std::string value = "kept";
  EXPECT_TRUE(about.GetKeyValue(win::kHKeyLocalMachine, "K", "B", value));
  EXPECT_EQ(value, "kept");
  EXPECT_TRUE(about.GetKeyValue(win::kHKeyLocalMachine, "K", "D", value));
  EXPECT_EQ(value, "298");
  EXPECT_FALSE(about.GetKeyValue(win::kHKeyLocalMachine, "K", "missing", value));
  EXPECT_EQ(value, "");
  EXPECT_FALSE(about.GetKeyValue(win::kHKeyLocalMachine, "nowhere", "D", value));
  os.registry["K"]["S"] = {win::kRegSz, "abc"};
  os.unterminated = {"S"};
  EXPECT_TRUE(about.GetKeyValue(win::kHKeyLocalMachine, "K", "S", value));
  EXPECT_EQ(value, "abc") << "stored without its zero: whole";
  os.registry["K"]["E"] = {3, ""};
  EXPECT_ANY_THROW(about.GetKeyValue(win::kHKeyLocalMachine, "K", "E", value));
  EXPECT_TRUE(os.openKeys.empty());
}

constexpr uint32_t kNormal = win::kNormalPriorityClass, kBelow = win::kBelowNormalPriorityClass,
                   kAbove = win::kAboveNormalPriorityClass, kHigh = win::kHighPriorityClass;

class PriorityTest : public ::testing::Test, protected testing::LoadedWindow {
 protected:
  void TearDown() override {
    EXPECT_TRUE(os.openHandles.empty()) << "every handle closed";
    EXPECT_EQ(os.badHandleCalls, 0) << "no call given no handle or one not open";
    EXPECT_TRUE(os.notDrawing.empty()) << "drawing given back";
    EXPECT_EQ(os.strayRedraws, 0) << "drawing given back that was never held";
  }
};

TEST_F(PriorityTest, TheListShowsEveryProcessThatGrantsTheQueryAndAPassLowersThoseThatAllowIt) {
  os.processes = {{4, "C:\\Windows\\explorer.exe"},
                  {8, "C:\\Windows\\System32\\services.exe", kHigh, true, false},
                  {12, "C:\\locked.exe", kNormal, false, false},
                  {16, "D:\\\xc3\xa9t\xc3\xa9\\tool.exe", kAbove},
                  {20, "", kNormal},  // its path cannot be read
                  {24, "C:\\odd.exe", 0x1234},
                  {28, "C:\\hidden.exe", kHigh, false, true}};  // refuses the query only
  form.ListProcesses(true);
  const testing::Lines rows = {"C:\\Windows\\explorer.exe\tNORMAL",
                               "C:\\Windows\\System32\\services.exe\tHIGH",
                               "D:\\\xc3\xa9t\xc3\xa9\\tool.exe\tABOVE NORMAL", "C:\\odd.exe\t"};
  EXPECT_EQ(form.lstProcessList.items(), rows);
  EXPECT_EQ(form.lblProcesses.caption(), "Number of active processes : 4");
  const std::vector<uint32_t> before = os.classes();
  form.lngNonActivePriority = 0;  // no valid class: the system refuses, nothing changes
  form.ListProcesses(false);
  EXPECT_EQ(os.classes(), before);
  form.lngNonActivePriority = kBelow;
  form.ListProcesses(false);
  EXPECT_EQ(os.classes(),
            (std::vector<uint32_t>{kBelow, kHigh, kNormal, kBelow, kBelow, kBelow, kBelow}));
  EXPECT_EQ(form.lstProcessList.items(), rows) << "the rows show the classes from before";

  // Every identifier is visited, however the buffer had to grow.
  for (int n : {0, 3, 4, 15, 16, 40}) {
    os.processes.clear();
    for (int i = 0; i < n; ++i) os.processes.push_back({uint32_t(100 + i), "C:\\p.exe"});
    form.ListProcesses(true);
    EXPECT_EQ(form.lstProcessList.listCount(), n);
  }
}

TEST_F(PriorityTest, TheOldFamilyListsNamesOnlyAndOthersNothing) {
  os.processes = {{4, "C:\\WINDOWS\\EXPLORER.EXE"}, {8, "C:\\APPS\\TOOL.EXE"}};
  os.platformId = 1;
  form.lngNonActivePriority = kBelow;
  int rowsAtPump = -1;  // this route lets events run between rows
  os.post([&] { rowsAtPump = form.lstProcessList.listCount(); });
  os.ticks += FakePlatform::kPostedPeriodMs;
  form.ListProcesses(false);
  EXPECT_EQ(rowsAtPump, 1);
  EXPECT_EQ(form.lstProcessList.items(), (testing::Lines{"EXPLORER.EXE", "TOOL.EXE"}));
  EXPECT_EQ(form.lblProcesses.caption(), "Number of active processes : 2");
  EXPECT_EQ(os.classes(), (std::vector<uint32_t>{kNormal, kNormal}));

  os.snapshotFails = true;
  form.lblProcesses.setCaption("before");
  form.ListProcesses(true);
  EXPECT_EQ(form.lstProcessList.listCount(), 0);
  EXPECT_EQ(form.lblProcesses.caption(), "before");

  os.platformId = 3;
  form.ListProcesses(true);
  EXPECT_EQ(form.lblProcesses.caption(), "Number of active processes : 0");

  os.redrawRefused = true;  // drawing that could not be held off is not given back
  form.ListProcesses(true);
}

TEST_F(PriorityTest, TheWatchAndTheOptionsLowerAllThenRaiseTheForegroundThenListAgain) {
  os.processes = {{4, "C:\\editor.exe"},
                  {8, "C:\\player.exe"},
                  {30, "C:\\FrameHost.exe"},
                  {31, "C:\\Calculator.exe"}};
  // A Store app's frame belongs to the frame host; the app owns the core window inside it.
  os.windows = {{0x5000, {4, "Notepad"}},
                {0x6000, {8, "Player"}},
                {0x7000, {30, "ApplicationFrameWindow"}},
                {0x7001, {31, "Windows.UI.Core.CoreWindow", 0x7000}}};
  os.foreground = 0x5000;
  form.WatchForegroundWindow();
  std::vector<testing::Lines> passes;
  form.lstProcessList.view = [&](forms::ListBox::Op op, int index) {
    if (op == forms::ListBox::Op::Cleared) passes.emplace_back();
    if (op == forms::ListBox::Op::Added) passes.back().push_back(form.lstProcessList.item(index));
  };
  const auto classesAfter = [&](auto act) {
    passes.clear();
    act();
    return os.classes();
  };
  EXPECT_EQ(classesAfter([&] { form.optActive.select(0); }),
            (std::vector<uint32_t>{kAbove, kNormal, kNormal, kNormal}))
      << "a new choice acts at once, with the same window in front";
  EXPECT_EQ(form.lstSettings.item(frmMain::kLineActive), "0");
  ASSERT_EQ(passes.size(), 2u);
  EXPECT_EQ(passes[0][0], "C:\\editor.exe\tNORMAL");
  EXPECT_EQ(passes[1][0], "C:\\editor.exe\tABOVE NORMAL");
  EXPECT_EQ(classesAfter([&] { form.optNonActive.select(1); }),
            (std::vector<uint32_t>{kAbove, kBelow, kBelow, kBelow}));
  EXPECT_EQ(form.lstSettings.item(frmMain::kLineNonActive), "1");
  classesAfter([&] { form.WatchForegroundWindow(); });
  EXPECT_TRUE(passes.empty()) << "the same foreground window: nothing to do";
  os.foreground = 0x6000;
  EXPECT_EQ(classesAfter([&] { form.WatchForegroundWindow(); }),
            (std::vector<uint32_t>{kBelow, kAbove, kBelow, kBelow}));
  os.foreground = 0x7000;
  EXPECT_EQ(classesAfter([&] { form.WatchForegroundWindow(); }),
            (std::vector<uint32_t>{kBelow, kBelow, kBelow, kAbove}));
  os.processes.push_back({40, "C:\\admin.exe", kHigh, true, false});  // elevated: refuses the set
  os.windows[0x8000] = {40, "Admin"};
  os.foreground = 0x8000;
  EXPECT_EQ(classesAfter([&] { form.WatchForegroundWindow(); }).back(), kHigh);
  os.foreground = 0;  // no foreground window at all: all down, none up
  EXPECT_EQ(classesAfter([&] { form.optActive.select(1); }),
            (std::vector<uint32_t>{kBelow, kBelow, kBelow, kBelow, kHigh}));
  EXPECT_EQ(form.lstSettings.item(frmMain::kLineActive), "1");
  os.processes.push_back({1, "C:\\first.exe"});
  os.foreground = 0x9999;  // gone the moment it was found
  EXPECT_EQ(classesAfter([&] { form.WatchForegroundWindow(); }).back(), kBelow);
}

}  // namespace
}  // namespace tarnwick
