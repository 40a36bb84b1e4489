#pragma once
// The student's own window, "Tavrin - My course": the bookmarks with their notes, in course
// order, and the progress through the 24 modules. A bookmark opens its page, a module its
// first page not yet read. Bookmarks are taken away with Delete, their notes edited with F2,
// and exported to a file a person can read, or imported from one. The place kept and the
// pages read can be forgotten; the bookmarks stay then.
#include "logic/bookmarks.h"
#include "logic/pagesread.h"
#include "sidewin/sidewindow.h"

#include <array>
#include <vector>

class QLabel;
class QPushButton;
class QTreeView;
class BookmarksModel;
class ProgressModel;

class frmCourse : public SideWindow {
  Q_OBJECT
 public:
  frmCourse(SideWindowHost& host, SideWindows& windows);
  ~frmCourse() override;

  void openOnArrival(bool firstTime) override;
  // Lists the bookmarks and the progress afresh.
  void refresh();

  void openBookmark();
  void openModule();
  void removeBookmark();
  void editNote();
  void exportBookmarks();
  void importBookmarks();
  void forgetPlaceAndProgress();

  QTreeView* bookmarks() const { return lbBookmarks; }
  QTreeView* modules() const { return lbModules; }

 protected:
  void enterPressed(int& keyCode) override;
  void fitControls(int width, int height) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The row of `list` that Enter or a double click opens: the current one, else the first.
  static int rowToOpen(QTreeView* list);
  // A kept page opened in the main window, in the variant for the screen.
  void openPage(const QString& page);

  QLabel* lblBookmarks;
  QTreeView* lbBookmarks;
  QPushButton* cmdExport;
  QPushButton* cmdImport;
  QLabel* lblProgress;
  QTreeView* lbModules;
  QPushButton* cmdForget;
  BookmarksModel* bookmarkRows_;
  ProgressModel* moduleRows_;
};
