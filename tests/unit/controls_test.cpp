#include <gtest/gtest.h>

#include "base/runtime.h"
#include "forms/controls.h"

namespace tarnwick::forms {
namespace {

TEST(TextBox, ChangeIsRaisedInsideTheWriteAndOnlyOnRealChange) {
  TextBox box("0");
  std::vector<std::string> seen;
  box.Change = [&] { seen.push_back(box.text()); };
  box.setText("0");
  box.setText("1");
  box.setText("1");
  box.setText("");
  EXPECT_EQ(seen, (std::vector<std::string>{"1", ""}));
}

TEST(TextBox, ChangeHandlersNestThroughWrites) {
  TextBox seconds("0"), minutes("0");
  seconds.Change = [&] {
    if (seconds.text() == "60") {
      minutes.setText("1");
      seconds.setText("0");  // nested Change of the same box runs inside this one
    }
  };
  std::string order;
  minutes.Change = [&] { order += "m" + seconds.text(); };
  seconds.setText("60");
  EXPECT_EQ(order, "m60");
  EXPECT_EQ(seconds.text(), "0");
}

TEST(CheckBox, ClickOnChangeAndInvalidValuesFail) {
  CheckBox box("x");
  int clicks = 0;
  box.Click = [&] { ++clicks; };
  box.setValue(0);
  box.setValue(1);
  box.setValue(2);
  box.setValue(2);
  EXPECT_EQ(clicks, 2);
  EXPECT_THROW(box.setValue(3), RuntimeError);
  EXPECT_THROW(box.setValue(-1), RuntimeError);
  EXPECT_EQ(box.value(), 2);
}

TEST(OptionGroup, ClickCarriesTheIndexOnlyWhenSelectionMoves) {
  OptionGroup group({"Low", "Moderate", "High"}, 2);
  std::vector<int> clicks;
  group.Click = [&](int16_t i) { clicks.push_back(i); };
  group.select(2);
  group.select(0);
  group.select(1);
  EXPECT_EQ(clicks, (std::vector<int>{0, 1}));
  EXPECT_TRUE(group.value(1));
  EXPECT_FALSE(group.value(0));
  EXPECT_THROW(group.select(3), RuntimeError);
  EXPECT_THROW(group.select(-1), RuntimeError);
  EXPECT_EQ(group.selected(), 1);
}

TEST(ComboBox, ListIndexRangeAndClick) {
  ComboBox combo({"10%", "20%", "30%"});
  int clicks = 0;
  combo.Click = [&] { ++clicks; };
  EXPECT_EQ(combo.listIndex(), -1);
  combo.setListIndex(-1);
  combo.setListIndex(2);
  combo.setListIndex(2);
  combo.setListIndex(-1);
  EXPECT_EQ(clicks, 2);
  EXPECT_THROW(combo.setListIndex(3), RuntimeError);
  EXPECT_THROW(combo.setListIndex(-2), RuntimeError);
}

TEST(ListBox, ItemsAndViewNotifications) {
  ListBox list;
  std::vector<std::pair<ListBox::Op, int>> ops;
  list.view = [&](ListBox::Op op, int i) { ops.emplace_back(op, i); };
  list.addItem("a");
  list.addItem("b");
  list.setItem(1, "c");
  EXPECT_EQ(list.item(1), "c");
  EXPECT_THROW(list.setItem(2, "x"), RuntimeError);
  EXPECT_THROW(list.item(-1), RuntimeError);
  list.clear();
  EXPECT_EQ(list.listCount(), 0);
  EXPECT_EQ(ops.size(), 4u);
  EXPECT_EQ(ops.back().first, ListBox::Op::Cleared);
}

TEST(ProgressBar, RefusesValuesOutsideItsRange) {
  ProgressBar bar;
  bar.setMax(3);
  bar.setValue(3);
  EXPECT_THROW(bar.setValue(3.5f), RuntimeError);
  EXPECT_THROW(bar.setValue(-1), RuntimeError);
  EXPECT_THROW(bar.setMax(2), RuntimeError);  // below the value
  EXPECT_THROW(bar.setMax(0), RuntimeError);
  bar.setValue(0);
  bar.setMax(1);
  EXPECT_EQ(bar.max(), 1);
}

TEST(Form, StateChangeRaisesResizeOnce) {
  Form form;
  int resizes = 0, views = 0;
  form.Resize = [&] { ++resizes; };
  form.view = [&] { ++views; };
  form.setWindowState(WindowState::Minimized);
  form.setWindowState(WindowState::Minimized);
  form.positionChanged(-15, 30);
  EXPECT_EQ(resizes, 1);
  EXPECT_EQ(views, 1);
  EXPECT_EQ(form.left(), -15);
}

}  // namespace
}  // namespace tarnwick::forms
