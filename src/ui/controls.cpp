#include "ui/controls.h"

#include <algorithm>

#include "ui/form.h"

namespace quor::ui {

namespace {

constexpr char16_t kBackspace = 8;
constexpr char16_t kEnter = 13;

int ClampTo(int value, int low, int high) {
  return std::max(low, std::min(value, high));
}

}  // namespace

Control::Control(Form& owner, ControlKind kind, std::string name, int index)
    : owner_(owner), kind_(kind), name_(std::move(name)), index_(index) {
  owner_.Register(this);
}

Control::~Control() {
  owner_.Unregister(this);
}

std::string Control::QualifiedName() const {
  if (index_ < 0) return name_;
  return name_ + "(" + std::to_string(index_) + ")";
}

void Control::SetFocus() {
  if (!enabled || !visible) return;
  owner_.SetActiveControl(this);
}

bool Control::HasFocus() const {
  return owner_.ActiveControl() == this;
}

// ---- TextBox ----

void TextBox::SetText(std::u16string text) {
  if (maxLength > 0 && text.size() > static_cast<std::size_t>(maxLength)) {
    text.resize(static_cast<std::size_t>(maxLength));
  }
  if (text == text_) return;
  text_ = std::move(text);
  const int size = static_cast<int>(text_.size());
  selStart = ClampTo(selStart, 0, size);
  selLength = ClampTo(selLength, 0, size - selStart);
  if (Change) Change();
}

void TextBox::SetSelection(int start, int length) {
  const int size = static_cast<int>(text_.size());
  start = ClampTo(start, 0, size);
  length = ClampTo(length, 0, size - start);
  if (start == selStart && length == selLength) return;
  selStart = start;
  selLength = length;
  if (SelChange) SelChange();
}

std::u16string TextBox::SelectedText() const {
  const int size = static_cast<int>(text_.size());
  const int start = ClampTo(selStart, 0, size);
  const int length = ClampTo(selLength, 0, size - start);
  return text_.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(length));
}

void TextBox::Type(std::u16string_view typed) {
  for (char16_t original : typed) {
    char16_t ch = original;
    if (KeyPress) KeyPress(ch);
    if (ch == 0 || readOnly) continue;

    const int size = static_cast<int>(text_.size());
    const int start = ClampTo(selStart, 0, size);
    const int length = ClampTo(selLength, 0, size - start);
    std::u16string inserted;
    int eraseFrom = start;
    int eraseCount = length;
    if (ch == kBackspace) {
      if (length == 0) {
        if (start == 0) continue;
        eraseFrom = start - 1;
        eraseCount = 1;
      }
    } else if (ch == kEnter) {
      if (!multiLine) continue;
      inserted = u"\r\n";
    } else {
      inserted.assign(1, ch);
    }
    const std::size_t newSize =
        text_.size() - static_cast<std::size_t>(eraseCount) + inserted.size();
    if (maxLength > 0 && !inserted.empty() && newSize > static_cast<std::size_t>(maxLength)) {
      continue;
    }
    std::u16string next = text_;
    next.replace(static_cast<std::size_t>(eraseFrom), static_cast<std::size_t>(eraseCount),
                 inserted);
    text_ = std::move(next);
    selStart = eraseFrom + static_cast<int>(inserted.size());
    selLength = 0;
    if (Change) Change();
  }
}

// ---- CheckBox, OptionButton ----

void CheckBox::SetValue(int value) {
  value = ClampTo(value, 0, 2);
  if (value == value_) return;
  value_ = value;
  if (Click) Click();
}

void OptionButton::SetValue(bool value) {
  if (value == value_) return;
  value_ = value;
  if (!value) return;
  // Option buttons form one group per container: selecting one clears the rest.
  for (Control* other : Owner().Controls()) {
    if (other == this || other->Kind() != ControlKind::OptionButton) continue;
    if (other->container != container) continue;
    static_cast<OptionButton*>(other)->value_ = false;
  }
  if (Click) Click();
}

// ---- ComboBox ----

void ComboBox::ClearItems() {
  items.clear();
  typedText.clear();
  listIndex_ = -1;
}

void ComboBox::SetListIndex(int index) {
  if (index < -1 || index >= static_cast<int>(items.size())) return;
  if (index == listIndex_) return;
  listIndex_ = index;
  if (index >= 0) typedText = items[static_cast<std::size_t>(index)];
  if (Click) Click();
}

std::u16string ComboBox::Text() const {
  if (style == Style::DropDownCombo) return typedText;
  if (listIndex_ < 0 || listIndex_ >= static_cast<int>(items.size())) return {};
  return items[static_cast<std::size_t>(listIndex_)];
}

// ---- VScrollBar ----

void VScrollBar::SetValue(int value) {
  value = ClampTo(value, std::min(min, max), std::max(min, max));
  if (value == value_) return;
  value_ = value;
  if (Change) Change();
}

}  // namespace quor::ui
