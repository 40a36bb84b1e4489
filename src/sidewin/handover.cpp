#include "sidewin/handover.h"

#include <QWidget>

void handOver(QWidget& from, QWidget& to, const TickWait& wait) {
  constexpr Qt::WindowStates kSizeStates = Qt::WindowMinimized | Qt::WindowMaximized;
  to.setWindowState((to.windowState() & ~kSizeStates) | (from.windowState() & kSizeStates));
  wait();
  if (!(to.windowState() & kSizeStates)) to.move(from.pos());
}
