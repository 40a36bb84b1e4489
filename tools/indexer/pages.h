#pragma once
// Which files of a course folder are pages of their own, and the order they are numbered in.
#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

namespace indexer {

enum class Role {
  Skipped,  // not a page of its own: a layout variant, a trigger or media page, not "*.qx"
  Listed,   // numbered in "files.qx" so the history can title it; its words are not indexed
  Indexed,  // numbered in "files.qx" and its words indexed
};
Role roleOf(QStringView name);

struct CataloguedPage {
  QString name;
  bool indexed = false;
};
// The pages among the file names of a course folder, in the order they are numbered: the
// start pages "qxa.qx" to "qxg.qx", the contents pages "qxcra.qx" to "qxcrg.qx", the module
// pages ("qx" and a module number) by name, then every other page by name.
std::vector<CataloguedPage> catalogue(const QStringList& names);

}  // namespace indexer
