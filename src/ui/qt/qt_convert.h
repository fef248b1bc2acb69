// Conversions between the window model's values and Qt's: strings, colours
// and fonts.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <string>
#include <string_view>

#include "ui/controls.h"

namespace quor::ui::qt {

inline QString ToQString(std::u16string_view text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::u16string FromQString(const QString& text) {
  return text.toStdU16String();
}

// A colour held as 0x00BBGGRR.
QColor ToQColor(Colour colour);

// The model's font as a font this system has: the classic dialog face
// ("MS Sans Serif" and its relatives) becomes a readable sans-serif face,
// "Courier New" a monospace face, at the same point size.
QFont ToQFont(const Font& font);

}  // namespace quor::ui::qt
