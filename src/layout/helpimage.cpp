#include "layout/helpimage.h"

#include "layout/commandbar.h"
#include "layout/design.h"

#include <QGuiApplication>
#include <QPainter>

#include <vector>

QPixmap pixmapForScreen(QSize size) {
  const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;  // the densest screen's
  QPixmap pixmap(size * ratio);
  pixmap.setDevicePixelRatio(ratio);
  return pixmap;
}

namespace {

struct Entry {
  const char* label;
  const char* what;
};

struct Help {
  const char* heading;
  std::vector<Entry> buttons;
  std::vector<Entry> keys;
};

QPixmap drawHelp(QSize size, const Help& help) {
  const char* heading = help.heading;
  const std::vector<Entry>& buttons = help.buttons;
  const std::vector<Entry>& keyList = help.keys;
  QPixmap image = pixmapForScreen(size);
  image.fill(QColor(0xff, 0xfb, 0xe8));
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  p.setPen(QPen(QColor(0x80, 0x60, 0x20), 2));
  p.drawRect(QRect(QPoint(), size).adjusted(1, 1, -2, -2));

  QFont title = commandBarFont();
  title.setPixelSize(22);
  p.setFont(title);
  p.setPen(QColor(0x30, 0x20, 0x08));
  p.drawText(QRect(0, 18, size.width(), 30), Qt::AlignCenter, QString::fromUtf8(heading));

  QFont body = commandBarFont();
  body.setBold(false);
  body.setPixelSize(15);
  QFont bold = body;
  bold.setBold(true);
  const QFont buttonFont = commandBarFont();
  const int rowHeight = (size.height() - 300) / int(buttons.size());
  int y = 66;
  for (const Entry& b : buttons) {
    const QRect box(40, y, 86, 26);
    p.setPen(QColor(0x70, 0x70, 0x70));
    p.setBrush(QColor(0xe8, 0xe8, 0xe8));
    p.drawRoundedRect(box, 3, 3);
    p.setFont(buttonFont);
    p.setPen(Qt::black);
    p.drawText(box, Qt::AlignCenter, QString::fromUtf8(b.label));
    p.setFont(body);
    p.drawText(QRect(145, y, size.width() - 180, 26), Qt::AlignVCenter | Qt::AlignLeft, QString::fromUtf8(b.what));
    y += rowHeight;
  }

  y += 14;
  p.setFont(title);
  p.setPen(QColor(0x30, 0x20, 0x08));
  p.drawText(QRect(40, y, 700, 30), Qt::AlignLeft, QStringLiteral("Keys"));
  y += 38;
  p.setPen(Qt::black);
  for (const Entry& k : keyList) {
    p.setFont(bold);
    p.drawText(QRect(40, y, 250, 24), Qt::AlignVCenter | Qt::AlignLeft, QString::fromUtf8(k.label));
    p.setFont(body);
    p.drawText(QRect(300, y, size.width() - 330, 24), Qt::AlignVCenter | Qt::AlignLeft, QString::fromUtf8(k.what));
    y += 28;
  }
  return image;
}

// The picture's words in its order, a line each.
QString helpText(const Help& help) {
  QStringList lines{QString::fromUtf8(help.heading) + u'.'};
  for (const Entry& b : help.buttons)
    lines << QStringLiteral("%1: %2").arg(QString::fromUtf8(b.label).simplified(), QString::fromUtf8(b.what));
  lines << QStringLiteral("Keys.");
  for (const Entry& k : help.keys)
    lines << QStringLiteral("%1: %2.").arg(QString::fromUtf8(k.label).simplified(), QString::fromUtf8(k.what));
  return lines.join(u'\n');
}

const Help& mainHelpContent() {
  static const Help help{"Finding your way through the course",
                         {
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
                         },
                         {
                             {"Page Down,  Alt + >", "next page"},
                             {"Page Up,  Alt + <", "previous page"},
                             {"Esc", "stops a video or narration and closes this picture"},
                             {"Alt + Q", "quits Tavrin"},
                             {"Alt + underlined letter", "the button with that letter"},
                         }};
  return help;
}

const Help& sideHelpContent() {
  static const Help help{"Search, index and history",
                         {
                             {"Contents", "Back to the course, at its start page."},
                             {"Print", "Prints the course page, or this picture while it is open."},
                             {"Search / Index", "Finds pages by word, or lists every word of the course."},
                             {"Back  <<  >>", "Back to the course page you came from."},
                             {"History", "The pages you have visited, newest last."},
                             {"Calc", "Opens the calculator."},
                             {"Help, Section", "Show or hide this picture."},
                         },
                         {
                             {"Enter", "searches, or opens the page picked in the list"},
                             {"Double click", "opens the page picked in the list"},
                             {"Esc", "closes this picture, or goes back to the course page"},
                             {"Alt + Q", "quits Tavrin"},
                             {"Alt + underlined letter", "the button with that letter"},
                         }};
  return help;
}

}  // namespace

HelpPicture mainHelp() {
  return {[] { return drawHelp(design::kMainHelpImage, mainHelpContent()); }, helpText(mainHelpContent())};
}

HelpPicture sideHelp() {
  return {[] {
            static const QPixmap image = drawHelp(design::kSideHelpImage, sideHelpContent());
            return image;
          },
          helpText(sideHelpContent())};
}
