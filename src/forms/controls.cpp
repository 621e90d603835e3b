#include "forms/controls.h"

#include "base/runtime.h"

namespace tarnwick::forms {
namespace {
void raise(const std::function<void()>& f) {
  if (f) f();
}
}  // namespace

void Label::setCaption(std::string caption) {
  if (caption == caption_) return;
  caption_ = std::move(caption);
  raise(view);
}

void TextBox::setText(std::string text) {
  if (maxLength_ > 0) {
    // Characters, not bytes: a UTF-8 sequence is never split.
    int characters = 0;
    for (size_t at = 0; at < text.size(); ++at) {
      if ((static_cast<unsigned char>(text[at]) & 0xC0) != 0x80 && characters++ == maxLength_) {
        text.resize(at);
        break;
      }
    }
  }
  if (text == text_) return;
  text_ = std::move(text);
  raise(view);
  raise(Change);
}

void CheckBox::setValue(int value) {
  if (value < 0 || value > 2) throw RuntimeError("Invalid property value");
  if (value == value_) return;
  value_ = static_cast<int16_t>(value);
  raise(view);
  raise(Click);
}

OptionGroup::OptionGroup(std::vector<std::string> captions, int selected)
    : captions_(std::move(captions)), selected_(selected) {}

void OptionGroup::select(int index) {
  if (index < 0 || index >= count()) throw RuntimeError("Control array element does not exist");
  if (index == selected_) return;
  selected_ = index;
  raise(view);
  if (Click) Click(static_cast<int16_t>(index));
}

void ComboBox::setListIndex(int index) {
  if (index < -1 || index >= listCount()) throw RuntimeError("Invalid property value");
  if (index == listIndex_) return;
  listIndex_ = index;
  raise(view);
  raise(Click);
}

const std::string& ListBox::item(int index) const {
  if (index < 0 || index >= listCount()) throw RuntimeError("Invalid property array index");
  return items_[static_cast<size_t>(index)];
}

void ListBox::addItem(std::string text) {
  items_.push_back(std::move(text));
  if (view) view(Op::Added, listCount() - 1);
}

void ListBox::setItem(int index, std::string text) {
  if (index < 0 || index >= listCount()) throw RuntimeError("Invalid property array index");
  items_[static_cast<size_t>(index)] = std::move(text);
  if (view) view(Op::Replaced, index);
}

void ListBox::clear() {
  items_.clear();
  if (view) view(Op::Cleared, -1);
}

void ListBox::setTabStops(std::vector<int32_t> stops) {
  tabStops_ = std::move(stops);
  if (view) view(Op::TabStops, -1);
}

void ProgressBar::setMax(float max) {
  if (!(max > min()) || value_ > max) throw RuntimeError("Invalid property value");
  if (max == max_) return;
  max_ = max;
  raise(view);
}

void ProgressBar::setValue(float value) {
  if (!(value >= min() && value <= max_)) throw RuntimeError("Invalid property value");
  if (value == value_) return;
  value_ = value;
  raise(view);
}

void Timer::setEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  raise(view);
}

void Timer::fire() {
  if (enabled_) raise(Tick);
}

void Form::setWindowState(WindowState state) {
  if (state == state_) return;
  state_ = state;
  raise(view);
  raise(Resize);
}

void Form::setVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  raise(view);
}

void Form::move(double left, double top) {
  left_ = left;
  top_ = top;
  raise(view);
}

}  // namespace tarnwick::forms
