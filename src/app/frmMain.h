// The main window: every control, hidden storage control and window-level variable of the
// program, and the handlers and procedures that act on them. Member definitions are split by
// subsystem across the source folders.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/choices.h"
#include "app/layout.h"
#include "app/tray_icon.h"
#include "forms/controls.h"
#include "memory/modOptimize.h"
#include "platform/platform.h"

namespace tarnwick {

inline constexpr const char* kAppTitle = "Tarnwick Demo";

class frmMain {
 public:
  explicit frmMain(Platform& platform);
  ~frmMain();
  frmMain(const frmMain&) = delete;
  frmMain& operator=(const frmMain&) = delete;

  // The window and its visible controls, with their design-time contents.
  forms::Form form;
  forms::Label lblAbout, lblCmdMinimize, lblCmdClose;
  forms::OptionGroup optRAMLevel{choices::ramLevelCaptions(), choices::kDesignRamLevel};
  std::array<forms::CheckBox, 2> chkAutoOptimize{
      forms::CheckBox{"Optimize every"}, forms::CheckBox{"When Free Memory Level Drops Below"}};
  forms::TextBox txtInterval{"0", 5};
  forms::UpDown UpDown;
  forms::Label Label1{"minutes."};
  forms::ComboBox cbbPercent{choices::freeLimitCaptions()};
  forms::Label Label2{"Total Ram :"}, lblTotalRam{"0"};
  forms::Label Label3{"Free Ram :"}, lblFreeRam{"0"};
  forms::Label cmdOptimizeNow;
  forms::ProgressBar prgProgress;
  forms::OptionGroup optActive{{"High", "Normal"}, 1};
  forms::OptionGroup optNonActive{{"Normal", "Low"}, 0};
  forms::Label lblProcesses;
  forms::ListBox lstProcessList;

  // Hidden storage controls: typed variables with change events, never shown.
  forms::ListBox lstSettings;
  // The store's lines, one choice each, in the file's order.
  enum SettingsLine : int {
    kLineRamLevel,     // optRAMLevel's index
    kLineEveryOn,      // chkAutoOptimize(0): "1" or "0"
    kLineInterval,     // txtInterval's text
    kLineLowMemoryOn,  // chkAutoOptimize(1): "1" or "0"
    kLinePercent,      // cbbPercent's index
    kLineActive,       // optActive's index
    kLineNonActive,    // optNonActive's index
  };
  forms::TextBox txtTime, txtSeconds{"0"}, txtMinutes{"0"};

  forms::Timer tmrTimer{987, true};
  forms::Timer tmrGlobalTimer{200, true};
  // Tries again to add the tray icon while the shell refuses it (at logon, before Explorer).
  forms::Timer tmrTrayRetry{3000, false};

  // The tray icon's popup menu, and the icon.
  std::vector<forms::MenuItem> mnuPopup;
  TrayIcon nidTray;
  // The icon's popup menu is open; the icon's last message.
  bool blnMenuOpen = false;
  uint32_t lngLastTrayMessage = 0;
  // The refusal to close during an optimisation is on the screen.
  bool blnRefusing = false;
  // The window's position in twips at the last resize, never below zero.
  double dblSavedLeft = 0, dblSavedTop = 0;

  // Memory figures of the last refresh, whole megabytes.
  int32_t lngTotalRam = 0, lngFreeRam = 0, lngUsedRam = 0;

  // The two jobs of the global tick.
  int16_t intRefreshTicks = 0, intRefreshCount = 0;
  bool blnRefreshOn = false;
  int16_t intWatchTicks = 0, intWatchCount = 0;
  bool blnWatchOn = false;

  bool blnLoading = false;
  // The program is on its way out (a close was accepted, or the session ends): nothing adds the
  // icon or closes again. Ended: the icon is gone and the end asked for.
  bool blnEnding = false, blnEnded = false;

  // The settings file is not written over: not yet read into the store; or there but held at
  // start-up, when it still holds the user's choices, until the user changes one.
  bool blnKeepSettingsFile = true, blnSettingsUnread = false;
  // A file a save left with the choices in the settings file's place, which could not take its
  // name back at start-up: read from there until a save puts the settings file back.
  std::string strSettingsLeft;
  // The file's bytes as read at start-up, and whether the user has changed a choice since: a
  // file in a shape the program does not write is kept until a choice changes.
  std::optional<std::string> strSettingsAsRead;
  bool blnChoicesChanged = false;

  // The optimiser's blocks, one slot more than blocks; empty outside a run.
  std::vector<modOptimize::RamBlock> varRamBlocks;
  // The run in progress: its number (one more for each run), how many blocks, the next to
  // claim, and whether memory still had room for the last.
  uint32_t lngRunNumber = 0;
  int16_t intRunBlocks = 0, intNextBlock = 0;
  bool blnRoomLeft = true;
  // Percent of used memory an optimisation claims on top of the free memory.
  int16_t intRamLevel = 0;
  // Free share of total memory below which an optimisation starts by itself.
  float sngFreeLimit = 0.0f;
  // When the last optimisation ended (tick count); the trigger waits a cool-down after it.
  std::optional<uint64_t> lastRunEnded;

  // Priority classes for the foreground application and for every other process.
  uint32_t lngActivePriority = 0, lngNonActivePriority = 0;
  // The foreground window at the last check; -1 makes the next check act.
  OsHandle lngLastForeground = 0;

  // Start-up and shutdown. Cancel non-zero keeps the window open.
  void Form_Load();
  // Shows the loaded window, or puts it straight into the tray when the program was started
  // minimised; what its first frame does not show follows from the loop.
  void ShowAfterLoad();
  void Form_Unload(int16_t& Cancel);
  // Windows is logging off or shutting down, or an installer asks the program to end so that
  // it can replace its files: answered at once, a run in progress given up, the choices kept.
  void SessionEnding();
  // A second start asks for the window.
  void ShowRequested();

  // Chrome: dragging by the background, and the three hot spots. Button 1 is the left one.
  void Form_MouseDown(int16_t Button, int16_t Shift, float X, float Y);
  void lblCmdClose_Click();
  void lblCmdMinimize_Click();
  void lblAbout_Click();
  // A key the window answers itself, as Windows users expect; KeyCode is the virtual key.
  void Form_KeyDown(int16_t KeyCode, int16_t Shift);

  // The tray icon and its menu.
  void AddToSystemTray();
  void RemoveFromSystemTray();
  void tmrTrayRetry_Timer();
  // Explorer started again: its new taskbar holds no icon.
  void TaskbarCreated();
  void RestoreWindow();
  // The form's view: the real window shown or hidden as the form says.
  void ShowForm();
  void Form_Resize();
  // An event of the tray icon: `Message` is the mouse message's number or the icon's own
  // notification; X and Y where on the screen it happened (for version 4 of the icon).
  void nidTray_Callback(uint32_t Message, int X = 0, int Y = 0);
  void mnuPopupOpen_Click();
  void mnuPopupExit_Click();

  // The settings store and its file beside the exe.
  static constexpr const char* strPath = "\\";
  static constexpr const char* strFileName = "Settings.qkv";
  void CheckSettings();
  void LoadFiles(const std::string& strPath, const std::string& strFileName,
                 forms::ListBox& SettingsList);
  void SaveSettingsToFile(const std::string& strPath, const std::string& strFileName,
                          forms::ListBox& lstSettingsList);
  void ApplySettings();
  // Writes one line of the store; a store too short for it is first filled with the defaults.
  void SetSettingsLine(SettingsLine line, std::string text);

  // Memory status and the global tick.
  void TimerCode();
  void tmrGlobalTimer_Timer();

  // Optimisation.
  void cmdOptimizeNow_Click();
  void mnuPopupOptimize_Click();
  void optRAMLevel_Click(int16_t Index);

  // Automatic optimisation: the free-memory trigger and the interval scheduler.
  void cbbPercent_Click();
  void chkAutoOptimize_Click(int16_t Index);
  void tmrTimer_Timer();
  void txtTime_Change();
  void txtSeconds_Change();
  void txtMinutes_Change();
  void txtInterval_Change();
  void UpDown_UpClick();
  void UpDown_DownClick();

  // Process priorities.
  void ListProcesses(const bool& blnListOnly);
  void WatchForegroundWindow();
  void BoostForegroundProcess(const OsHandle& window);
  void optActive_Click(int16_t Index);
  void optNonActive_Click(int16_t Index);

  // The visible controls in creation order, containers before their contents.
  std::vector<Placement> layout();

 private:
  void UnloadMe();
  void BringBack();
  // Removes the icon and ends the program, once.
  void EndNow();
  void ShowPopupMenu(std::optional<ScreenPoint> at, bool fromKeyboard);
  // The settings file's full path where it is kept, and where it is read from; fails when the
  // program's folder is unknown.
  std::string SettingsPath(const std::string& strPath, const std::string& strFileName);
  std::string SettingsReadPath(const std::string& strPath, const std::string& strFileName);
  void ReadHeldSettings();
  void PriorityChosen(uint32_t& priority, uint32_t value, SettingsLine line,
                      const forms::OptionGroup& group);
  void ApplyWorkingChoices();
  void RefreshStatus();
  void StepInterval(int step);
  void OptimizeRam(const int16_t& count);
  void NextOptimizeStep();
  void OptimizeStep();
  void EndOptimizing();
  void TestFreeMemory();

  Platform& platform_;
};

}  // namespace tarnwick
