#pragma once
// Bookmarks with notes: pages the reader marked, each with a note of one paragraph, kept over
// runs, listed in course order, and exported to a file a person can read and imported back.
//
// File "bookmarks.txt" in the per-user folder (storefile.h): the header "tavrin bookmarks 1",
// then one bookmark per line, in the order of the page names: the page's kept name, the note and
// the page's own title, separated by TABs (note and title may be empty):
//   qx070012.qx<TAB>Remember the triangle.<TAB>Ohm's law in practice
// A page listed twice keeps its first line.
//
// The export is UTF-8 text in blocks, one bookmark each, in course order:
//   tavrin bookmarks-export 1
//   # lines beginning with "#" are comments
//
//   Module: 7
//   Title: Ohm's law in practice
//   Page: https://cbt.vendrel.example/qx_cbt/qx2/qx070012.qx
//   Note: Remember the triangle.
// A block is the lines between blank lines; each line is a label, a colon and its value (labels
// in any case, each at most once in a block). Import reads Page (the page is what follows the
// address's first "qx2/", or the whole value when it holds none) and Note, and Title as the
// page's own title; Module is for the reader of the file. Every block needs a Page.
#include "logic/coursecatalogue.h"
#include "logic/readingpages.h"
#include "logic/storefile.h"

#include <QMap>
#include <QString>
#include <QStringView>

#include <vector>

class FileSystem;

namespace reading {

struct Bookmark {
  QString page;      // kept name (readingpages.h)
  QString note;      // one paragraph, possibly empty
  QString ownTitle;  // the page's own title when it was bookmarked, possibly empty
  friend bool operator==(const Bookmark&, const Bookmark&) = default;
};

// A bookmark as the list shows it.
struct BookmarkRow {
  QString page;
  QString note;
  QString title;   // the catalogue's title, else the page's own, else the page name
  int module = 0;  // 1 to 24; 0 for a page of no module
  int entry = 0;   // catalogue number; 0 when the catalogue does not list the page
  friend bool operator==(const BookmarkRow&, const BookmarkRow&) = default;
};

inline constexpr int kLongestNote = 1000;  // characters; a paragraph, not a document
inline constexpr int kLongestTitle = 256;

namespace bookmarkfile {
inline constexpr QLatin1StringView kKind{"bookmarks"};
inline constexpr int kVersion = 1;
// Many more than anyone marks in a course of 24 modules, and a file that stays quick to write.
inline constexpr int kCapacity = 5000;
// A full file with every field at its longest, three bytes of UTF-8 to a UTF-16 unit.
inline constexpr qint64 kLargest = 64 + qint64(kCapacity) * (3 * (kLongestName + kLongestNote + kLongestTitle) + 4);
// The bookmarks, in the order given (Bookmarks keeps them in page-name order).
QByteArray encode(const std::vector<Bookmark>& bookmarks);
Result<std::vector<Bookmark>> decode(QByteArrayView bytes);
}  // namespace bookmarkfile

namespace bookmarkexport {
inline constexpr QLatin1StringView kKind{"bookmarks-export"};
inline constexpr int kVersion = 1;
// Far beyond an export of the most bookmarks kept (some 7 KB each with every field at its
// longest): a larger file is not an export.
inline constexpr qint64 kLargest = 64 * 1024 * 1024;
// The export of `rows` (in the order given), each page's address the course base `fileLocn`
// followed by its name.
QByteArray write(const std::vector<BookmarkRow>& rows, const QString& fileLocn);
// The bookmarks of an export, in the file's order (a page may come more than once), or why the
// file is not one: the line and what is wrong with it.
Result<std::vector<Bookmark>> read(QByteArrayView bytes);
}  // namespace bookmarkexport

class Bookmarks : public store::FileBacked {
 public:
  static QString pathIn(const QString& userDir) { return userDir + QStringLiteral("bookmarks.txt"); }

  Bookmarks(FileSystem& files, QString path, store::Writing writing = store::Writing::AtOnce);

  // Reads the file once; a file that cannot be used refuses the store (refusal()).
  void load();

  int size() const { return int(marks_.size()); }
  // The bookmark of a page, by the name it arrived under or its kept name; null when none.
  const Bookmark* find(QStringView page) const;
  bool contains(QStringView page) const { return find(page) != nullptr; }
  // Every bookmark, in page-name order.
  std::vector<Bookmark> all() const { return {marks_.cbegin(), marks_.cend()}; }

  // Every change below is written (storefile.h); one that is refused changes nothing.
  enum class Toggled { Added, Removed };
  // Bookmarks the page shown (`page`, as it arrived), with an empty note and its own title, or
  // takes its bookmark away. Refused for a page that is not one the reader reads.
  Result<Toggled> toggle(QStringView page, const QString& ownTitle = {});
  Done remove(QStringView page);
  // Sets the note of a bookmarked page, made one paragraph (line breaks become spaces).
  Done setNote(QStringView page, const QString& note);

  // The bookmarks in course order: the pages the catalogue lists in its order, then the others
  // by name.
  std::vector<BookmarkRow> rows(const CourseCatalogue& catalogue) const;

  // What an import did.
  struct Merged {
    int added = 0;         // pages not bookmarked before
    int notesChanged = 0;  // bookmarked pages that took the imported note (a note that is not empty)
    int unchanged = 0;     // bookmarked pages with the same note, or none imported
    int notAdded = 0;      // not pages the reader reads, or more than kCapacity bookmarks
  };
  // Merges bookmarks by page, in order: a new page is added with its note and title; a page
  // bookmarked already takes the imported note when that is not empty, and keeps its own title.
  Result<Merged> merge(const std::vector<Bookmark>& imported);

  // The export of every bookmark, in course order.
  QByteArray exportText(const CourseCatalogue& catalogue, const QString& fileLocn) const;
  // Writes the export to `path` (whole or not at all, open to its owner only: the notes are the
  // reader's own).
  Done exportTo(const QString& path, const CourseCatalogue& catalogue, const QString& fileLocn);
  // Reads an export from `path` and merges it; nothing is merged when the file cannot be read or
  // is not an export.
  Result<Merged> importFrom(const QString& path);

 private:
  Done commit();

  FileSystem& files_;
  QMap<QString, Bookmark> marks_;  // by kept name
};

}  // namespace reading
