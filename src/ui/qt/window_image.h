// Renders a form's window to a PNG picture, with a plain title bar carrying
// its caption (off screen there is no window manager to draw one).
#pragma once

#include <string>

namespace quor::ui {
class Form;
}

namespace quor::ui::qt {

class FormRenderer;

// The form must have been shown. Returns an empty text on success, otherwise
// what went wrong.
std::u16string SaveWindowImage(FormRenderer& renderer, Form& form, const std::u16string& path);

}  // namespace quor::ui::qt
