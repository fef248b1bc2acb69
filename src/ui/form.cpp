#include "ui/form.h"

#include <algorithm>

#include "ui/platform.h"

namespace quor::ui {

Form::Form(Platform& platform, std::string name) : platform_(platform), name_(std::move(name)) {}

Form::~Form() {
  // Dynamic controls unregister themselves while the list still exists.
  dynamic_.clear();
  platform_.FormDestroyed(*this);
}

int Form::ScaleWidth() const {
  return std::max(0, geometry.width - (borderless ? 0 : kFrameWidthTwips));
}

int Form::ScaleHeight() const {
  return std::max(0, geometry.height - (borderless ? 0 : kFrameHeightTwips));
}

void Form::Load() {
  if (loaded_) return;
  loaded_ = true;
  Form_Load();
}

void Form::Show(bool modal) {
  Load();
  const bool wasVisible = visible_;
  visible_ = true;
  if (!wasVisible) Form_Activate();
  // Form_Activate may have hidden the form again (a window that hands over
  // at once); then there is nothing to show.
  if (!visible_) return;
  modal_ = modal;
  platform_.ShowForm(*this, modal);
  if (modal) modal_ = false;
}

void Form::Hide() {
  if (!visible_) return;
  visible_ = false;
  platform_.HideForm(*this);
}

void Form::Unload() {
  if (!loaded_) return;
  Form_Unload();
  Hide();
  loaded_ = false;
  activeControl_ = nullptr;
  RemoveDynamicControls();
}

void Form::Refresh() {
  if (!visible_) return;
  platform_.Refresh(*this);
}

bool Form::CloseByUser() {
  if (Form_QueryUnload()) return false;
  Unload();
  return true;
}

Control* Form::FindControl(const std::string& qualifiedName) const {
  for (Control* control : controls_) {
    if (control->QualifiedName() == qualifiedName) return control;
  }
  return nullptr;
}

void Form::SetActiveControl(Control* control) {
  if (control == activeControl_) return;
  Control* previous = activeControl_;
  activeControl_ = control;
  if (previous && previous->LostFocus) previous->LostFocus();
  // A LostFocus handler may have moved the focus elsewhere already.
  if (activeControl_ != control) return;
  if (control && control->GotFocus) control->GotFocus();
}

void Form::RemoveDynamicControls() {
  if (dynamic_.empty()) return;
  dynamic_.clear();
}

void Form::SetFormColour(Colour colour) {
  backColour = colour;
  for (Control* control : controls_) {
    switch (control->Kind()) {
      case ControlKind::CheckBox:
      case ControlKind::Label:
      case ControlKind::Frame:
      case ControlKind::OptionButton:
        control->backColour = colour;
        control->hasBackColour = true;
        break;
      default:
        break;
    }
  }
}

void Form::CentreOnScreen() {
  geometry.left = std::max(0, (platform_.ScreenWidth() - geometry.width) / 2);
  geometry.top = std::max(0, (platform_.ScreenHeight() - geometry.height) / 2);
}

void Form::Register(Control* control) {
  controls_.push_back(control);
  ++structureVersion_;
}

void Form::Unregister(Control* control) {
  auto it = std::find(controls_.begin(), controls_.end(), control);
  if (it == controls_.end()) return;
  controls_.erase(it);
  if (activeControl_ == control) activeControl_ = nullptr;
  for (Control* other : controls_) {
    if (other->container == control) other->container = nullptr;
  }
  ++structureVersion_;
}

}  // namespace quor::ui
