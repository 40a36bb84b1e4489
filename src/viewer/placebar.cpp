#include "viewer/placebar.h"

#include "layout/fonts.h"
#include "layout/keypreview.h"

#include <QAccessible>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

namespace {
constexpr int kHeight = 30;
// Long enough to read a short sentence, short enough not to be in the way.
constexpr std::chrono::seconds kToldFor{4};
}  // namespace

PlaceBar::PlaceBar(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("placeBar"));
  setAccessibleName(QStringLiteral("Your place in the course"));
  setAutoFillBackground(true);
  setFixedHeight(kHeight);
  setStyleSheet(QStringLiteral("#placeBar { border-bottom: 1px solid palette(mid); }"));
  setAttribute(Qt::WA_StyledBackground);
  const QFont font = designFont(13);

  lblPlace = new QLabel(this);
  lblPlace->setObjectName(QStringLiteral("lblPlace"));
  lblPlace->setFont(font);
  lblPlace->setTextFormat(Qt::PlainText);
  cmdResume = new QPushButton(QStringLiteral("&Resume"), this);
  cmdResume->setObjectName(QStringLiteral("cmdResume"));
  cmdResume->setFont(font);
  cmdResume->setAutoDefault(false);
  cmdPlaceClose = new QToolButton(this);
  cmdPlaceClose->setObjectName(QStringLiteral("cmdPlaceClose"));
  cmdPlaceClose->setToolTip(QStringLiteral("Close (Esc)"));
  cmdPlaceClose->setAccessibleName(QStringLiteral("Close"));
  cmdPlaceClose->setAutoRaise(true);
  cmdPlaceClose->setFocusPolicy(Qt::TabFocus);
  cmdPlaceClose->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));

  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(8, 3, 8, 4);
  row->setSpacing(8);
  row->addWidget(lblPlace, 1);
  row->addWidget(cmdResume);
  row->addWidget(cmdPlaceClose);

  goesAway_ = new QTimer(this);
  goesAway_->setSingleShot(true);
  goesAway_->setInterval(kToldFor);
  connect(goesAway_, &QTimer::timeout, this, &PlaceBar::close);
  connect(cmdResume, &QPushButton::clicked, this, &PlaceBar::resumeRequested);
  connect(cmdPlaceClose, &QToolButton::clicked, this, &PlaceBar::close);
  hide();
}

void PlaceBar::offer(const QString& title) {
  offering_ = true;
  goesAway_->stop();
  lblPlace->setText(QStringLiteral("Continue where you left off: %1").arg(title));
  cmdResume->show();
  show();
  QAccessibleEvent shown(lblPlace, QAccessible::NameChanged);
  QAccessible::updateAccessibility(&shown);
}

void PlaceBar::tell(const QString& text) {
  offering_ = false;
  lblPlace->setText(text);
  cmdResume->hide();
  show();
  goesAway_->start();
  QAccessibleEvent told(lblPlace, QAccessible::NameChanged);
  QAccessible::updateAccessibility(&told);
}

void PlaceBar::close() {
  goesAway_->stop();
  if (isHidden()) return;
  const bool hadKeyboard = hasFocusWithin();
  hide();
  offering_ = false;
  emit closed(hadKeyboard);
}

bool PlaceBar::hasFocusWithin() const {
  const QWidget* focus = window()->focusWidget();
  return isVisible() && focus && (focus == this || isAncestorOf(focus));
}

bool PlaceBar::takeKey(int key, int shift) {
  if (key != keys::kEscape || shift != 0) return false;
  close();
  return true;
}
