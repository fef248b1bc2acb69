#include "ui/shell_services.h"

#include "common/encoding.h"
#include "common/files.h"
#include "common/paths.h"
#include "common/strings.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/platform.h"

namespace quor::ui {

namespace {

// Results of 33 and more mean the shell opened the address.
constexpr int kFirstSuccess = 33;

}  // namespace

std::u16string BrowserErrorMessage(int result, const std::u16string& address) {
  std::u16string message = u"Error launching web browser, error code = " + ToText(result) + u".";
  switch (result) {
    case 31:
      message += u"\r\n\r\nFile extension '" + GetExtension(address, false) +
                 u"' is not associated with any application program.";
      break;
    case 8:
      message += u"\r\n\r\nOut of memory.";
      break;
    case 2:
      message += u"\r\n\r\nPlease try once more.";
      break;
    default:
      break;
  }
  return message;
}

bool OpenInBrowser(Platform& platform, const std::u16string& address) {
  const int result = platform.OpenInBrowser(address);
  if (result >= kFirstSuccess) return true;
  platform.MsgBox(BrowserErrorMessage(result, address), MsgButtons::Ok, MsgIcon::Exclamation,
                  u"Cannot launch web browser");
  return false;
}

bool OpenDocument(Platform& platform, const std::u16string& path) {
  if (platform.OpenInBrowser(path) >= kFirstSuccess) return true;
  platform.MsgBox(
      u"Error when opening file " + path + u".\r\nPerhaps the file extension has no association.",
      MsgButtons::Ok, MsgIcon::Exclamation, u"Error");
  return false;
}

std::u16string ManualPath(const Platform& platform, const std::u16string& fileName) {
  return EnsureTrailingBackslash(platform.ProgramFolder()) + fileName;
}

std::u16string ManualAddress(const Platform& platform, const std::u16string& fileName) {
  return Utf8ToText(FileUrl(ManualPath(platform, fileName)));
}

void EnableFormControls(Form& form, ControlGroups groups, bool enabled) {
  for (Control* control : form.Controls()) {
    bool chosen = false;
    switch (control->Kind()) {
      case ControlKind::CommandButton:
        chosen = groups.buttons;
        break;
      case ControlKind::Frame:
        chosen = groups.frames;
        break;
      case ControlKind::TextBox:
        chosen = groups.textBoxes;
        break;
      case ControlKind::Label:
        chosen = groups.labels;
        break;
      case ControlKind::Timer:
        break;
      default:
        chosen = groups.others;
        break;
    }
    if (chosen) control->enabled = enabled;
  }
  form.Refresh();
}

}  // namespace quor::ui
