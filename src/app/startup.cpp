#include "app/choices.h"
#include "app/frmMain.h"
#include "base/runtime.h"
#include "memory/modOptimize.h"

namespace tarnwick {

frmMain::frmMain(Platform& platform) : nidTray(platform), platform_(platform) {
  form.view = [this] { ShowForm(); };
  tmrGlobalTimer.Tick = [this] { tmrGlobalTimer_Timer(); };
  tmrTimer.Tick = [this] { tmrTimer_Timer(); };
  form.Resize = [this] { Form_Resize(); };
  lblAbout.Click = [this] { lblAbout_Click(); };
  lblCmdMinimize.Click = [this] { lblCmdMinimize_Click(); };
  lblCmdClose.Click = [this] { lblCmdClose_Click(); };
  cmdOptimizeNow.Click = [this] { cmdOptimizeNow_Click(); };
  optRAMLevel.Click = [this](int16_t index) { optRAMLevel_Click(index); };
  cbbPercent.Click = [this] { cbbPercent_Click(); };
  for (int16_t i = 0; i < 2; ++i)
    chkAutoOptimize[i].Click = [this, i] { chkAutoOptimize_Click(i); };
  txtTime.Change = [this] { txtTime_Change(); };
  txtSeconds.Change = [this] { txtSeconds_Change(); };
  txtMinutes.Change = [this] { txtMinutes_Change(); };
  txtInterval.Change = [this] { txtInterval_Change(); };
  UpDown.UpClick = [this] { UpDown_UpClick(); };
  UpDown.DownClick = [this] { UpDown_DownClick(); };
  optActive.Click = [this](int16_t index) { optActive_Click(index); };
  optNonActive.Click = [this](int16_t index) { optNonActive_Click(index); };
  tmrTrayRetry.Tick = [this] { tmrTrayRetry_Timer(); };
  mnuPopup = {{"Show Tarnwick", [this] { mnuPopupOpen_Click(); }},
              {"Optimize Now", [this] { mnuPopupOptimize_Click(); }},
              {"-", nullptr},
              {"Exit", [this] { mnuPopupExit_Click(); }}};
  for (forms::Timer* timer : {&tmrGlobalTimer, &tmrTimer, &tmrTrayRetry}) {
    timer->view = [this, timer] { platform_.setTimer(*timer); };
    if (timer->enabled()) timer->view();
  }
  platform_.listen({[this](uint32_t message, int x, int y) { nidTray_Callback(message, x, y); },
                    [this] { TaskbarCreated(); }, [this] { ShowRequested(); }});
}

// The platform may outlive the window's object (a test's): nothing calls back into it after.
frmMain::~frmMain() {
  platform_.listen({});
  for (forms::Timer* timer : {&tmrGlobalTimer, &tmrTimer, &tmrTrayRetry}) timer->setEnabled(false);
}

void frmMain::Form_Load() {
  // Access denied: it runs already, at another integrity level (elevated, say).
  const uint32_t instance = platform_.createInstanceObject();
  if (instance == win::kErrorAlreadyExists || instance == win::kErrorAccessDenied) {
    // Starting the program again is how users look for its window: the running one shows it.
    blnEnding = blnEnded = true;
    platform_.showOtherInstance();
    platform_.endProgram();
    return;
  }
  // An installer that closes it to replace its files starts it again afterwards; nothing else
  // does, the user's own exit included.
  skipOnError([&] {
    platform_.registerForRestart(win::kRestartNoCrash | win::kRestartNoHang |
                                 win::kRestartNoReboot);
  });
  // A close or the session's end can come in any pump: from then on, start-up stops.
  const auto step = [this](auto body, bool pump = false) {
    return [this, body, pump] {
      if (blnEnding) return;
      body();
      if (pump) platform_.doEvents();
    };
  };
  skipOnErrorSteps(step([&] { blnLoading = true; }), step([&] { CheckSettings(); }, true),
                   step([&] { LoadFiles(strPath, strFileName, lstSettings); }, true),
                   step([&] { ApplySettings(); }, true), step([&] { ApplyWorkingChoices(); }),
                   step([&] { prgProgress.setValue(0); }),
                   step([&] { tmrGlobalTimer.setEnabled(true); }), step([&] {
                     intRefreshTicks = 10;
                     blnRefreshOn = true;
                     intWatchTicks = 20;
                     blnWatchOn = true;
                   }),
                   step([&] { modOptimize::SetListTabStops(lstProcessList); }, true),
                   step([&] { TimerCode(); }, true), [&] { blnLoading = false; });
}

// What the window's first frame does not show (the icon in the notification area, the list of
// processes) comes right after it, in this order: the window appears sooner, and by the time a
// user could look for either, both are there. Started minimised, the icon is all there is to
// see: it comes at once, and the window goes straight into the tray, or shows after all where the
// shell has none for it yet, since nothing else would bring it back.
void frmMain::ShowAfterLoad() {
  if (blnEnding) return;
  const bool intoTray = choices::startsInTray(platform_.startupShowCommand());
  skipOnError([&] {
    if (!intoTray) return form.setVisible(true);
    AddToSystemTray();
    // Put away by Form_Resize, which saves, where the shell still holds the icon by then.
    if (nidTray.shown()) form.setWindowState(forms::WindowState::Minimized);
    if (form.windowState() != forms::WindowState::Minimized) form.setVisible(true);
  });
  if (form.visible()) skipOnError([&] { platform_.activateWindow(form.hWnd); });
  skipOnError([&] {
    platform_.post([this, intoTray] {
      const auto step = [this](auto body) {
        return [this, body] {
          if (blnEnding) return;
          body();
          platform_.doEvents();
        };
      };
      skipOnErrorSteps(step([&] {
                         if (!intoTray) AddToSystemTray();
                       }),
                       step([&] { ListProcesses(true); }));
    });
  });
}

// The handlers that would set these find blnLoading set while the stored choices are put back,
// so without this the choices shown would not be the ones in force: a trigger that can never
// fire, a RAM level of 0, priority choices that change nothing until clicked again.
void frmMain::ApplyWorkingChoices() {
  skipOnErrorSteps(
      [&] {
        if (const auto level = choices::ramLevel(optRAMLevel.selected())) intRamLevel = *level;
      },
      [&] {
        if (const auto limit = choices::freeLimit(cbbPercent.listIndex())) sngFreeLimit = *limit;
      },
      [&] { lngActivePriority = choices::activeClass(optActive.selected()); },
      [&] { lngNonActivePriority = choices::nonActiveClass(optNonActive.selected()); });
}

void frmMain::Form_Unload(int16_t& Cancel) {
  if (blnEnding) return;
  if (modOptimize::blnOptimizing) {
    skipOnErrorSteps(
        [&] {
          // Shown aside, not from inside the run's pump, so the run goes on and ends underneath
          // it; a second request while it is up adds no second box.
          if (blnRefusing) return;
          blnRefusing = true;
          platform_.messageBoxAside(form.hWnd,
                                    "Optimization in progress. Please wait for optimization\r\n"
                                    "to finish before exiting Tarnwick Demo.",
                                    kAppTitle, win::kMbIconInformation,
                                    [this] { blnRefusing = false; });
        },
        [&] { Cancel = 1; });
    return;
  }
  blnEnding = true;
  // The icon goes after the last pump, so nothing in it can bring the icon back.
  skipOnErrorSteps([&] { tmrGlobalTimer.setEnabled(false); }, [&] { tmrTimer.setEnabled(false); },
                   [&] {
                     SaveSettingsToFile(strPath, strFileName, lstSettings);
                     platform_.doEvents();
                   },
                   [&] { EndNow(); });
}

// Windows gives a program a few seconds here, and an installer's restart manager less: the run
// is given up rather than finished, and nothing waits. It may come in the pump of an exit under
// way, which may not get further once this returns: the choices are saved here all the same.
void frmMain::SessionEnding() {
  if (blnEnded) return;
  const Answering answer(platform_);
  blnEnding = true;
  skipOnErrorSteps([&] { tmrGlobalTimer.setEnabled(false); }, [&] { tmrTimer.setEnabled(false); },
                   [&] {
                     if (modOptimize::blnOptimizing) EndOptimizing();
                   },
                   [&] { SaveSettingsToFile(strPath, strFileName, lstSettings); },
                   [&] { EndNow(); });
}

void frmMain::EndNow() {
  if (blnEnded) return;
  blnEnded = true;
  skipOnErrorSteps([&] { RemoveFromSystemTray(); }, [&] { platform_.endProgram(); });
}

}  // namespace tarnwick
