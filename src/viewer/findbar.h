#pragma once
// The main window's find bar: a strip below the command bar with the text to find, steps
// to the next and the previous match, how many the page holds, and a close button. The
// window does the finding; the bar asks for it and shows what came of it.
#include <QWidget>

class QLabel;
class QLineEdit;
class QToolButton;

class FindBar : public QWidget {
  Q_OBJECT
 public:
  explicit FindBar(QWidget* window);

  QLineEdit* input() const { return txtFind; }
  QLabel* matches() const { return lblMatches; }
  bool hasFocusWithin() const;

  // Shows the bar at the top of the page area, `width` wide, its text selected for typing.
  void open(int top, int width);
  // "3 of 12"; a note when the text is nowhere in the page.
  void showResult(int activeMatch, int matches);
  // Forgets the count, as for a page that has not been searched yet.
  void clearResult();

 signals:
  void findRequested(const QString& text, bool backward);
  void closeRequested();

 private:
  QLineEdit* txtFind;
  QToolButton* cmdFindPrev;
  QToolButton* cmdFindNext;
  QLabel* lblMatches;
  QToolButton* cmdFindClose;
};
