#include "search/frmsearch.h"

#include "layout/design.h"
#include "layout/picturebox.h"
#include "platform/browser.h"
#include "platform/messageboxes.h"
#include "shell/codepage.h"
#include "sidewin/handover.h"
#include "viewer/frmqx.h"
#include "viewer/helpimage.h"
#include "viewer/keypreview.h"

#include <QAbstractListModel>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>

// The result list as a model over the found page entries: rows are only turned into
// text when the view shows them, so thousands of results fill the list at once.
class SearchResultsModel : public QAbstractListModel {
 public:
  SearchResultsModel(const search::PageTable& pages, const std::vector<int>& rows, QObject* parent)
      : QAbstractListModel(parent), pages_(pages), rows_(rows) {}

  int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : int(rows_.size()); }
  QVariant data(const QModelIndex& index, int role) const override {
    if (role != Qt::DisplayRole || !index.isValid() || size_t(index.row()) >= rows_.size()) return {};
    return cp1252::decode(pages_.title(rows_[size_t(index.row())])) + u' ';
  }
  void beginReplace() { beginResetModel(); }
  void endReplace() { endResetModel(); }

 private:
  const search::PageTable& pages_;
  const std::vector<int>& rows_;
};

namespace {

QFont controlFont() {
  QFont f;
  f.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                 QStringLiteral("Liberation Sans"), QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")});
  f.setPixelSize(13);  // 9.75 points
  return f;
}

}  // namespace

frmSearch::frmSearch(frmQX& main) : main_(main), bar_(this, CommandBar::Slot3::Index) {
  setWindowTitle(QStringLiteral("Tavrin - Search"));
  resize(design::kClientSize);
  move(design::kWindowPos);
  setAutoFillBackground(true);
  QPalette grey = palette();
  grey.setColor(QPalette::Window, design::kSideBackground);
  setPalette(grey);

  txtInput = new QLineEdit(this);
  txtInput->setObjectName(QStringLiteral("txtInput"));
  txtInput->setFont(controlFont());
  txtInput->setGeometry(design::kTxtInput);
  cmdFTS = new QPushButton(QStringLiteral("&Search"), this);
  cmdFTS->setObjectName(QStringLiteral("cmdFTS"));
  cmdFTS->setFont(controlFont());
  cmdFTS->setGeometry(design::kCmdFTS);
  cmdFTS->setAutoDefault(false);
  lblSearch = new QLabel(QStringLiteral("Search Results:"), this);
  lblSearch->setFont(controlFont());
  lblSearch->setGeometry(design::kLblSearch);
  lblFound = new QLabel(QStringLiteral("Found:"), this);
  lblFound->setObjectName(QStringLiteral("lblFound"));
  lblFound->setFont(controlFont());
  lblFound->setGeometry(design::kLblFound);
  lbResults = new QListView(this);
  lbResults->setObjectName(QStringLiteral("lbResults"));
  lbResults->setGeometry(design::kLbResults);
  lbResults->setUniformItemSizes(true);  // rows are laid out without measuring each one
  lbResults->setEditTriggers(QAbstractItemView::NoEditTriggers);
  lbResults->setSelectionMode(QAbstractItemView::SingleSelection);
  model_ = new SearchResultsModel(pages_, SearchResults, this);
  lbResults->setModel(model_);

  // The text box and the search button come first in the tab order, then the list.
  setTabOrder(txtInput, cmdFTS);
  setTabOrder(cmdFTS, lbResults);
  setTabOrder(lbResults, bar_.cmdCont);
  txtInput->setFocus();  // where typing goes when the window first comes up

  auto* help = new PictureBox(this);
  help->setObjectName(QStringLiteral("picHelp"));
  help->setGeometry(design::kSideHelp);
  static const QPixmap image = sideHelpImage();
  help->setPixmap(image);
  help->onClick = [help] { help->hide(); };
  help->hide();
  picHelp = help;

  connect(cmdFTS, &QPushButton::clicked, this, &frmSearch::cmdFTS_Click);
  connect(lbResults, &QListView::doubleClicked, this, &frmSearch::lbResults_DblClick);
  connect(bar_.cmdCont, &QPushButton::clicked, this, &frmSearch::cmdCont_Click);
  connect(bar_.cmdSlot3, &QPushButton::clicked, this, [this] {
    picHelp->hide();
    main_.openSideWindowFrom(this, frmQX::SideWindow::Index);
  });
  connect(bar_.cmdHist, &QPushButton::clicked, this, [this] {
    picHelp->hide();
    main_.openSideWindowFrom(this, frmQX::SideWindow::History);
  });
  for (QPushButton* back : {bar_.cmdBack, bar_.cmdPrev, bar_.cmdNext})
    connect(back, &QPushButton::clicked, this, &frmSearch::cmdBack_Click);
  connect(bar_.cmdHelp, &QPushButton::clicked, this, &frmSearch::cmdHelp_Click);
  connect(bar_.cmdSecn, &QPushButton::clicked, this, &frmSearch::cmdHelp_Click);

  new KeyPreview(
      this, [this](int& key, int& shift) { Form_KeyDown(key, shift); }, [this](int& ch) { Form_KeyPress(ch); });
}

frmSearch::~frmSearch() = default;

QString frmSearch::resultFile(int row) const {
  if (row < 0 || size_t(row) >= SearchResults.size()) return {};
  return cp1252::decode(pages_.file(SearchResults[size_t(row)]));
}

// ---- Loading ------------------------------------------------------------------------

void frmSearch::LoaderUp() {
  pages_ = search::PageTable::read(readDataFile(QStringLiteral("files.qx")));
  if (pages_.status().tooMany) tellTooMany(QStringLiteral("Too many files!"));
  words_ = search::WordTable::read(readDataFile(QStringLiteral("words.qx")));
  if (words_.status().tooMany) tellTooMany(QStringLiteral("Too many words!"));
  engine_ = search::SearchEngine(pages_, words_);
  main_.showSideWindow(this);
}

QByteArray frmSearch::readDataFile(const QString& name) {
  // A file that is not there leaves its tables empty; the search then finds nothing.
  const QString path = main_.platform().programFolder + u'/' + name;
  if (!main_.fileExists()(path, this)) return {};
  return search::readWholeFile(path).value_or(QByteArray());
}

void frmSearch::tellTooMany(const QString& text) {
  main_.platform().messages->ask(
      {text, QStringLiteral("Tavrin"), MessageBoxes::Buttons::Ok, MessageBoxes::Icon::None, this});
}

// ---- Searching ----------------------------------------------------------------------

void frmSearch::cmdFTS_Click() {
  std::vector<int> found;
  found.reserve(SearchResults.capacity());
  if (!engine_.search(txtInput->text(), found)) return;  // blank: the list stays as it is
  model_->beginReplace();
  SearchResults.swap(found);
  model_->endReplace();
  lblFound->setText(QStringLiteral("Found:  %1 pages").arg(SearchResults.size()));
}

void frmSearch::lbResults_DblClick() {
  const QModelIndexList selected = lbResults->selectionModel()->selectedIndexes();
  if (selected.isEmpty()) return;
  const QString page = resultFile(selected.first().row());
  handOver(*this, main_, main_.waitOneSecond());
  main_.navigateWeb1(main_.FileLocn + page);
  hide();
}

// ---- Command bar --------------------------------------------------------------------

void frmSearch::cmdCont_Click() {
  picHelp->hide();
  handOver(*this, main_, main_.waitOneSecond());
  main_.navigateWeb1(main_.FileLocn + pages::startPage(main_.ScreenSize));
}

void frmSearch::cmdBack_Click() {
  picHelp->hide();
  main_.web1()->goBack();
}

void frmSearch::cmdHelp_Click() { picHelp->setVisible(!picHelp->isVisible()); }

void frmSearch::Form_KeyDown(int& key, int& shift) {
  picHelp->hide();
  if (shift & keys::kAlt) {
    if (key == keys::kQ) {
      key = 0;
      main_.AskQuit(this);
    } else if (key == keys::kComma || key == keys::kPeriod) {
      key = 0;
      cmdBack_Click();
    }
  }
  if (key == keys::kEnter) {
    if (focusWidget() == txtInput) {
      key = 0;  // the text box never sees the Enter
      cmdFTS_Click();
    } else if (focusWidget() == lbResults) {
      key = 0;
      lbResults_DblClick();
    }
  }
}

void frmSearch::Form_KeyPress(int& character) {
  if (character == keys::kEscape) character = 0;
}

void frmSearch::closeEvent(QCloseEvent* event) {
  // The window never closes by itself: closing it means quitting the course.
  event->ignore();
  main_.AskQuit(this);
}

// ---- Layout -------------------------------------------------------------------------

void frmSearch::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Form_Resize();
}

void frmSearch::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) main_.sideWindowActivated(this);
}

void frmSearch::Form_Resize() {
  if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) && x() < 0)
    move(design::kOffscreenRescue);
  const int w = width(), h = height();
  lbResults->resize(qRound(0.95 * w), qRound(0.8 * h));
  cmdFTS->move(qRound(0.88 * w), cmdFTS->y());
  // The box grows with the window but never runs under the button, and in a very narrow
  // window it shrinks to nothing rather than to a negative width.
  const int beforeButton = cmdFTS->x() - 8 - txtInput->x();
  txtInput->resize(qBound(0, qRound(0.95 * w) - cmdFTS->width() - 20, qMax(0, beforeButton)), txtInput->height());
}
