#include "viewer/helpimage.h"

#include "layout/commandbar.h"
#include "layout/design.h"

#include <QPainter>

QPixmap mainHelpImage() {
  QPixmap image(design::kMainHelpImage);
  image.fill(QColor(0xff, 0xfb, 0xe8));
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  p.setPen(QPen(QColor(0x80, 0x60, 0x20), 2));
  p.drawRect(image.rect().adjusted(1, 1, -2, -2));

  QFont title = commandBarFont();
  title.setPixelSize(22);
  p.setFont(title);
  p.setPen(QColor(0x30, 0x20, 0x08));
  p.drawText(QRect(0, 18, image.width(), 30), Qt::AlignCenter, QStringLiteral("Finding your way through the course"));

  const struct {
    const char* caption;
    const char* what;
  } buttons[] = {
      {"Contents", "The start page; on the start page, the table of contents."},
      {"Print", "Prints the page on show, or this picture while it is open."},
      {"Search", "Finds the pages that hold one or two words."},
      {"Back", "Returns to the page you saw before."},
      {"<<", "The previous page of the module."},
      {">>", "The next page of the module."},
      {"History", "The pages you have visited, newest last."},
      {"Calc", "Opens the calculator."},
      {"Help", "Shows this picture; click it or press a key to close it."},
      {"Section", "The first page of the section you are reading."},
  };
  QFont body = commandBarFont();
  body.setBold(false);
  body.setPixelSize(15);
  const QFont buttonFont = commandBarFont();
  int y = 70;
  for (const auto& b : buttons) {
    const QRect box(40, y, 86, 26);
    p.setPen(QColor(0x70, 0x70, 0x70));
    p.setBrush(QColor(0xe8, 0xe8, 0xe8));
    p.drawRoundedRect(box, 3, 3);
    p.setFont(buttonFont);
    p.setPen(Qt::black);
    p.drawText(box, Qt::AlignCenter, QString::fromLatin1(b.caption));
    p.setFont(body);
    p.drawText(QRect(145, y, 640, 26), Qt::AlignVCenter | Qt::AlignLeft, QString::fromLatin1(b.what));
    y += 38;
  }

  y += 10;
  p.setFont(title);
  p.setPen(QColor(0x30, 0x20, 0x08));
  p.drawText(QRect(40, y, 700, 30), Qt::AlignLeft, QStringLiteral("Keys"));
  y += 38;
  const struct {
    const char* key;
    const char* what;
  } keyList[] = {
      {"Page Down,  Alt + >", "next page"},
      {"Page Up,  Alt + <", "previous page"},
      {"Esc", "stops a video or narration and closes this picture"},
      {"Alt + Q", "quits Tavrin"},
      {"Alt + underlined letter", "the button with that letter"},
  };
  for (const auto& k : keyList) {
    p.setFont(buttonFont);
    p.setPen(Qt::black);
    QFont keyFont = body;
    keyFont.setBold(true);
    p.setFont(keyFont);
    p.drawText(QRect(40, y, 250, 24), Qt::AlignVCenter | Qt::AlignLeft, QString::fromLatin1(k.key));
    p.setFont(body);
    p.drawText(QRect(300, y, 480, 24), Qt::AlignVCenter | Qt::AlignLeft, QString::fromLatin1(k.what));
    y += 28;
  }
  return image;
}
