// The small services every window uses: opening a web address or a document
// with its associated program (with the error messages the user sees), the
// per-user data path, and enabling groups of a form's controls.
#pragma once

#include <string>

namespace quor::ui {

class Form;
class Platform;

// Asks the shell to open address. A result below 33 shows "Error launching
// web browser, error code = n." with the reason for codes 31, 8 and 2, in a
// box titled "Cannot launch web browser" (exclamation icon). Returns true on
// success.
bool OpenInBrowser(Platform& platform, const std::u16string& address);
// The message OpenInBrowser shows for a failed result.
std::u16string BrowserErrorMessage(int result, const std::u16string& address);

// The user manual: the file named fileName (program text 2) in the program
// folder, as a "file://" address for OpenInBrowser.
std::u16string ManualAddress(const Platform& platform, const std::u16string& fileName);
// The same file as a plain path, for a label to show.
std::u16string ManualPath(const Platform& platform, const std::u16string& fileName);

// Opens a document with its associated program; on failure shows "Error when
// opening file PATH." and returns false.
bool OpenDocument(Platform& platform, const std::u16string& path);

// Which controls EnableFormControls touches.
struct ControlGroups {
  bool buttons = false;
  bool frames = false;
  bool textBoxes = false;
  bool labels = false;
  // Check boxes, option buttons, combo boxes, picture boxes and scroll bars.
  bool others = false;
};
// Enables or disables every control of the chosen groups, then repaints the
// form.
void EnableFormControls(Form& form, ControlGroups groups, bool enabled);

}  // namespace quor::ui
