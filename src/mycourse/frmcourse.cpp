#include "mycourse/frmcourse.h"

#include "layout/design.h"
#include "layout/fonts.h"
#include "layout/keypreview.h"
#include "logic/coursecompanion.h"
#include "logic/placement.h"
#include "logic/readingpages.h"
#include "platform/logging.h"
#include "platform/messageboxes.h"
#include "sidewin/host.h"
#include "sidewin/sidewindows.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStandardPaths>
#include <QStyledItemDelegate>
#include <QTreeView>

// The bookmarks as the list shows them: module, title and note, the note editable.
class BookmarksModel : public QAbstractTableModel {
 public:
  enum Column { Module, Title, Note, Columns };

  BookmarksModel(reading::CourseCompanion& companion, QObject* parent)
      : QAbstractTableModel(parent), companion_(companion) {}

  void refresh() {
    beginResetModel();
    rows_ = companion_.bookmarks().rows(companion_.catalogue());
    endResetModel();
  }
  const reading::BookmarkRow* row(int r) const { return r >= 0 && r < int(rows_.size()) ? &rows_[size_t(r)] : nullptr; }

  int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(rows_.size()); }
  int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : Columns; }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
      case Module: return QStringLiteral("Module");
      case Title: return QStringLiteral("Page");
      case Note: return QStringLiteral("Note (F2 to edit)");
    }
    return {};
  }
  QVariant data(const QModelIndex& index, int role) const override {
    const reading::BookmarkRow* r = row(index.row());
    if (!r || (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::ToolTipRole)) return {};
    switch (index.column()) {
      case Module: return r->module > 0 ? QString::number(r->module) : QString();
      case Title: return r->title;
      case Note: return r->note;
    }
    return {};
  }
  Qt::ItemFlags flags(const QModelIndex& index) const override {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.column() == Note) f |= Qt::ItemIsEditable;
    return f;
  }
  bool setData(const QModelIndex& index, const QVariant& value, int role) override {
    reading::BookmarkRow* r = index.column() == Note && role == Qt::EditRole ? mutableRow(index.row()) : nullptr;
    if (!r) return false;
    if (const Done set = companion_.bookmarks().setNote(r->page, value.toString()); !set) {
      qCWarning(lcReading) << "the note of" << r->page << "is not kept:" << set.error();
      return false;
    }
    // As the store keeps it: one paragraph.
    if (const reading::Bookmark* kept = companion_.bookmarks().find(r->page)) r->note = kept->note;
    emit dataChanged(index, index);
    return true;
  }

 private:
  reading::BookmarkRow* mutableRow(int r) { return r >= 0 && r < int(rows_.size()) ? &rows_[size_t(r)] : nullptr; }

  reading::CourseCompanion& companion_;
  std::vector<reading::BookmarkRow> rows_;
};

// The 24 modules with the pages read of each.
class ProgressModel : public QAbstractTableModel {
 public:
  enum Column { Module, Title, Read, Columns };
  static constexpr int kShareRole = Qt::UserRole;  // the share read, 0 to 1, for the bar

  ProgressModel(reading::CourseCompanion& companion, QObject* parent)
      : QAbstractTableModel(parent), companion_(companion) {}

  void refresh() {
    beginResetModel();
    modules_ = companion_.progress();
    endResetModel();
  }
  const reading::ModuleProgress& module(int row) const { return modules_[size_t(row)]; }

  int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : pages::kModules; }
  int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : Columns; }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
      case Module: return QStringLiteral("Module");
      case Title: return QStringLiteral("Begins with");
      case Read: return QStringLiteral("Pages read");
    }
    return {};
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || index.row() >= pages::kModules) return {};
    const reading::ModuleProgress& m = modules_[size_t(index.row())];
    if (role == kShareRole) return m.pages > 0 ? double(m.read) / m.pages : 0.0;
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
    switch (index.column()) {
      case Module: return QString::number(index.row() + 1);
      case Title: return m.title;
      case Read: return QStringLiteral("%1 of %2").arg(m.read).arg(m.pages);
    }
    return {};
  }

 private:
  reading::CourseCompanion& companion_;
  std::array<reading::ModuleProgress, pages::kModules> modules_{};
};

namespace {

// The pages read of a module as a bar, with "34 of 120" written over it.
class ProgressBarDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QStyleOptionProgressBar bar;
    bar.rect = option.rect.adjusted(2, 2, -2, -2);
    bar.state = option.state | QStyle::State_Horizontal;
    bar.minimum = 0;
    bar.maximum = 1000;
    bar.progress = int(index.data(ProgressModel::kShareRole).toDouble() * 1000);
    bar.text = index.data().toString();
    bar.textVisible = true;
    bar.textAlignment = Qt::AlignCenter;
    bar.palette = option.palette;
    QApplication::style()->drawControl(QStyle::CE_ProgressBar, &bar, painter);
  }
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const QSize text = QStyledItemDelegate::sizeHint(option, index);
    return {text.width(), text.height() + 6};  // room for the bar around its text
  }
};

QTreeView* makeList(QWidget* parent, const char* name, const QString& accessibleName) {
  auto* list = new QTreeView(parent);
  list->setObjectName(QString::fromLatin1(name));
  list->setAccessibleName(accessibleName);
  list->setRootIsDecorated(false);
  list->setUniformRowHeights(true);
  list->setSelectionBehavior(QAbstractItemView::SelectRows);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setAllColumnsShowFocus(true);
  list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list->setFont(designFont(13));
  return list;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setAutoDefault(false);
  button->setFont(designFont(13));
  return button;
}

constexpr int kMargin = 24;
constexpr int kLabelHeight = 20;
constexpr int kButtonHeight = 26;
constexpr int kGap = 8;

}  // namespace

frmCourse::frmCourse(SideWindowHost& host, SideWindows& windows) : SideWindow(SideWindowKind::Course, host, windows) {
  reading::CourseCompanion& companion = services_.companion;

  lblBookmarks = new QLabel(QStringLiteral("Boo&kmarks"), this);
  lbBookmarks = makeList(this, "lbBookmarks", QStringLiteral("Bookmarks"));
  bookmarkRows_ = new BookmarksModel(companion, this);
  lbBookmarks->setModel(bookmarkRows_);
  lbBookmarks->installEventFilter(this);
  lblBookmarks->setBuddy(lbBookmarks);
  cmdExport = makeButton(this, "cmdExport", QStringLiteral("E&xport..."));
  cmdImport = makeButton(this, "cmdImport", QStringLiteral("I&mport..."));

  lblProgress = new QLabel(QStringLiteral("Pro&gress through the modules"), this);
  lbModules = makeList(this, "lbModules", QStringLiteral("Progress through the modules"));
  moduleRows_ = new ProgressModel(companion, this);
  lbModules->setModel(moduleRows_);
  lbModules->setItemDelegateForColumn(ProgressModel::Read, new ProgressBarDelegate(lbModules));
  lblProgress->setBuddy(lbModules);
  cmdForget = makeButton(this, "cmdForget", QStringLiteral("&Forget my place and progress"));
  for (QLabel* label : {lblBookmarks, lblProgress}) label->setFont(designFont(13, true));

  // The screen's order: the bookmarks and their buttons, the progress and its button, the bar.
  setTabOrder(lbBookmarks, cmdExport);
  setTabOrder(cmdExport, cmdImport);
  setTabOrder(cmdImport, lbModules);
  setTabOrder(lbModules, cmdForget);
  setTabOrder(cmdForget, commandBar().cmdCont);
  help()->raise();

  connect(lbBookmarks, &QTreeView::doubleClicked, this, &frmCourse::openBookmark);
  connect(lbModules, &QTreeView::doubleClicked, this, &frmCourse::openModule);
  connect(cmdExport, &QPushButton::clicked, this, &frmCourse::exportBookmarks);
  connect(cmdImport, &QPushButton::clicked, this, &frmCourse::importBookmarks);
  connect(cmdForget, &QPushButton::clicked, this, &frmCourse::forgetPlaceAndProgress);
}

frmCourse::~frmCourse() = default;

void frmCourse::openOnArrival(bool) {
  refresh();
  windows_.show(*this);
  lbBookmarks->setFocus();
}

void frmCourse::refresh() {
  services_.companion.load();
  bookmarkRows_->refresh();
  moduleRows_->refresh();
  for (QTreeView* list : {lbBookmarks, lbModules}) {
    list->resizeColumnToContents(0);
    list->setCurrentIndex(list->model()->index(0, 0));
  }
}

int frmCourse::rowToOpen(QTreeView* list) {
  if (list->model()->rowCount() == 0) return -1;
  const QModelIndex current = list->currentIndex();
  return current.isValid() ? current.row() : 0;
}

void frmCourse::openPage(const QString& page) {
  openAddressInMainWindow(reading::address(services_.fileLocn, page, host_.screenClass()));
}

void frmCourse::openBookmark() {
  if (const reading::BookmarkRow* row = bookmarkRows_->row(rowToOpen(lbBookmarks))) openPage(row->page);
}

void frmCourse::openModule() {
  const int row = rowToOpen(lbModules);
  if (row < 0) return;
  if (const QString page = moduleRows_->module(row).pageToOpen; !page.isEmpty()) openPage(page);
}

void frmCourse::removeBookmark() {
  const int current = rowToOpen(lbBookmarks);
  const reading::BookmarkRow* row = bookmarkRows_->row(current);
  if (!row) return;
  if (const Done removed = services_.companion.bookmarks().remove(row->page); !removed) {
    tell(QStringLiteral("The bookmark cannot be taken away:\n%1").arg(removed.error()));
    return;
  }
  bookmarkRows_->refresh();
  const int rows = bookmarkRows_->rowCount();
  if (rows > 0) lbBookmarks->setCurrentIndex(bookmarkRows_->index(std::min(current, rows - 1), 0));
}

namespace {
// Where an export is offered to go and an import looked for first.
QString documentsFolder() {
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  return folder.isEmpty() ? QDir::homePath() : folder;
}
}  // namespace

void frmCourse::exportBookmarks() {
  const QString path = services_.askForFile(
      {this, QStringLiteral("Export the bookmarks"), QDir(documentsFolder()).filePath(QStringLiteral("Tavrin bookmarks.txt")),
       QStringLiteral("Text files (*.txt);;All files (*)"), true});
  if (path.isEmpty()) return;
  reading::CourseCompanion& companion = services_.companion;
  if (const Done written = companion.bookmarks().exportTo(path, companion.catalogue(), services_.fileLocn); !written)
    tell(QStringLiteral("The bookmarks could not be written to\n%1\n\n%2.").arg(path, written.error()));
  else
    tell(QStringLiteral("%1 bookmarks written to\n%2").arg(companion.bookmarks().size()).arg(path));
}

void frmCourse::importBookmarks() {
  const QString path =
      services_.askForFile({this, QStringLiteral("Import bookmarks"), documentsFolder(),
                            QStringLiteral("Text files (*.txt);;All files (*)"), false});
  if (path.isEmpty()) return;
  const Result<reading::Bookmarks::Merged> merged = services_.companion.bookmarks().importFrom(path);
  if (!merged) {
    tell(QStringLiteral("No bookmarks were taken from\n%1\n\n%2.").arg(path, merged.error()));
    return;
  }
  refresh();
  QString said = QStringLiteral("%1 bookmarks added, %2 notes taken over, %3 already there.")
                     .arg(merged->added)
                     .arg(merged->notesChanged)
                     .arg(merged->unchanged);
  if (merged->notAdded > 0)
    said += QStringLiteral("\n%1 were not added: not pages of the course, or too many.").arg(merged->notAdded);
  tell(said);
}

void frmCourse::forgetPlaceAndProgress() {
  const auto answer = placement::msgBoxAt(
      services_.messages,
      {QStringLiteral("Forget your place in the course and the pages you have read?\nYour bookmarks stay."),
       QStringLiteral("Tavrin"), MessageBoxes::Buttons::YesNo, MessageBoxes::Icon::Question, this},
      placement::kQuitQuestion);
  if (answer != MessageBoxes::Answer::Yes) return;
  if (const Done forgotten = services_.companion.forgetPlaceAndProgress(); !forgotten)
    tell(QStringLiteral("Your place and progress could not be forgotten:\n%1.").arg(forgotten.error()));
  refresh();
}

// ---- Keys ---------------------------------------------------------------------------

void frmCourse::enterPressed(int& key) {
  // Enter in a note being edited is the editor's.
  QWidget* focus = focusWidget();
  if (focus == lbBookmarks) {
    key = 0;
    openBookmark();
  } else if (focus == lbModules) {
    key = 0;
    openModule();
  }
}

bool frmCourse::eventFilter(QObject* watched, QEvent* event) {
  if (watched != lbBookmarks || event->type() != QEvent::KeyPress) return SideWindow::eventFilter(watched, event);
  switch (static_cast<QKeyEvent*>(event)->key()) {
    case Qt::Key_Delete: removeBookmark(); return true;
    case Qt::Key_F2: editNote(); return true;
    default: return SideWindow::eventFilter(watched, event);
  }
}

void frmCourse::editNote() {
  const int row = rowToOpen(lbBookmarks);
  if (row < 0) return;
  const QModelIndex note = bookmarkRows_->index(row, BookmarksModel::Note);
  lbBookmarks->setCurrentIndex(note);
  lbBookmarks->edit(note);
}

// ---- Layout -------------------------------------------------------------------------

void frmCourse::fitControls(int width, int height) {
  const int top = design::kTxtInput.top() - 8;
  const int inner = std::max(0, width - 2 * kMargin);
  const int lists = std::max(0, height - top - 2 * (kLabelHeight + kButtonHeight + 2 * kGap) - kMargin);
  // The 24 modules whole where there is room for them (and for some bookmarks besides); the
  // bookmarks take the rest.
  const int moduleRow = std::max(lbModules->sizeHintForRow(0), 1);
  const int allModules = moduleRow * pages::kModules + lbModules->header()->sizeHint().height() + 4;
  const int bookmarkList = lists - std::min(allModules, lists * 3 / 5);
  int y = top;
  lblBookmarks->setGeometry(kMargin, y, inner, kLabelHeight);
  y += kLabelHeight;
  lbBookmarks->setGeometry(kMargin, y, inner, bookmarkList);
  lbBookmarks->setColumnWidth(BookmarksModel::Title, inner * 2 / 5);
  y += bookmarkList + kGap;
  cmdExport->setGeometry(kMargin, y, 120, kButtonHeight);
  cmdImport->setGeometry(kMargin + 128, y, 120, kButtonHeight);
  y += kButtonHeight + kGap;
  lblProgress->setGeometry(kMargin, y, inner, kLabelHeight);
  y += kLabelHeight;
  lbModules->setGeometry(kMargin, y, inner, lists - bookmarkList);
  lbModules->setColumnWidth(ProgressModel::Title, inner / 2);
  y += lists - bookmarkList + kGap;
  cmdForget->setGeometry(kMargin, y, 260, kButtonHeight);
}
