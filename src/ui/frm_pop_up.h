// The pop-up window: a short message in a small borderless window that hides
// itself after a given time or when the user clicks the message. One shared
// instance (AppContext::PopUp); a new message replaces the current one and
// restarts the timer.
#pragma once

#include <string>

#include "ui/controls.h"
#include "ui/form.h"

namespace quor::ui {

class AppContext;

class frmPopUp : public Form {
 public:
  explicit frmPopUp(AppContext& app);

  Label lblMessage{*this, "lblMessage"};
  Timer Timer1{*this, "Timer1"};

  // Shows text in a width x height window (twips) at (left, top) on the
  // screen for durationMs milliseconds, without taking the focus.
  void PopUp(std::u16string text, int width, int height, int durationMs, int top, int left);
  // The same, centred on the screen.
  void PopUpCenterScreen(std::u16string text, int width, int height, int durationMs);
  // The same, with top and left relative to form (which owns the pop-up).
  void PopUpInForm(Form& form, std::u16string text, int width, int height, int durationMs, int top,
                   int left);

  void Timer1_Timer();
  void lblMessage_Click();

 private:
  AppContext& app_;
};

}  // namespace quor::ui
