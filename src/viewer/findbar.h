#pragma once
// The find bar: a strip above the page with the text to find, steps to the next and the
// previous match, how many the page holds, and a close button. It finds in the page of the
// browser it is given. Its keys, while it has the keyboard: Enter the next match,
// Shift+Enter the one before, Esc closes it; the window, which sees every key first, hands
// them over.
#include <QWidget>

class Browser;
class QLabel;
class QLineEdit;
class QToolButton;

class FindBar : public QWidget {
  Q_OBJECT
 public:
  FindBar(Browser& browser, QWidget* parent);

  QLineEdit* input() const { return txtFind; }
  QLabel* matches() const { return lblMatches; }
  bool hasFocusWithin() const;

  // Shows the bar with the keyboard in it, its text selected for typing.
  void open();
  // Hides it and takes the highlights away.
  void close();
  // "3 of 12"; a note when the text is nowhere in the page.
  void showResult(int activeMatch, int matches);
  // Forgets the count, as for a page that has not been searched yet.
  void clearResult();
  // A key while the bar has the keyboard (a key code and shift state of layout/keypreview.h):
  // true when it was the bar's.
  bool takeKey(int keyCode, int shift);

 signals:
  void closed();

 private:
  void find(bool backward);

  Browser& browser_;
  QLineEdit* txtFind;
  QToolButton* cmdFindPrev;
  QToolButton* cmdFindNext;
  QLabel* lblMatches;
  QToolButton* cmdFindClose;
};
