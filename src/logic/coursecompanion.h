#pragma once
// What the reader keeps of a student's way through the course, over runs: the place to resume
// at, the bookmarks with their notes, and the pages read, with the catalogue that orders,
// titles and counts them. Each store owns its file and says itself when it cannot be used;
// this holds the four together for the windows, and hands a page's arrival to the stores
// that follow it.
#include "logic/bookmarks.h"
#include "logic/coursecatalogue.h"
#include "logic/pagesread.h"
#include "logic/readingplace.h"

#include <QString>
#include <QStringView>

class FileSystem;

namespace reading {

class CourseCompanion {
 public:
  // `userDir`: the per-user folder, ending with a slash; `catalogueFile`: the path of the
  // page catalogue "files.qx". The stores write behind (storefile.h): a page's arrival or a
  // scroll costs the window no wait for the disk.
  CourseCompanion(FileSystem& files, const QString& userDir, QString catalogueFile,
                  store::Writing writing = store::Writing::Behind);

  // Reads the three files and the catalogue, once; arrived() does so when it has not been done.
  // Not on the way to the first page: call it once that page has arrived.
  void load();
  bool loaded() const { return loaded_; }

  // A page arrived in the main browser (`page`: its name after the course base; `ownTitle`:
  // the document's title when known): it becomes the place to resume at, and counts as read,
  // when it is a page the reader reads. Failures to write are the stores' to log.
  void arrived(QStringView page, const QString& ownTitle = {});

  ReadingPlace& place() { return place_; }
  Bookmarks& bookmarks() { return bookmarks_; }
  PagesRead& pagesRead() { return pagesRead_; }
  const CourseCatalogue& catalogue() const { return catalogue_; }

  // Progress through each module: element m - 1 is module m.
  std::array<ModuleProgress, pages::kModules> progress() const { return pagesRead_.progress(catalogue_); }
  // The title to show for a kept page: the catalogue's, else `own`, else the page's name.
  QString titleOf(const QString& page, const QString& own = {}) const;

  // "Forget my place and progress": the place and the pages read go, the bookmarks stay.
  Done forgetPlaceAndProgress();

  // Writes a scroll not yet written and waits until every change is in its file: before the
  // program ends, which it does without unwinding.
  void flush();

  // Why files of the reader's cannot be used and are left alone (one line each, with the file's
  // path), to be said once: empty when every file can be used, before load() and after the
  // first call that follows it.
  QString takeRefusals();

 private:
  FileSystem& files_;
  const QString catalogueFile_;
  CourseCatalogue catalogue_;
  ReadingPlace place_;
  Bookmarks bookmarks_;
  PagesRead pagesRead_;
  bool loaded_ = false;
  bool toldRefusals_ = false;
};

}  // namespace reading
