#include "ui/qt/qt_convert.h"

#include <QStringList>

#include "ui/qt/text_mapping.h"

namespace quor::ui::qt {

QColor ToQColor(Colour colour) {
  const Rgb rgb = SplitColour(colour);
  return QColor(rgb.red, rgb.green, rgb.blue);
}

namespace {

bool IsMonospaceFace(const QString& name) {
  return name.contains(u"courier", Qt::CaseInsensitive) ||
         name.contains(u"fixedsys", Qt::CaseInsensitive) ||
         name.contains(u"consolas", Qt::CaseInsensitive) ||
         name.contains(u"mono", Qt::CaseInsensitive);
}

bool IsClassicSansFace(const QString& name) {
  static const char* const kFaces[] = {"ms sans serif", "microsoft sans serif",
                                       "ms shell dlg",  "arial",
                                       "tahoma",        "segoe ui",
                                       "verdana",       "helvetica"};
  const QString lower = name.toLower();
  for (const char* face : kFaces) {
    if (lower == QLatin1String(face)) return true;
  }
  return lower.isEmpty();
}

}  // namespace

QFont ToQFont(const Font& font) {
  const QString name = ToQString(font.name);
  QFont result;
  if (IsMonospaceFace(name)) {
    result.setFamilies({QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Liberation Mono"),
                        QStringLiteral("Monospace")});
    result.setStyleHint(QFont::Monospace);
    result.setFixedPitch(true);
  } else if (IsClassicSansFace(name)) {
    result.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"),
                        QStringLiteral("Sans Serif")});
    result.setStyleHint(QFont::SansSerif);
  } else {
    result.setFamilies({name, QStringLiteral("DejaVu Sans")});
    result.setStyleHint(QFont::SansSerif);
  }
  result.setPointSizeF(font.size > 0 ? font.size : 8.25);
  result.setBold(font.bold);
  return result;
}

}  // namespace quor::ui::qt
