// The control models' event rules, and the number helpers every subsystem reads text with.
#include <gtest/gtest.h>

#include "base/runtime.h"
#include "forms/layout.h"

namespace tarnwick {
namespace {

using forms::WindowState;

TEST(Controls, RaiseTheirEventOnlyOnARealChangeAndRefuseInvalidValues) {
  std::string events;
  forms::TextBox box("0", 5);
  box.Change = [&] { events += "T" + box.text(); };
  forms::CheckBox check("x");
  check.Click = [&] { events += "C" + std::to_string(check.value()); };
  forms::OptionGroup group({"Low", "Moderate", "High"}, 2);
  group.Click = [&](int16_t i) { events += "O" + std::to_string(i); };
  forms::ComboBox combo({"10%", "20%", "30%"});
  combo.Click = [&] { events += "L" + std::to_string(combo.listIndex()); };
  forms::Form form;
  form.Resize = [&] { events += "R"; };

  box.setText("0"), box.setText("1"), box.setText("1");
  box.setText("123456789"), box.setText("12345\xc3\xa9");  // cut to five characters
  box.setText("\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9");
  check.setValue(0), check.setValue(1), check.setValue(2), check.setValue(2);
  group.select(2), group.select(0), group.select(0);
  combo.setListIndex(-1), combo.setListIndex(2), combo.setListIndex(-1);
  form.setWindowState(WindowState::Minimized), form.setWindowState(WindowState::Minimized);
  EXPECT_EQ(events,
            "T1T12345T\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9"
            "C1C2O0L2L-1R");

  EXPECT_THROW(check.setValue(3), RuntimeError);
  EXPECT_THROW(check.setValue(-1), RuntimeError);
  EXPECT_THROW(group.select(3), RuntimeError);
  EXPECT_THROW(group.select(-1), RuntimeError);
  EXPECT_THROW(combo.setListIndex(3), RuntimeError);
  EXPECT_THROW(combo.setListIndex(-2), RuntimeError);
  EXPECT_EQ(check.value(), 2);
  EXPECT_TRUE(group.value(0));

  forms::ListBox list;
  int shown = 0;
  list.view = [&](forms::ListBox::Op, int) { ++shown; };
  list.addItem("a");
  list.setItem(0, "b");
  EXPECT_EQ(shown, 2) << "each change reaches the real list";
  EXPECT_THROW(list.setItem(1, "x"), RuntimeError);
  EXPECT_THROW(list.item(-1), RuntimeError);
  forms::ProgressBar bar;
  bar.setMax(3);
  bar.setValue(3);
  EXPECT_THROW(bar.setValue(3.5f), RuntimeError);
  EXPECT_THROW(bar.setValue(-1), RuntimeError);
  EXPECT_THROW(bar.setMax(2), RuntimeError);  // below the value
  EXPECT_THROW(bar.setMax(0), RuntimeError);
}

TEST(Controls, ChangeHandlersNestInsideTheWrite) {
  forms::TextBox seconds("0"), minutes("0");
  std::string order;
  seconds.Change = [&] {
    if (seconds.text() != "60") return;
    minutes.setText("1");
    seconds.setText("0");
  };
  minutes.Change = [&] { order += "m" + seconds.text(); };
  seconds.setText("60");
  EXPECT_EQ(order, "m60");
  EXPECT_EQ(seconds.text(), "0");
}

TEST(Controls, ADisabledTimersTickThatWasOnItsWayDoesNothing) {
  forms::Timer timer(200, true);
  int ticks = 0;
  timer.Tick = [&] { ++ticks; };
  timer.fire();
  timer.setEnabled(false);
  timer.fire();
  EXPECT_EQ(ticks, 1);
}

TEST(Numbers, RoundingAndCheckedArithmetic) {
  const std::pair<double, double> halves[] = {{0.5, 0}, {1.5, 2},       {2.5, 2}, {-2.5, -2},
                                              {3.5, 4}, {2.5000001, 3}, {-0.4, 0}};
  for (const auto& [value, rounded] : halves) EXPECT_EQ(roundHalfEven(value), rounded) << value;
  EXPECT_THROW(roundToInt32(2147483648.0), RuntimeError);
  EXPECT_EQ(roundToInt32(-2147483648.4), INT32_MIN);
  EXPECT_EQ(addInt16(32766, 1), 32767);
  EXPECT_THROW(addInt16(32767, 1), RuntimeError);
  EXPECT_THROW(toInt16(-32769), RuntimeError);
  EXPECT_THROW(toInt32(1LL << 31), RuntimeError);
}

TEST(Numbers, AreReadAndWrittenAsTheLocaleWritesThem) {
  struct Case {
    const char* text;
    const char* separator;
    std::optional<double> value;
  };
  const Case cases[] = {
      {"20", ".", 20},  {"  -1.5\t", ".", -1.5}, {"+.5", ".", 0.5},  {".5", ".", 0.5},
      {"7.", ".", 7},   {"00", ".", 0},          {"2,5", ",", 2.5},  {"-,5", ",", -0.5},
      {"2.5", ",", {}}, {"1,5", ".", {}},        {"", ".", {}},      {" ", ".", {}},
      {"-", ".", {}},   {".", ".", {}},          {"1.2.3", ".", {}}, {"1 2", ".", {}},
      {"abc", ".", {}}, {"1e3", ".", {}},        {"0x10", ".", {}},  {"inf", ".", {}},
      {"nan", ".", {}}, {"- 1", ".", {}},        {"1,,5", ",", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(parseNumber(c.text, c.separator), c.value) << c.text;

  EXPECT_EQ(floorToInt16("1.9"), 1);
  EXPECT_EQ(floorToInt16("-0,5", ","), -1);
  EXPECT_EQ(floorToInt16(" 32767.9 "), 32767);
  for (const std::string& bad :
       {std::string("32768"), std::string("-32769"), "1" + std::string(400, '0'), std::string("x")})
    EXPECT_THROW(floorToInt16(bad), RuntimeError) << bad;

  EXPECT_EQ(numberText(0), "0");
  EXPECT_EQ(numberText(-3), "-3");
  EXPECT_EQ(numberText(2.9 + 1), "3.9");
  EXPECT_EQ(numberText(3.5, ","), "3,5");
}

TEST(Numbers, AFailingStepIsDroppedAndLeavesATrace) {
  std::string trace;
  static std::string* traced = nullptr;
  traced = &trace;
  traceFailure = [](const char* what) noexcept { *traced += what; };
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
  EXPECT_EQ(twipsToPixels(5535, 144), 553) << "sizes round down";
}

}  // namespace
}  // namespace tarnwick
