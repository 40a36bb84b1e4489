#include "layout/commandbar.h"

#include "layout/design.h"
#include "layout/fonts.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QWidget>

QFont commandBarFont() {
  static const QFont font = [] {
    QFont f = designFont(11, true);  // 8.25 points at 96 dots per inch
    // Shrink until the widest caption leaves a margin inside the 65-pixel button.
    for (int size = 11; size >= 8; --size) {
      f.setPixelSize(size);
      const QFontMetrics m(f);
      if (m.horizontalAdvance(QStringLiteral("Contents")) <= design::button(0).width() - 8 &&
          m.horizontalAdvance(QStringLiteral("Section")) <= design::button(0).width() - 8)
        break;
    }
    return f;
  }();
  return font;
}

CommandBar::CommandBar(QWidget* window, Slot3 slot3) {
  const struct {
    QPushButton** button;
    const char* name;
    const char* caption;
    const char* accessibleName = nullptr;  // where the caption reads poorly aloud
  } buttons[design::kButtonCount] = {
      {&cmdCont, "cmdCont", "&Contents"},
      {&cmdPrint, "cmdPrint", "&Print"},
      {&cmdSlot3, slot3 == Slot3::Search ? "cmdSearch" : "cmdIndex", slot3 == Slot3::Search ? "&Search" : "&Index"},
      {&cmdBack, "cmdBack", "&Back"},
      {&cmdPrev, "cmdPrev", "&<<", "Previous page"},
      {&cmdNext, "cmdNext", "&>>", "Next page"},
      {&cmdHist, "cmdHist", "His&tory"},
      {&cmdCalc, "cmdCalc", "C&alc"},
      {&cmdHelp, "cmdHelp", "&Help"},
      {&cmdSecn, "cmdSecn", "Sectio&n"},
  };
  QWidget* previous = nullptr;
  for (int slot = 0; slot < design::kButtonCount; ++slot) {
    auto* b = new QPushButton(QString::fromLatin1(buttons[slot].caption), window);
    b->setObjectName(QString::fromLatin1(buttons[slot].name));
    if (buttons[slot].accessibleName) b->setAccessibleName(QString::fromLatin1(buttons[slot].accessibleName));
    b->setFont(commandBarFont());
    b->setGeometry(design::button(slot));
    b->setFocusPolicy(Qt::TabFocus);
    b->setAutoDefault(false);
    if (previous) QWidget::setTabOrder(previous, b);
    previous = b;
    *buttons[slot].button = b;
  }
}
