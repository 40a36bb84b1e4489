#include "search/frmindex.h"

#include "layout/design.h"
#include "layout/fonts.h"
#include "layout/rowsmodel.h"
#include "logic/datafiles.h"
#include "platform/logging.h"
#include "search/frmsearch.h"
#include "sidewin/handover.h"
#include "sidewin/host.h"
#include "sidewin/sidewindows.h"

#include <QLabel>
#include <QLineEdit>
#include <QListView>

frmIndex::frmIndex(SideWindowHost& host, SideWindows& windows) : SideWindow(SideWindowKind::Index, host, windows) {
  const QFont font = designFont(13);  // 9.75 points
  txtInput = new QLineEdit(this);
  txtInput->setObjectName(QStringLiteral("txtInput"));
  txtInput->setAccessibleName(QStringLiteral("Words beginning with"));
  txtInput->setFont(font);
  txtInput->setGeometry(design::kTxtInput);
  lblIndex = new QLabel(QStringLiteral("Index Results:"), this);
  lblIndex->setFont(font);
  lblIndex->setGeometry(design::kLblSearch);
  lblFound = new QLabel(QStringLiteral("Found:"), this);
  lblFound->setObjectName(QStringLiteral("lblFound"));
  lblFound->setFont(font);
  lblFound->setGeometry(design::kLblFound);
  lbResults = makeResultList(this, design::kLbResults, QStringLiteral("Index results"));
  model_ = new RowsModel([this] { return int(rows_.size()); },
                         [this](int row) { return WordText.row(rows_[size_t(row)]); }, this);
  lbResults->setModel(model_);
  help()->raise();

  setTabOrder(txtInput, lbResults);
  setTabOrder(lbResults, commandBar().cmdCont);
  txtInput->setFocus();

  connect(txtInput, &QLineEdit::textChanged, this, &frmIndex::txtInput_Change);
  connect(lbResults, &QListView::doubleClicked, this, &frmIndex::lbResults_DblClick);
}

frmIndex::~frmIndex() = default;

void frmIndex::openOnArrival(bool firstTime) {
  if (firstTime)
    LoadWords();
  else
    windows_.show(*this);
}

void frmIndex::LoadWords() {
  // A file that is not there leaves the list empty: every filter finds no word.
  const search::WordTable words = search::WordTable::read(
      readProgramFile(search::kWordsFile, lcSearch, "the index lists no word").value_or(QByteArray()));
  search::logReadStatus(services_.programFolder + u'/' + search::kWordsFile, words.status());
  if (words.status().tooMany) tell(QStringLiteral("Too many words!"));
  model_->replace([&] {
    WordText = search::WordIndex(words);
    rows_ = {};
  });
  windows_.show(*this);
}

void frmIndex::txtInput_Change() {
  model_->replace([&] { rows_ = WordText.filter(txtInput->text()); });
  showFound(*lblFound, search::WordIndex::foundText(qsizetype(rows_.size())), {txtInput, lbResults});
}

void frmIndex::lbResults_DblClick() {
  const QModelIndexList selected = lbResults->selectionModel()->selectedIndexes();
  if (selected.isEmpty()) return;
  const QString word = WordText.searchBoxText(rows_[size_t(selected.first().row())]);
  handOver(*this, host_.mainWindow(), services_.waitOneSecond);
  auto* search = qobject_cast<frmSearch*>(windows_.window(SideWindowKind::Search));
  if (search) {
    handOver(*this, *search, services_.waitOneSecond);
    // Searched at once, though the search data may only load when its window opens: the
    // first time, the word waits in the text box with nothing found yet.
    search->input()->setText(word);
    search->cmdFTS_Click();
  }
  host_.navigateWeb1(windows_.triggerPage(SideWindowKind::Search));
  hide();
}

void frmIndex::enterPressed(int& key) {
  key = 0;
  if (focusWidget() == lbResults) selectRowForEnter(*lbResults);
  lbResults_DblClick();
}

void frmIndex::fitControls(int w, int h) {
  lbResults->resize(qRound(0.95 * w), qRound(0.8 * h));
  txtInput->resize(qRound(0.8 * w), txtInput->height());
}
