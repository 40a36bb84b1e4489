#pragma once
// What the window benchmarks share: putting a list on screen, bringing its rows there, and
// reading back what it shows.
#include <QAbstractItemModel>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QListView>
#include <QStringList>
#include <QWindow>

// Shows a top-level widget and waits, at most five seconds, until the platform has exposed
// it: before that, repaint() paints nothing. False if it never was.
inline bool showExposed(QWidget& widget) {
  widget.show();
  const QDeadlineTimer deadline(5000);
  while (!(widget.windowHandle() && widget.windowHandle()->isExposed()) && !deadline.hasExpired())
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  return widget.windowHandle() && widget.windowHandle()->isExposed();
}

// Until the rows are on screen: the view lays out and paints what it shows.
inline void settle(QListView* list) {
  list->doItemsLayout();
  list->viewport()->repaint();
}

// The text of every row, in order.
inline QStringList rowsOf(const QAbstractItemView* view) {
  QStringList rows;
  const QAbstractItemModel* model = view->model();
  for (int r = 0; r < model->rowCount(); ++r) rows << model->index(r, 0).data().toString();
  return rows;
}

// Whether settle() really paints `list`: a list that is not on screen lays out but paints
// nothing, and would be measured doing less than the others.
inline bool paints(QListView* list) {
  struct Counter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::Paint) ++paints;
      return false;
    }
  } counter;
  list->viewport()->installEventFilter(&counter);
  settle(list);
  list->viewport()->removeEventFilter(&counter);
  return counter.paints > 0;
}
