#pragma once
// The search window: one or two words in, the course pages that hold words beginning
// with them out, in the order the word file lists them; a listed page opens in the
// main window.
#include "logic/datafiles.h"
#include "logic/searchengine.h"
#include "sidewin/sidewindow.h"

#include <vector>

class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class RowsModel;

class frmSearch : public SideWindow {
  Q_OBJECT
 public:
  frmSearch(SideWindowHost& host, SideWindows& windows);
  ~frmSearch() override;

  void openOnArrival(bool firstTime) override;
  // Reads "files.qx" and "words.qx" from the program's folder, then shows the window.
  void LoaderUp();
  void cmdFTS_Click();
  void lbResults_DblClick();

  QLineEdit* input() const { return txtInput; }
  QPushButton* searchButton() const { return cmdFTS; }
  QLabel* found() const { return lblFound; }
  QListView* results() const { return lbResults; }
  // Page file of list row `row`, as it opens.
  QString resultFile(int row) const;
  int resultCount() const { return int(SearchResults.size()); }

 protected:
  void enterPressed(int& keyCode) override;
  void fitControls(int width, int height) override;

 private:
  QLineEdit* txtInput;
  QPushButton* cmdFTS;
  QLabel* lblSearch;
  QLabel* lblFound;
  QListView* lbResults;
  RowsModel* model_;

  search::PageTable pages_;
  search::WordTable words_;
  search::SearchEngine engine_;
  std::vector<int> SearchResults;  // page entry of each list row, in list order
  search::Query resultsQuery_;     // what found them, for the words marked in a page opened
};
