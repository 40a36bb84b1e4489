#pragma once
// The search window: one or two words in, the course pages that hold words beginning
// with them out, in the order the word file lists them; a listed page opens in the
// main window.
#include "layout/commandbar.h"
#include "search/datafiles.h"
#include "search/engine.h"

#include <QWidget>

#include <vector>

class frmQX;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class SearchResultsModel;

class frmSearch : public QWidget {
  Q_OBJECT
 public:
  explicit frmSearch(frmQX& main);
  ~frmSearch() override;

  // Reads "files.qx" and "words.qx" from the program's folder, then shows the window.
  void LoaderUp();
  void cmdFTS_Click();
  void lbResults_DblClick();

  // Commands of the command bar.
  void cmdCont_Click();
  void cmdBack_Click();
  void cmdHelp_Click();
  void Form_KeyDown(int& keyCode, int& shift);
  void Form_KeyPress(int& character);

  const CommandBar& commandBar() const { return bar_; }
  QLineEdit* input() const { return txtInput; }
  QPushButton* searchButton() const { return cmdFTS; }
  QLabel* found() const { return lblFound; }
  QListView* results() const { return lbResults; }
  QLabel* help() const { return picHelp; }
  // Page file of list row `row`, as it opens.
  QString resultFile(int row) const;
  int resultCount() const { return int(SearchResults.size()); }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void Form_Resize();
  QByteArray readDataFile(const QString& name);
  void tellTooMany(const QString& text);

  frmQX& main_;
  CommandBar bar_;
  QLineEdit* txtInput;
  QPushButton* cmdFTS;
  QLabel* lblSearch;
  QLabel* lblFound;
  QListView* lbResults;
  QLabel* picHelp;
  SearchResultsModel* model_;

  search::PageTable pages_;
  search::WordTable words_;
  search::SearchEngine engine_;
  std::vector<int> SearchResults;  // page entry of each list row, in list order
};
