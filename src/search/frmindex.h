#pragma once
// The index window: every word of the course's word file that begins with the typed text,
// refreshed on every keystroke; a word double-clicked is searched in the search window.
#include "logic/wordindex.h"
#include "sidewin/sidewindow.h"

#include <span>

class QLabel;
class QLineEdit;
class QListView;
class RowsModel;

class frmIndex : public SideWindow {
  Q_OBJECT
 public:
  frmIndex(SideWindowHost& host, SideWindows& windows);
  ~frmIndex() override;

  void openOnArrival(bool firstTime) override;
  // Reads the words of "words.qx" from the program's folder, then shows the window.
  void LoadWords();
  void txtInput_Change();
  void lbResults_DblClick();

  QLineEdit* input() const { return txtInput; }
  QLabel* found() const { return lblFound; }
  QListView* results() const { return lbResults; }
  int resultCount() const { return int(rows_.size()); }

 protected:
  void enterPressed(int& keyCode) override;
  void fitControls(int width, int height) override;

 private:
  QLineEdit* txtInput;
  QLabel* lblIndex;
  QLabel* lblFound;
  QListView* lbResults;
  RowsModel* model_;

  search::WordIndex WordText;
  std::span<const int> rows_;  // entry of each list row, in list order
};
