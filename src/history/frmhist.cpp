#include "history/frmhist.h"

#include "layout/design.h"
#include "layout/rowsmodel.h"
#include "logic/codepage.h"
#include "logic/datafiles.h"
#include "logic/historylog.h"
#include "logic/presence.h"
#include "platform/filesystem.h"
#include "platform/logging.h"
#include "sidewin/host.h"
#include "sidewin/sidewindows.h"

#include <QHideEvent>
#include <QLabel>
#include <QListView>

frmHist::frmHist(SideWindowHost& host, SideWindows& windows) : SideWindow(SideWindowKind::History, host, windows) {
  lbResults = makeResultList(this, design::kHistResults, QStringLiteral("Pages visited"));
  model_ = new RowsModel([this] { return list_.size(); }, [this](int row) { return list_.text(row); }, this);
  lbResults->setModel(model_);
  help()->raise();
  setTabOrder(lbResults, commandBar().cmdCont);
  lbResults->setFocus();

  connect(lbResults, &QListView::doubleClicked, this, &frmHist::lbResults_DblClick);
}

frmHist::~frmHist() = default;

QString frmHist::HistPage(int row) const { return cp1252::decode(list_.histPage(row)); }

void frmHist::openOnArrival(bool) { LoadHist(); }

void frmHist::LoadHist() {
  model_->replace([&] { list_ = {}; });
  history::HistoryList list;
  list.setLog(readLog().value_or(QByteArray()));
  if (list.tooManyRecords()) tell(QStringLiteral("Too many History entries!"));
  list.lookUpTitles(readProgramFile(search::kPagesFile, lcHistory, "the history lists its records without titles"));
  if (list.catalogueStatus() && list.catalogueStatus()->tooMany) tell(QStringLiteral("Too many files!"));
  model_->replace([&] { list_ = std::move(list); });
  lbResults->clearSelection();
  lbResults->setCurrentIndex({});
  windows_.show(*this);
}

std::optional<QByteArray> frmHist::readLog() {
  const QString path = HistoryLog::pathIn(services_.userDir);
  if (!services_.fileExists(path, this)) {
    // No log is an empty history; a folder where the log should be is worth saying.
    if (const Result<FileState> state = services_.files.state(path); !state || *state != FileState::Folder)
      return std::nullopt;
  }
  Result<QByteArray> log = search::readWholeFile(services_.files, path);
  if (!log) {
    qCWarning(lcHistory) << "cannot read" << path << ":" << log.error();
    tell(QStringLiteral("Your reading history cannot be read:\n%1\n\n%2.").arg(path, log.error()));
  }
  return std::move(log).take();
}

void frmHist::hideEvent(QHideEvent* event) {
  SideWindow::hideEvent(event);
  // The list is read afresh at every opening: a long history is not kept meanwhile. A
  // minimised window (told by the window system) still shows its list when restored.
  if (!event->spontaneous()) model_->replace([&] { list_ = {}; });
}

void frmHist::lbResults_DblClick() {
  const QModelIndexList selected = lbResults->selectionModel()->selectedIndexes();
  if (selected.isEmpty()) return;
  const QString page = list_.pageToOpen(selected.first().row());
  if (page.isEmpty()) return;
  openInMainWindow(page);
}

void frmHist::enterPressed(int& key) {
  key = 0;
  if (focusWidget() == lbResults) selectRowForEnter(*lbResults);
  lbResults_DblClick();
}

void frmHist::fitControls(int w, int h) { lbResults->resize(qRound(0.95 * w), qRound(0.8 * h)); }
