#include "viewer/findbar.h"

#include "layout/fonts.h"
#include "layout/keypreview.h"
#include "platform/browser.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>

namespace {
constexpr int kHeight = 30;
}

FindBar::FindBar(Browser& browser, QWidget* parent) : QWidget(parent), browser_(browser) {
  setObjectName(QStringLiteral("findBar"));
  setAccessibleName(QStringLiteral("Find in page"));
  setAutoFillBackground(true);
  setFixedHeight(kHeight);
  // A thin line under the bar parts it from the page.
  setStyleSheet(QStringLiteral("#findBar { border-bottom: 1px solid palette(mid); }"));
  setAttribute(Qt::WA_StyledBackground);
  const QFont font = designFont(13);

  auto* caption = new QLabel(QStringLiteral("Find:"), this);
  caption->setFont(font);
  txtFind = new QLineEdit(this);
  txtFind->setObjectName(QStringLiteral("txtFind"));
  txtFind->setAccessibleName(QStringLiteral("Text to find"));
  txtFind->setFont(font);
  txtFind->setClearButtonEnabled(true);
  // The clear button Qt puts in the box has no name of its own.
  for (auto* clear : txtFind->findChildren<QToolButton*>()) clear->setAccessibleName(QStringLiteral("Clear the text"));
  txtFind->setMinimumWidth(260);
  txtFind->setMaximumWidth(360);
  caption->setBuddy(txtFind);

  const auto button = [this](const char* name, const QString& tip) {
    auto* b = new QToolButton(this);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(tip);
    b->setAccessibleName(tip);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::TabFocus);
    return b;
  };
  cmdFindPrev = button("cmdFindPrev", QStringLiteral("Previous match (Shift+Enter)"));
  cmdFindPrev->setArrowType(Qt::UpArrow);
  cmdFindNext = button("cmdFindNext", QStringLiteral("Next match (Enter)"));
  cmdFindNext->setArrowType(Qt::DownArrow);
  lblMatches = new QLabel(this);
  lblMatches->setObjectName(QStringLiteral("lblMatches"));
  lblMatches->setFont(font);
  lblMatches->setMinimumWidth(120);
  cmdFindClose = button("cmdFindClose", QStringLiteral("Close (Esc)"));
  cmdFindClose->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));

  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(8, 3, 8, 4);
  row->setSpacing(6);
  row->addWidget(caption);
  row->addWidget(txtFind);
  row->addWidget(cmdFindPrev);
  row->addWidget(cmdFindNext);
  row->addSpacing(4);
  row->addWidget(lblMatches);
  row->addStretch(1);
  row->addWidget(cmdFindClose);

  // Each change of the text finds afresh, from where the page is.
  connect(txtFind, &QLineEdit::textChanged, this, [this] { find(false); });
  connect(cmdFindNext, &QToolButton::clicked, this, [this] { find(false); });
  connect(cmdFindPrev, &QToolButton::clicked, this, [this] { find(true); });
  connect(cmdFindClose, &QToolButton::clicked, this, &FindBar::close);
  connect(&browser_, &Browser::found, this, &FindBar::showResult);
  // A new page has not been searched yet.
  connect(&browser_, &Browser::documentComplete, this, &FindBar::clearResult);
  hide();
}

void FindBar::find(bool backward) { browser_.find(txtFind->text(), backward); }

bool FindBar::takeKey(int key, int shift) {
  if (key == keys::kEnter && (shift & ~keys::kShift) == 0) {
    find(shift == keys::kShift);
    return true;
  }
  if (key == keys::kEscape && shift == 0) {
    close();
    return true;
  }
  return false;
}

bool FindBar::hasFocusWithin() const {
  const QWidget* focus = window()->focusWidget();
  return isVisible() && focus && (focus == this || isAncestorOf(focus));
}

void FindBar::open() {
  show();
  txtFind->setFocus(Qt::ShortcutFocusReason);
  txtFind->selectAll();
}

void FindBar::showResult(int activeMatch, int matches) {
  const bool none = matches == 0 && !txtFind->text().isEmpty();
  lblMatches->setText(none      ? QStringLiteral("No matches")
                      : matches ? QStringLiteral("%1 of %2").arg(activeMatch).arg(matches)
                                : QString());
  // Nothing found shows in the box as well, where the eyes are: a pale red ground, with
  // dark text on it in any theme.
  txtFind->setStyleSheet(none ? QStringLiteral("QLineEdit { background: #fbd5d5; color: black; }") : QString());
}

void FindBar::close() {
  if (isHidden()) return;
  hide();
  browser_.find(QString(), false);
  emit closed();
}

void FindBar::clearResult() {
  lblMatches->clear();
  txtFind->setStyleSheet(QString());
}
