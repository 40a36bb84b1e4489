#pragma once
// The course's order, titles and modules, from the page catalogue "files.qx": what lists the
// bookmarks in course order and counts the pages of each module.
//
// A catalogue name is taken trimmed of spaces and under its kept name (readingpages.h), and
// only when that is a page the reader reads; a name listed twice keeps its first line. A
// module's pages are the catalogue's pages whose kept name carries that module's number, in
// the catalogue's order: "qx07..." pages count in module 7, and so would a class page of
// module 7 ("mod07c.qx"), as the module-table page it is a variant of. Start and contents
// pages, which no module holds, count in none.
#include "logic/datafiles.h"
#include "logic/pagenames.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <array>
#include <vector>

namespace reading {

class CourseCatalogue {
 public:
  CourseCatalogue() = default;  // no catalogue: no page is listed
  // The catalogue from the bytes of "files.qx", read by the rules of the search data files:
  // a file that stops early (a number that does not convert, too many lines) gives the pages
  // before that line.
  static CourseCatalogue read(QByteArray filesQx);

  // The catalogue number (its line) of a kept page name; 0 when the catalogue does not list it.
  int entryOf(const QString& keptName) const { return entries_.value(keptName, 0); }
  // The page's title in the catalogue; empty when it does not list the page.
  QString title(const QString& keptName) const;
  // The kept names of module `module`'s pages (1 to 24), in course order, each once; empty for
  // any other number.
  const std::vector<QString>& modulePages(int module) const;
  // Pages listed, each once.
  int size() const { return int(entries_.size()); }
  // How reading "files.qx" went.
  const search::ReadStatus& status() const { return table_.status(); }

 private:
  search::PageTable table_;
  QHash<QString, int> entries_;
  std::array<std::vector<QString>, pages::kModules> modules_;
};

}  // namespace reading
