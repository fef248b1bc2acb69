#include "ui/frm_pop_up.h"

#include <algorithm>

#include "ui/app_context.h"
#include "ui/platform.h"

namespace quor::ui {

frmPopUp::frmPopUp(AppContext& app) : Form(app.platform, "frmPopUp"), app_(app) {
  borderless = true;
  activateOnShow = false;
  geometry = {0, 0, 3000, 600};
  lblMessage.alignment = Label::Alignment::Center;
  lblMessage.wordWrap = true;
  lblMessage.geometry = {0, 0, 3000, 600};
  lblMessage.Click = [this] { lblMessage_Click(); };
  Timer1.enabled = false;
  Timer1.Tick = [this] { Timer1_Timer(); };
  SetFormColour(app_.WindowColour);
}

void frmPopUp::PopUp(std::u16string text, int width, int height, int durationMs, int top,
                     int left) {
  lblMessage.caption = std::move(text);
  width = std::max(width, 0);
  height = std::max(height, 0);
  lblMessage.geometry = {0, 0, width, height};
  geometry = {left, top, width, height};
  Timer1.Start(durationMs);
  if (Visible()) {
    Refresh();
    return;
  }
  Show(false);
}

void frmPopUp::PopUpCenterScreen(std::u16string text, int width, int height, int durationMs) {
  const int top = std::max(0, (GetPlatform().ScreenHeight() - height) / 2);
  const int left = std::max(0, (GetPlatform().ScreenWidth() - width) / 2);
  PopUp(std::move(text), width, height, durationMs, top, left);
}

void frmPopUp::PopUpInForm(Form& form, std::u16string text, int width, int height, int durationMs,
                           int top, int left) {
  ownerForm = &form;
  PopUp(std::move(text), width, height, durationMs, form.geometry.top + top,
        form.geometry.left + left);
}

void frmPopUp::Timer1_Timer() {
  Timer1.Stop();
  Hide();
}

void frmPopUp::lblMessage_Click() {
  Timer1.Stop();
  Hide();
}

}  // namespace quor::ui
