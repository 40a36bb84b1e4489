#pragma once
#include <QWidget>

// "One moment please...": on screen while the search data or the word list loads.
class frmSplsh : public QWidget {
 public:
  frmSplsh();
  // Places it a third of the way into `over`, shows it and paints it at once, since the
  // load that follows keeps the event loop from painting it.
  void showOver(const QWidget& over);
};
