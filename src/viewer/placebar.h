#pragma once
// The strip above the page that offers to go back to the place kept from an earlier run
// ("Continue where you left off: <title>", Resume, close), or says for a few seconds what a
// command did with the page shown (a bookmark set or taken away). Its keys, while it has the
// keyboard: Esc closes it; the window, which sees every key first, hands them over.
#include <QWidget>

class QLabel;
class QPushButton;
class QTimer;
class QToolButton;

class PlaceBar : public QWidget {
  Q_OBJECT
 public:
  explicit PlaceBar(QWidget* parent);

  // Offers the place titled `title`; stays until it is closed or the user goes elsewhere.
  void offer(const QString& title);
  // Says `text`, and goes by itself after a few seconds.
  void tell(const QString& text);
  // Hides the bar.
  void close();

  bool offering() const { return !isHidden() && offering_; }
  bool hasFocusWithin() const;
  // A key while the bar has the keyboard (a key code and shift state of layout/keypreview.h):
  // true when it was the bar's.
  bool takeKey(int keyCode, int shift);

  QLabel* text() const { return lblPlace; }
  QPushButton* resumeButton() const { return cmdResume; }

 signals:
  void resumeRequested();
  // The bar was closed; the keyboard was in it, and has to go somewhere.
  void closed(bool hadKeyboard);

 private:
  QLabel* lblPlace;
  QPushButton* cmdResume;
  QToolButton* cmdPlaceClose;
  QTimer* goesAway_;
  bool offering_ = false;
};
