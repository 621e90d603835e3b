// The interval scheduler: the clock text counts seconds into hidden counters, and at the
// chosen number of minutes an optimisation starts. Writing a counter runs the next handler
// inside the write.
#include <cmath>
#include <cstdio>

#include "app/frmMain.h"
#include "base/runtime.h"
#include "memory/modOptimize.h"

namespace tarnwick {

namespace {

double counter(const forms::TextBox& box) {
  const auto value = parseNumber(box.text());
  if (!value) throw RuntimeError("Type mismatch");
  return *value;
}

std::string clockText(const TimeOfDay& time) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", time.hour % 100, time.minute % 100,
                time.second % 100);
  return text;
}

}  // namespace

void frmMain::tmrTimer_Timer() {
  skipOnErrorSteps(
      [&] {
        // The clock stands still during an optimisation, so a run counts as one second at most.
        if (!modOptimize::blnOptimizing) txtTime.setText(clockText(platform_.localTime()));
      },
      [&] { platform_.doEvents(); });
}

void frmMain::txtTime_Change() {
  if (chkAutoOptimize[0].value() == 0) return;
  bool switchedOff = false;
  skipOnErrorSteps(
      [&] {
        // An interval of exactly "0" is the off switch, once the user has finished typing it:
        // "20" becomes "0" on the way to "30".
        if (lstSettings.listCount() <= kLineInterval || lstSettings.item(kLineInterval) != "0")
          return;
        if (chkAutoOptimize[0].value() != 1 || txtInterval.focused()) return;
        switchedOff = true;
        skipOnErrorSteps([&] { SetSettingsLine(kLineEveryOn, "0"); },
                         [&] { chkAutoOptimize[0].setValue(0); },
                         [&] { SaveSettingsToFile(strPath, strFileName, lstSettings); },
                         [&] { platform_.doEvents(); });
      },
      [&] {
        if (!switchedOff) txtSeconds.setText(numberText(counter(txtSeconds) + 1));
      },
      [&] {
        if (!switchedOff) platform_.doEvents();
      });
}

void frmMain::txtSeconds_Change() {
  skipOnErrorSteps(
      [&] {
        if (counter(txtSeconds) > 59) {
          skipOnErrorSteps([&] { txtMinutes.setText(numberText(counter(txtMinutes) + 1)); },
                           [&] { txtSeconds.setText("0"); });
        }
      },
      [&] { platform_.doEvents(); });
}

void frmMain::txtMinutes_Change() {
  skipOnErrorSteps(
      [&] {
        // An interval that is not a number is never reached. One lowered below the minutes
        // already counted fires at the next minute instead of never again.
        const auto interval =
            parseNumber(lstSettings.item(kLineInterval), platform_.decimalSeparator());
        if (!interval) return;
        const double whole = std::floor(*interval);
        if (whole < 1 || counter(txtMinutes) < whole) return;
        skipOnErrorSteps([&] { txtSeconds.setText("0"); }, [&] { txtMinutes.setText("0"); },
                         [&] { cmdOptimizeNow_Click(); }, [&] { platform_.doEvents(); });
      },
      [&] { platform_.doEvents(); });
}

void frmMain::txtInterval_Change() {
  if (blnLoading) return;
  SetSettingsLine(kLineInterval, txtInterval.text());
  platform_.doEvents();
}

void frmMain::UpDown_UpClick() {
  StepInterval(1);
}

void frmMain::UpDown_DownClick() {
  StepInterval(-1);
}

// Steps are read and written as the user's locale writes numbers: "2,5" goes up to "3,5".
void frmMain::StepInterval(int step) {
  const std::string separator = platform_.decimalSeparator();
  if (!parseNumber(txtInterval.text(), separator)) txtInterval.setText("0");
  const double interval = *parseNumber(txtInterval.text(), separator);
  if (step > 0 ? interval < 99 : interval > 0)
    txtInterval.setText(numberText(interval + step, separator));
}

}  // namespace tarnwick
