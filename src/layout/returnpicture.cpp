#include "layout/returnpicture.h"

#include "layout/helpimage.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

QPixmap returnWindowPicture(QSize size, bool pressed) {
  QPixmap pixmap = pixmapForScreen(size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF face = QRectF(QPointF(0, 0), QSizeF(size)).adjusted(1, 1, -1, -1);

  // The button: a blue face with a bevel, lit from the top left; held down, it is darker
  // and the light comes from the other side.
  QLinearGradient blue(face.topLeft(), face.bottomLeft());
  // Dark enough at its lightest for the white words on it to read (4.5:1).
  blue.setColorAt(0, pressed ? QColor(0x1a, 0x3f, 0x8c) : QColor(0x2f, 0x6f, 0xd6));
  blue.setColorAt(1, pressed ? QColor(0x0b, 0x1f, 0x4d) : QColor(0x1c, 0x4e, 0xb8));
  p.setPen(Qt::NoPen);
  p.setBrush(blue);
  p.drawRoundedRect(face, 8, 8);
  const QColor light = pressed ? QColor(0x05, 0x10, 0x2a) : QColor(0xc8, 0xdc, 0xff);
  const QColor shade = pressed ? QColor(0x5a, 0x7c, 0xc4) : QColor(0x08, 0x1e, 0x52);
  QPainterPath edge;
  edge.addRoundedRect(face.adjusted(1, 1, -1, -1), 7, 7);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(light, 2));
  p.save();
  p.setClipRect(QRectF(0, 0, size.width() * 0.7, size.height() * 0.5));
  p.drawPath(edge);
  p.restore();
  p.setPen(QPen(shade, 2));
  p.save();
  p.setClipRect(QRectF(size.width() * 0.3, size.height() * 0.5, size.width(), size.height()));
  p.drawPath(edge);
  p.restore();

  const qreal shift = pressed ? 1 : 0;  // a button held down gives a little under the finger

  // A disc in its case, on the left.
  const QRectF caseRect(10 + shift, 9 + shift, 47, 47);
  p.setPen(QPen(pressed ? QColor(0x70, 0x78, 0x88) : QColor(0xe8, 0xec, 0xf4), 1.5));
  p.setBrush(pressed ? QColor(0x30, 0x3a, 0x50) : QColor(0x9a, 0xb4, 0xd8));
  p.drawRoundedRect(caseRect, 3, 3);
  p.setBrush(pressed ? QColor(0x22, 0x2a, 0x3c) : QColor(0x6f, 0x8c, 0xb8));
  p.drawRect(QRectF(caseRect.left() + 3, caseRect.top() + 3, 5, caseRect.height() - 6));  // the hinge
  const QPointF centre = caseRect.center() + QPointF(3, 0);
  QRadialGradient silver(centre, 19, centre + QPointF(-6, -6));
  silver.setColorAt(0, pressed ? QColor(0x9a, 0xa0, 0xaa) : QColor(0xff, 0xff, 0xff));
  silver.setColorAt(0.6, pressed ? QColor(0x6a, 0x70, 0x7e) : QColor(0xd0, 0xd6, 0xe2));
  silver.setColorAt(1, pressed ? QColor(0x4a, 0x50, 0x60) : QColor(0xa8, 0xb0, 0xc4));
  p.setPen(QPen(pressed ? QColor(0x40, 0x46, 0x54) : QColor(0x70, 0x78, 0x90), 1));
  p.setBrush(silver);
  p.drawEllipse(centre, 18, 18);
  p.setBrush(pressed ? QColor(0x26, 0x2c, 0x3a) : QColor(0x86, 0x90, 0xa8));
  p.drawEllipse(centre, 6, 6);
  p.setBrush(blue);
  p.drawEllipse(centre, 2.5, 2.5);

  // The words, beside it.
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setBold(true);
  font.setPixelSize(15);
  p.setFont(font);
  const QRectF words(66 + shift, 8 + shift, size.width() - 74, size.height() - 16);
  p.setPen(pressed ? QColor(0x04, 0x0c, 0x22) : QColor(0x0a, 0x20, 0x58));
  p.drawText(words.translated(1, 1), Qt::AlignCenter, QStringLiteral("RETURN\nTO TEXT"));
  p.setPen(pressed ? QColor(0xb8, 0xc4, 0xdc) : QColor(0xff, 0xff, 0xff));
  p.drawText(words, Qt::AlignCenter, QStringLiteral("RETURN\nTO TEXT"));
  return pixmap;
}
