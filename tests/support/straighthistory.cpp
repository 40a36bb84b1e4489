#include "support/straighthistory.h"

#include "logic/codepage.h"
#include "logic/datafiles.h"
#include "logic/textrules.h"

namespace history {

namespace {

QByteArray upper(QByteArrayView text) {
  QByteArray out = text.toByteArray();
  for (char& c : out) c = char(cp1252::upper(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace

StraightList straightLoad(const QByteArray& log, const std::optional<QByteArray>& catalogue) {
  StraightList list;
  std::vector<QByteArray> entries;
  QByteArray rest = log;
  int counter = 0;
  while (!rest.isEmpty()) {
    if (++counter > search::kCapacity) {
      list.tooManyRecords = true;
      break;
    }
    const qsizetype cr = rest.indexOf('\r');
    QByteArray entry;
    if (cr >= 0) {
      entry = rest.left(cr);
      rest = rest.mid(cr + 2);
    } else {
      entry = rest;  // the last record, without its line end
      rest.clear();
    }
    entries.push_back(entry);
    list.items.push_back({entry, {}});
  }

  if (!catalogue) return list;
  const search::PageTable pages = search::PageTable::read(*catalogue);
  if (pages.status().tooMany || pages.status().stoppedAtLine != 0) return list;

  // The names are upper-cased once; every comparison is still made.
  std::vector<QByteArray> names(1);
  for (int j = 1; j <= search::kCapacity; ++j) {
    const QByteArrayView name = textrules::trimSpaces(pages.file(j));
    if (name.isEmpty()) break;
    names.push_back(upper(name));
  }
  list.items.clear();
  list.titled = true;
  for (const QByteArray& entry : entries) {
    const QByteArray e = upper(textrules::trimSpaces(entry));
    if (e.isEmpty()) continue;
    for (size_t j = 1; j < names.size(); ++j)
      if (e.indexOf(names[j], 1) >= 0)
        list.items.push_back({pages.title(int(j)).toByteArray(), pages.file(int(j)).toByteArray()});
  }
  return list;
}

}  // namespace history
