#include "search/frmsearch.h"

#include "layout/design.h"
#include "layout/fonts.h"
#include "layout/rowsmodel.h"
#include "logic/codepage.h"
#include "logic/datafiles.h"
#include "platform/logging.h"
#include "sidewin/host.h"
#include "sidewin/sidewindows.h"

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>

frmSearch::frmSearch(SideWindowHost& host, SideWindows& windows) : SideWindow(SideWindowKind::Search, host, windows) {
  const QFont font = designFont(13);  // 9.75 points
  txtInput = new QLineEdit(this);
  txtInput->setObjectName(QStringLiteral("txtInput"));
  txtInput->setAccessibleName(QStringLiteral("Words to search for"));
  txtInput->setFont(font);
  txtInput->setGeometry(design::kTxtInput);
  cmdFTS = new QPushButton(QStringLiteral("&Search"), this);
  cmdFTS->setObjectName(QStringLiteral("cmdFTS"));
  cmdFTS->setFont(font);
  cmdFTS->setGeometry(design::kCmdFTS);
  cmdFTS->setAutoDefault(false);
  lblSearch = new QLabel(QStringLiteral("Search Results:"), this);
  lblSearch->setFont(font);
  lblSearch->setGeometry(design::kLblSearch);
  lblFound = new QLabel(QStringLiteral("Found:"), this);
  lblFound->setObjectName(QStringLiteral("lblFound"));
  lblFound->setFont(font);
  lblFound->setGeometry(design::kLblFound);
  lbResults = makeResultList(this, design::kLbResults, QStringLiteral("Search results"));
  model_ =
      new RowsModel([this] { return int(SearchResults.size()); },
                    [this](int row) { return cp1252::decode(pages_.title(SearchResults[size_t(row)])) + u' '; }, this);
  lbResults->setModel(model_);
  help()->raise();  // the help picture covers the controls made after it

  // The text box and the search button come first in the tab order, then the list.
  setTabOrder(txtInput, cmdFTS);
  setTabOrder(cmdFTS, lbResults);
  setTabOrder(lbResults, commandBar().cmdCont);
  txtInput->setFocus();  // where typing goes when the window first comes up

  connect(cmdFTS, &QPushButton::clicked, this, &frmSearch::cmdFTS_Click);
  connect(lbResults, &QListView::doubleClicked, this, &frmSearch::lbResults_DblClick);
}

frmSearch::~frmSearch() = default;

QString frmSearch::resultFile(int row) const {
  if (row < 0 || size_t(row) >= SearchResults.size()) return {};
  return cp1252::decode(pages_.file(SearchResults[size_t(row)]));
}

// ---- Loading ------------------------------------------------------------------------

void frmSearch::openOnArrival(bool firstTime) {
  if (firstTime)
    LoaderUp();
  else
    windows_.show(*this);
}

void frmSearch::LoaderUp() {
  pages_ = search::PageTable::read(
      readProgramFile(search::kPagesFile, lcSearch, "the search finds nothing").value_or(QByteArray()));
  search::logReadStatus(services_.programFolder + u'/' + search::kPagesFile, pages_.status());
  if (pages_.status().tooMany) tell(QStringLiteral("Too many files!"));
  words_ = search::WordTable::read(
      readProgramFile(search::kWordsFile, lcSearch, "the search finds nothing").value_or(QByteArray()));
  search::logReadStatus(services_.programFolder + u'/' + search::kWordsFile, words_.status());
  if (words_.status().tooMany) tell(QStringLiteral("Too many words!"));
  engine_ = search::SearchEngine(pages_, words_);
  windows_.show(*this);
}

// ---- Searching ----------------------------------------------------------------------

void frmSearch::cmdFTS_Click() {
  std::vector<int> found;
  found.reserve(SearchResults.capacity());
  search::Query query = search::parseQuery(txtInput->text());
  if (!engine_.search(query, found)) return;  // blank: the list stays as it is
  model_->replace([&] { SearchResults.swap(found); });
  resultsQuery_ = std::move(query);
  showFound(*lblFound, QStringLiteral("Found:  %1 pages").arg(SearchResults.size()), {txtInput, lbResults});
}

void frmSearch::lbResults_DblClick() {
  const QModelIndexList selected = lbResults->selectionModel()->selectedIndexes();
  if (selected.isEmpty()) return;
  const int row = selected.first().row();
  if (size_t(row) < SearchResults.size()) {
    QStringList marks;
    for (const QByteArray& word : engine_.wordsOn(resultsQuery_, SearchResults[size_t(row)]))
      marks << cp1252::decode(word);
    host_.markOnArrival(marks);
  }
  openInMainWindow(resultFile(row));
}

void frmSearch::enterPressed(int& key) {
  if (focusWidget() == txtInput) {
    key = 0;  // the text box never sees the Enter
    cmdFTS_Click();
  } else if (focusWidget() == lbResults) {
    key = 0;
    if (selectRowForEnter(*lbResults)) lbResults_DblClick();
  }
}

// ---- Layout -------------------------------------------------------------------------

void frmSearch::fitControls(int w, int h) {
  lbResults->resize(qRound(0.95 * w), qRound(0.8 * h));
  cmdFTS->move(qRound(0.88 * w), cmdFTS->y());
  // The box grows with the window but never runs under the button, and in a very narrow
  // window it shrinks to nothing rather than to a negative width.
  const int beforeButton = cmdFTS->x() - 8 - txtInput->x();
  txtInput->resize(qBound(0, qRound(0.95 * w) - cmdFTS->width() - 20, qMax(0, beforeButton)), txtInput->height());
}
