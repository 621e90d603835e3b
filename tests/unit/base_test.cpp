// The control models' event rules, and the number helpers every subsystem reads text with.
#include <gtest/gtest.h>

#include "app/choices.h"
#include "base/runtime.h"
#include "forms/layout.h"
#include "memory/modOptimize.h"

namespace tarnwick {
namespace {

TEST(Controls, RaiseTheirEventOnlyOnARealChangeAndRefuseInvalidValues) {
  std::string events;
  forms::TextBox box("0", 5);
  box.Change = [&] { events += "T" + box.text(); };
  forms::CheckBox check("x");
  check.Click = [&] { events += "C" + std::to_string(check.value()); };
  forms::OptionGroup group({"Low", "Moderate", "High"}, 2);
  group.Click = [&](int16_t i) { events += "O" + std::to_string(i); };
  forms::Label label("a");
  // The shell redraws only on a change.
  label.view = group.view = box.view = check.view = [&] { events += "v"; };
  forms::ComboBox combo({"10%", "20%", "30%"});
  combo.view = label.view;
  combo.Click = [&] { events += "L" + std::to_string(combo.listIndex()); };
  forms::Form form;
  form.Resize = [&] { events += "R"; };
  form.view = [&] { events += "F"; };
  forms::ListBox list;
  list.view = [&](forms::ListBox::Op, int) { events += "V"; };
  forms::Timer timer(200, true);
  timer.Tick = [&] { events += "K"; };
  forms::ProgressBar bar;
  timer.view = bar.view = [&] { events += "b"; };

  box.setText("0"), box.setText("1"), box.setText("1"), box.setText("123456789");
  box.setText("12345\xc3\xa9"), box.setText("\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9");
  check.setValue(0), check.setValue(1), check.setValue(2), check.setValue(2);
  group.select(2), group.select(0), group.select(0), label.setCaption("a"), label.setCaption("b");
  combo.setListIndex(-1), combo.setListIndex(2), combo.setListIndex(-1);
  form.setWindowState(forms::WindowState::Minimized);
  form.setWindowState(forms::WindowState::Minimized);
  form.setVisible(true), form.setVisible(false), form.move(1, 2);
  list.addItem("a"), list.setItem(0, "b"), list.setTabStops({0, 270});
  timer.fire(), timer.setEnabled(true), timer.setEnabled(false), timer.setEnabled(false);
  timer.fire();  // a tick on its way when disabled
  bar.setMax(3), bar.setValue(3), bar.setValue(3), bar.setMax(3);
  EXPECT_EQ(events,
            "vT1vT12345vT\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9"
            "vC1vC2vO0vvL2vL-1FRFFFVVVKbbb");

  const std::function<void()> refused[] = {[&] { check.setValue(3); },
                                           [&] { check.setValue(-1); },
                                           [&] { group.select(3); },
                                           [&] { group.select(-1); },
                                           [&] { combo.setListIndex(3); },
                                           [&] { combo.setListIndex(-2); },
                                           [&] { list.setItem(1, ""); },
                                           [&] { list.item(-1); },
                                           [&] { bar.setValue(3.5f); },
                                           [&] { bar.setValue(-1); },
                                           [&] { bar.setMax(2); },
                                           [&] { bar.setMax(0); },
                                           [] { forms::ProgressBar().setMax(0); }};
  for (const auto& change : refused) EXPECT_THROW(change(), RuntimeError);
  EXPECT_TRUE(check.value() == 2 && group.value(0) && bar.max() == 3);
}

TEST(Numbers, AreRoundedHalfToEvenAndOverflowIsAnError) {
  const std::pair<double, double> halves[] = {{0.5, 0}, {1.5, 2},       {2.5, 2}, {-2.5, -2},
                                              {3.5, 4}, {2.5000001, 3}, {-0.4, 0}};
  for (const auto& [value, rounded] : halves) EXPECT_EQ(roundHalfEven(value), rounded) << value;
  EXPECT_EQ(roundToInt32(-2147483648.4), INT32_MIN);
  EXPECT_EQ(toInt32(INT32_MIN), INT32_MIN);
  EXPECT_EQ(toInt32(INT32_MAX), INT32_MAX);
  EXPECT_EQ(roundToInt32(2147483647.4), INT32_MAX);
  EXPECT_EQ(addInt16(32766, 1), 32767);
  EXPECT_EQ(toInt16(-32768), -32768);
  EXPECT_EQ(modOptimize::TrimLastChar("abc"), "ab");
  const std::function<void()> overflows[] = {
      [] { roundToInt32(2147483648.0); }, [] { addInt16(32767, 1); }, [] { toInt16(-32769); },
      [] { toInt32(1LL << 31); }, [] { modOptimize::TrimLastChar(""); }};
  for (const auto& overflow : overflows) EXPECT_THROW(overflow(), RuntimeError);
  EXPECT_FALSE(choices::ramLevel(3) || choices::freeLimit(3) || choices::freeLimit(-1));
}

TEST(Numbers, AreReadAndWrittenAsTheLocaleWritesThem) {
  const std::tuple<const char*, const char*, std::optional<double>> cases[] = {
      {"20", ".", 20},  {"  -1.5\t", ".", -1.5}, {"+.5", ".", 0.5},  {".5", ".", 0.5},
      {"7.", ".", 7},   {"00", ".", 0},          {"2,5", ",", 2.5},  {"-,5", ",", -0.5},
      {"2.5", ",", {}}, {"1,5", ".", {}},        {"", ".", {}},      {" ", ".", {}},
      {"-", ".", {}},   {".", ".", {}},          {"1.2.3", ".", {}}, {"1 2", ".", {}},
      {"abc", ".", {}}, {"1e3", ".", {}},        {"0x10", ".", {}},  {"inf", ".", {}},
      {"nan", ".", {}}, {"- 1", ".", {}},        {"1,,5", ",", {}}};
  for (const auto& [text, separator, value] : cases)
    EXPECT_EQ(parseNumber(text, separator), value) << text;
  EXPECT_EQ(floorToInt16("1.9") + floorToInt16("-0,5", ",") * 10, -9);
  EXPECT_EQ(floorToInt16(" 32767.9 "), 32767);
  EXPECT_EQ(floorToInt16("-32768"), -32768);
  for (const std::string bad : {"32768", "-32769", "1e400", "x"})
    EXPECT_THROW(floorToInt16(bad == "1e400" ? "1" + std::string(400, '0') : bad), RuntimeError);
  EXPECT_EQ(numberText(0) + numberText(-3) + numberText(2.9 + 1) + numberText(3.5, ","),
            "0-33.93,5");
}

TEST(Numbers, AFailingStepIsDroppedAndLeavesATrace) {
  static std::string trace;
  traceFailure = [](const char* what) noexcept { trace += what; };
  skipOnErrorSteps([&] { trace += 'a'; }, [&] { throw RuntimeError("-x-"); }, [&] { throw 7; },
                   [&] { trace += 'd'; });
  traceFailure = nullptr;
  EXPECT_EQ(trace, "a-x-unknown failured");
}

TEST(Numbers, AWindowPositionComesBackToTheSamePixelAtEveryDensity) {
  for (unsigned dpi : {96u, 120u, 144u, 168u, 192u, 216u, 240u, 288u}) {
    for (int pixels = -4000; pixels <= 4000; ++pixels)
      ASSERT_EQ(positionToPixels(positionToTwips(pixels, dpi), dpi), pixels) << dpi;
  }
  EXPECT_EQ(positionToTwips(100, 96), 1500);
  EXPECT_EQ(twipsToPixels(5535, 144) + twipsToPixels(1440, 96), 553 + 96) << "sizes round down";
}

}  // namespace
}  // namespace tarnwick
