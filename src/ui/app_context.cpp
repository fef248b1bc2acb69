#include "ui/app_context.h"

#include "ui/frm_large_display.h"
#include "ui/frm_pop_up.h"
#include "ui/platform.h"

namespace quor::ui {

AppContext::AppContext(Platform& platform, ProgramTexts texts)
    : platform(platform), texts(std::move(texts)) {}

AppContext::~AppContext() = default;

frmLargeDisplay& AppContext::LargeDisplay() {
  if (!largeDisplay_) largeDisplay_ = std::make_unique<frmLargeDisplay>(*this);
  return *largeDisplay_;
}

frmPopUp& AppContext::PopUp() {
  if (!popUp_) popUp_ = std::make_unique<frmPopUp>(*this);
  return *popUp_;
}

}  // namespace quor::ui
