#include "ui/qt/window_image.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

#include "ui/form.h"
#include "ui/qt/form_renderer.h"
#include "ui/qt/qt_convert.h"

namespace quor::ui::qt {

namespace {

constexpr int kTitleHeight = 26;
constexpr int kBorder = 1;

}  // namespace

std::u16string SaveWindowImage(FormRenderer& renderer, Form& form, const std::u16string& path) {
  renderer.Sync(form);
  QWidget* window = renderer.WindowOf(form);
  if (!window)
    return u"The window " + std::u16string(form.Name().begin(), form.Name().end()) +
           u" has not been shown.";
  // Let layout and painting settle.
  for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
  const QPixmap client = window->grab();
  const bool framed = !form.borderless;
  const int titleHeight = framed ? kTitleHeight : 0;
  const int border = framed ? kBorder : 0;
  const qreal ratio = client.devicePixelRatio();
  const QSize logical = client.deviceIndependentSize().toSize();
  QImage image(
      QSize(logical.width() + 2 * border, logical.height() + titleHeight + 2 * border) * ratio,
      QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(ratio);
  image.fill(QColor(0x5a, 0x6e, 0x8c));
  {
    QPainter painter(&image);
    if (framed) {
      QFont font = ToQFont(Font{});
      font.setPointSizeF(9);
      font.setBold(true);
      painter.setFont(font);
      painter.setPen(Qt::white);
      const QRect title(border + 8, border, logical.width() - 40, titleHeight);
      painter.drawText(
          title, Qt::AlignVCenter | Qt::AlignLeft,
          QFontMetrics(font).elidedText(ToQString(form.caption), Qt::ElideRight, title.width()));
      // A close box, as the window has one.
      const QRect close(border + logical.width() - 26, border + 5, 16, 16);
      painter.setPen(QPen(Qt::white, 2));
      painter.drawLine(close.topLeft() + QPoint(4, 4), close.bottomRight() - QPoint(4, 4));
      painter.drawLine(close.topRight() + QPoint(-4, 4), close.bottomLeft() + QPoint(4, -4));
    }
    painter.drawPixmap(QPoint(border, border + titleHeight), client);
  }
  if (!image.save(ToQString(path), "PNG")) return u"Cannot write the picture " + path + u".";
  return {};
}

}  // namespace quor::ui::qt
