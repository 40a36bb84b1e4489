#pragma once
// The pages read, kept over runs, and the progress through the modules made of them.
//
// A page counts as read once it has arrived in the main browser, when it is a page the reader
// reads that belongs to a module (readingpages.h). Progress counts, for each module, how many of
// the pages the catalogue gives it have been read.
//
// File "pagesread.txt" in the per-user folder (storefile.h): the header "tavrin pages-read 1",
// then one kept page name per line, in the order they were first read. A name listed twice
// counts once.
#include "logic/coursecatalogue.h"
#include "logic/readingpages.h"
#include "logic/storefile.h"

#include <QSet>
#include <QString>
#include <QStringView>

#include <array>
#include <vector>

class FileSystem;

namespace reading {

namespace pagesreadfile {
inline constexpr QLatin1StringView kKind{"pages-read"};
inline constexpr int kVersion = 1;
// Room for every page of a full catalogue twice over: the pages of the course as it is, and
// those read in an earlier edition of it.
inline constexpr int kCapacity = 2 * search::kCapacity;
// What a full file can take: every name at its longest, each UTF-16 unit as three bytes of
// UTF-8, with a CR LF. A larger file is not one of ours.
inline constexpr qint64 kLargest = 64 + qint64(kCapacity) * (3 * kLongestName + 2);
// The names in `pages`, in order.
QByteArray encode(const std::vector<QString>& pages);
// The names, each once, in order; `seen`, when given, is filled with them too.
Result<std::vector<QString>> decode(QByteArrayView bytes, QSet<QString>* seen = nullptr);
}  // namespace pagesreadfile

struct ModuleProgress {
  int read = 0;   // pages of the module read
  int pages = 0;  // pages the catalogue gives the module
  // The catalogue's title of the module's first page (its entry page when listed); empty when
  // the catalogue lists none of its pages.
  QString title;
  // The module's first page not yet read, in course order; empty when every page is read (or
  // the module has none).
  QString firstUnread;
  // What opening the module shows: its first page not yet read, else its first page, else (no
  // catalogue) its entry page.
  QString pageToOpen;
};

class PagesRead : public store::FileBacked {
 public:
  static QString pathIn(const QString& userDir) { return userDir + QStringLiteral("pagesread.txt"); }

  PagesRead(FileSystem& files, QString path, store::Writing writing = store::Writing::AtOnce);

  // Reads the file once; a file that cannot be used refuses the store (refusal()).
  void load();

  // A page arrived in the main browser: counted as read, and the file written, when it is a
  // page of a module that was not read before.
  Done arrived(QStringView arrived);
  bool isRead(const QString& keptName) const { return read_.contains(keptName); }
  int size() const { return int(order_.size()); }
  // The pages read, in the order they were first read.
  const std::vector<QString>& pages() const { return order_; }

  // Progress through each module: element m - 1 is module m.
  std::array<ModuleProgress, pages::kModules> progress(const CourseCatalogue& catalogue) const;

  // Forgets every page read.
  Done forget();

 private:
  std::vector<QString> order_;
  QSet<QString> read_;
  QByteArray encoded_;  // the file's bytes, made at the first page read and grown with each
  bool saidFull_ = false;
};

}  // namespace reading
