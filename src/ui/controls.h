// Control objects of the window model: the state a window's behaviour talks
// about (text, caption, value, list, enabled, visible, geometry in twips,
// tool tip, font) and the events a user raises on them. A renderer reads this
// state and turns widget signals into the event callbacks; tests set state and
// call the callbacks exactly as a user's actions would.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quor::ui {

class Form;

// Position and size in twips (15 twips per pixel at 96 dpi).
struct Geometry {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

struct Font {
  std::u16string name = u"MS Sans Serif";
  double size = 8.25;  // points
  bool bold = false;
};

// Colours as 0x00BBGGRR, the classic layout (15646940 = blue EE, green C0, red DC).
using Colour = std::uint32_t;
inline constexpr Colour kDefaultBackColour = 0xF0F0F0;  // the system's button face

enum class ControlKind {
  Label,
  TextBox,
  CommandButton,
  CheckBox,
  OptionButton,
  ComboBox,
  Frame,
  PictureBox,
  VScrollBar,
  Timer,
};

class Control {
 public:
  // Registers the control with its form; the destructor takes it off again.
  Control(Form& owner, ControlKind kind, std::string name, int index = -1);
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  ControlKind Kind() const { return kind_; }
  const std::string& Name() const { return name_; }
  // Position in a control array, -1 for a single control.
  int Index() const { return index_; }
  Form& Owner() const { return owner_; }
  // Name with the array index, e.g. "cmdListFiles(1)".
  std::string QualifiedName() const;

  bool enabled = true;
  bool visible = true;
  Geometry geometry;
  std::u16string toolTip;
  Font font;
  Colour backColour = kDefaultBackColour;
  bool hasBackColour = false;  // false: the renderer's default look
  int tabIndex = 0;
  // The frame (or picture box) this control sits in; geometry is relative to it.
  Control* container = nullptr;

  // Events a user raises. The window wires them to its handlers.
  std::function<void()> Click;
  std::function<void()> DblClick;
  std::function<void()> GotFocus;
  std::function<void()> LostFocus;
  std::function<void()> Change;
  // A typed character; the handler may replace it (0 swallows it).
  std::function<void(char16_t&)> KeyPress;

  // Moves the focus to this control (the owner records it and raises
  // LostFocus / GotFocus). Ignored for a disabled or invisible control.
  void SetFocus();
  bool HasFocus() const;

 private:
  Form& owner_;
  ControlKind kind_;
  std::string name_;
  int index_;
};

class Label : public Control {
 public:
  Label(Form& owner, std::string name, int index = -1)
      : Control(owner, ControlKind::Label, std::move(name), index) {}
  std::u16string caption;
  bool wordWrap = true;
  bool autoSize = false;
  enum class Alignment { Left, Right, Center } alignment = Alignment::Left;
  bool underline = false;  // links
};

class TextBox : public Control {
 public:
  TextBox(Form& owner, std::string name, int index = -1)
      : Control(owner, ControlKind::TextBox, std::move(name), index) {}

  const std::u16string& Text() const { return text_; }
  // Sets the text (cut to maxLength when set) and raises Change when it differs.
  // The selection is kept, clamped to the new text. A renderer passes the
  // user's edits through here too (then SetSelection for the caret).
  void SetText(std::u16string text);
  // What typing does: each character goes through KeyPress (which may replace
  // or swallow it) and is inserted at the caret, replacing the selection.
  // Backspace (8) deletes the selection or the character before the caret;
  // Enter (13) inserts CR LF in a multi-line box and nothing otherwise. A
  // read-only box raises KeyPress but keeps its text; maxLength refuses
  // characters that would make the text longer. Change follows each edit.
  void Type(std::u16string_view typed);
  // Selects length characters from start (both clamped to the text); raises
  // SelChange when the selection moved. Put the caret at the end with
  // SetSelection(Text().size(), 0).
  void SetSelection(int start, int length);
  // Raised by SetSelection when the selection changed (mouse or keys).
  std::function<void()> SelChange;

  int maxLength = 0;  // 0: no limit
  bool multiLine = false;
  bool readOnly = false;  // "Locked"
  bool verticalScrollBar = false;
  // Selection, 0-based character positions.
  int selStart = 0;
  int selLength = 0;
  std::u16string SelectedText() const;

 private:
  std::u16string text_;
};

class CommandButton : public Control {
 public:
  CommandButton(Form& owner, std::string name, int index = -1)
      : Control(owner, ControlKind::CommandButton, std::move(name), index) {}
  std::u16string caption;
  bool isDefault = false;
  bool isCancel = false;
};

class CheckBox : public Control {
 public:
  CheckBox(Form& owner, std::string name, int index = -1)
      : Control(owner, ControlKind::CheckBox, std::move(name), index) {}
  std::u16string caption;
  // 0 unchecked, 1 checked, 2 greyed.
  int Value() const { return value_; }
  // Sets the value; a change raises Click, as it does for the classic control.
  void SetValue(int value);

 private:
  int value_ = 0;
};

class OptionButton : public Control {
 public:
  OptionButton(Form& owner, std::string name, int index = -1)
      : Control(owner, ControlKind::OptionButton, std::move(name), index) {}
  std::u16string caption;
  bool Value() const { return value_; }
  // Selecting one clears the other option buttons of the same container and
  // raises Click.
  void SetValue(bool value);

 private:
  bool value_ = false;
};

class ComboBox : public Control {
 public:
  ComboBox(Form& owner, std::string name, int index = -1)
      : Control(owner, ControlKind::ComboBox, std::move(name), index) {}
  enum class Style { DropDownCombo, DropDownList } style = Style::DropDownList;
  std::vector<std::u16string> items;
  void AddItem(std::u16string item) { items.push_back(std::move(item)); }
  void ClearItems();
  // -1 when nothing is selected.
  int ListIndex() const { return listIndex_; }
  // Selects an item; a change raises Click, as picking it does.
  void SetListIndex(int index);
  // The selected item's text (or the typed text of a combo).
  std::u16string Text() const;
  std::u16string typedText;

 private:
  int listIndex_ = -1;
};

class Frame : public Control {
 public:
  Frame(Form& owner, std::string name, int index = -1)
      : Control(owner, ControlKind::Frame, std::move(name), index) {}
  std::u16string caption;
  bool border = true;
};

class PictureBox : public Control {
 public:
  PictureBox(Form& owner, std::string name, int index = -1)
      : Control(owner, ControlKind::PictureBox, std::move(name), index) {}
  bool border = true;
  // The scroll bar the mouse wheel over the box (and what it holds) moves.
  Control* wheelScrollBar = nullptr;
};

class VScrollBar : public Control {
 public:
  VScrollBar(Form& owner, std::string name, int index = -1)
      : Control(owner, ControlKind::VScrollBar, std::move(name), index) {}
  int min = 0;
  int max = 100;
  int smallChange = 1;
  int largeChange = 10;
  int Value() const { return value_; }
  // Clamps to min..max and raises Change when it differs.
  void SetValue(int value);

 private:
  int value_ = 0;
};

class Timer : public Control {
 public:
  Timer(Form& owner, std::string name, int index = -1)
      : Control(owner, ControlKind::Timer, std::move(name), index) {
    visible = false;
  }
  int interval = 0;  // ms; 0 stops the timer
  // Raised every interval while enabled and interval > 0.
  std::function<void()> Tick;
  // Enables the timer with a new interval and restarts its count even when
  // it was running with the same interval.
  void Start(int intervalMs) {
    interval = intervalMs;
    enabled = true;
    ++starts_;
  }
  void Stop() { enabled = false; }
  // Grows with every Start: a renderer restarts its timer when it changes.
  int Starts() const { return starts_; }
  // What the renderer (or a test) does when the interval has passed.
  void Fire() {
    if (Tick) Tick();
  }

 private:
  int starts_ = 0;
};

}  // namespace quor::ui
