#include "sidewin/frmsplsh.h"

#include "layout/design.h"
#include "layout/fonts.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QWindow>

frmSplsh::frmSplsh() : QWidget(nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint) {
  setWindowTitle(QStringLiteral(" "));  // no caption, as designed
  setAccessibleName(QStringLiteral("One moment please"));
  setAccessibleDescription(QStringLiteral("Tavrin is getting the search ready."));
  setFixedSize(design::kSplashClient);
  auto* Label1 = new QLabel(QStringLiteral("One moment please..."), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setFont(designFont(24));  // 18 points
  Label1->setGeometry(design::kSplashLabel);
}

void frmSplsh::showOver(const QWidget& over) {
  const QRect outer = over.frameGeometry();
  move(outer.left() + outer.width() / 3, outer.top() + outer.height() / 3);
  show();
  raise();
  // A new window can only be painted once the window system has mapped it.
  QElapsedTimer mapping;
  mapping.start();
  while (windowHandle() && !windowHandle()->isExposed() && mapping.elapsed() < 500)
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
  repaint();
}
