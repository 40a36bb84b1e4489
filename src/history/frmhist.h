#pragma once
// The history window: the course pages visited, by title, oldest first, read afresh from
// the history log at every opening; a listed page opens in the main window.
#include "logic/historylist.h"
#include "sidewin/sidewindow.h"

class QListView;
class RowsModel;

class frmHist : public SideWindow {
  Q_OBJECT
 public:
  frmHist(SideWindowHost& host, SideWindows& windows);
  ~frmHist() override;

  void openOnArrival(bool firstTime) override;
  // Lists the log's pages by the titles in "files.qx", then shows the window.
  void LoadHist();
  void lbResults_DblClick();

  QListView* results() const { return lbResults; }
  // HistPage of list row `row`: the catalogue name whose title it shows, "" for a record
  // listed as it is.
  QString HistPage(int row) const;

 protected:
  void enterPressed(int& keyCode) override;
  void fitControls(int width, int height) override;
  void hideEvent(QHideEvent* event) override;

 private:
  std::optional<QByteArray> readLog();

  QListView* lbResults;
  RowsModel* model_;
  history::HistoryList list_;
};
