// Headless models of the window's controls. They hold the values the handlers work with and
// raise the events those handlers rely on; the Win32 shell mirrors them onto real controls
// through each model's `view` hook and feeds user input back through the setters.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tarnwick::forms {

class Label {
 public:
  explicit Label(std::string caption = {}) : caption_(std::move(caption)) {}
  const std::string& caption() const { return caption_; }
  void setCaption(std::string caption);

  std::function<void()> Click;  // hot spots only
  std::function<void()> view;

 private:
  std::string caption_;
};

class CommandButton {
 public:
  explicit CommandButton(std::string caption) : caption_(std::move(caption)) {}
  const std::string& caption() const { return caption_; }

  std::function<void()> Click;

 private:
  std::string caption_;
};

// Raises Change inside the write, and only when the text really changes. Text longer than the
// box takes is cut to its length, in characters.
class TextBox {
 public:
  explicit TextBox(std::string text = {}, int maxLength = 0)
      : text_(std::move(text)), maxLength_(maxLength) {}
  const std::string& text() const { return text_; }
  void setText(std::string text);
  int maxLength() const { return maxLength_; }  // 0: no limit
  // Whether it has the keyboard focus, as the shell reports it: the user may be typing.
  bool focused() const { return focused_; }
  void setFocused(bool focused) { focused_ = focused; }

  std::function<void()> Change;
  std::function<void()> view;

 private:
  std::string text_;
  int maxLength_;
  bool focused_ = false;
};

// Value 0 unchecked, 1 checked, 2 greyed; Click when the value changes.
class CheckBox {
 public:
  explicit CheckBox(std::string caption) : caption_(std::move(caption)) {}
  const std::string& caption() const { return caption_; }
  int16_t value() const { return value_; }
  void setValue(int value);

  std::function<void()> Click;
  std::function<void()> view;

 private:
  std::string caption_;
  int16_t value_ = 0;
};

// A group of option buttons, at most one selected. Selecting a button raises the group's
// Click with its index; selecting the one already selected raises nothing.
class OptionGroup {
 public:
  OptionGroup(std::vector<std::string> captions, int selected);
  int count() const { return static_cast<int>(captions_.size()); }
  const std::string& caption(int index) const { return captions_.at(index); }
  int selected() const { return selected_; }
  bool value(int index) const { return index == selected_; }
  void select(int index);

  std::function<void(int16_t index)> Click;
  std::function<void()> view;

 private:
  std::vector<std::string> captions_;
  int selected_;
};

// A drop-down list; list index -1 means nothing selected. Click when the index changes.
class ComboBox {
 public:
  explicit ComboBox(std::vector<std::string> items) : items_(std::move(items)) {}
  const std::vector<std::string>& items() const { return items_; }
  int listCount() const { return static_cast<int>(items_.size()); }
  int listIndex() const { return listIndex_; }
  void setListIndex(int index);

  std::function<void()> Click;
  std::function<void()> view;

 private:
  std::vector<std::string> items_;
  int listIndex_ = -1;
};

class ListBox {
 public:
  enum class Op { Cleared, Added, Replaced, TabStops };

  intptr_t hWnd = 0;  // the real list's window, once the shell has made one

  int listCount() const { return static_cast<int>(items_.size()); }
  const std::string& item(int index) const;
  const std::vector<std::string>& items() const { return items_; }
  void addItem(std::string text);
  void setItem(int index, std::string text);
  void clear();
  // Where a row's tab-separated columns begin, in dialog units.
  const std::vector<int32_t>& tabStops() const { return tabStops_; }
  void setTabStops(std::vector<int32_t> stops);

  std::function<void(Op, int index)> view;

 private:
  std::vector<std::string> items_;
  std::vector<int32_t> tabStops_;
};

// Refuses a value outside min..max; the maximum must stay above the minimum.
class ProgressBar {
 public:
  float min() const { return 0.0f; }
  float max() const { return max_; }
  float value() const { return value_; }
  void setMax(float max);
  void setValue(float value);

  std::function<void()> view;

 private:
  float max_ = 100.0f;
  float value_ = 0.0f;
};

class Timer {
 public:
  Timer(unsigned intervalMs, bool enabled) : interval_(intervalMs), enabled_(enabled) {}
  unsigned interval() const { return interval_; }
  bool enabled() const { return enabled_; }
  void setEnabled(bool enabled);
  // One period has passed. A tick that was already on its way when the timer was disabled
  // does nothing.
  void fire();

  std::function<void()> Tick;
  std::function<void()> view;

 private:
  unsigned interval_;
  bool enabled_;
};

// Only its two button events matter; its own value plays no part.
class UpDown {
 public:
  std::function<void()> UpClick;
  std::function<void()> DownClick;
};

enum class WindowState : int16_t { Normal = 0, Minimized = 1 };

// An item of a popup menu; the caption "-" is a separator line.
struct MenuItem {
  std::string caption;
  std::function<void()> Click;
};

// The window itself: state, visibility and position in twips. Changing the state raises Resize.
class Form {
 public:
  intptr_t hWnd = 0;  // the real window, once the shell has made one
  std::string caption;

  // Unloading closes and destroys the real window.
  bool unloaded() const { return unloaded_; }
  void unload() {
    unloaded_ = true;
    if (view) view();
  }

  WindowState windowState() const { return state_; }
  void setWindowState(WindowState state);
  bool visible() const { return visible_; }
  void setVisible(bool visible);
  double left() const { return left_; }
  double top() const { return top_; }
  void move(double left, double top);
  // Position as the window reports it, after the user or the system moved it.
  void positionChanged(double left, double top) { left_ = left, top_ = top; }

  std::function<void()> Resize;
  std::function<void()> view;

 private:
  WindowState state_ = WindowState::Normal;
  bool visible_ = false;
  bool unloaded_ = false;
  double left_ = 0, top_ = 0;
};

}  // namespace tarnwick::forms
