#include "logic/coursecatalogue.h"

#include "logic/codepage.h"
#include "logic/readingpages.h"
#include "logic/textrules.h"

namespace reading {

CourseCatalogue CourseCatalogue::read(QByteArray filesQx) {
  CourseCatalogue c;
  c.table_ = search::PageTable::read(std::move(filesQx));
  c.entries_.reserve(c.table_.status().lines);
  for (int k = 1; k <= c.table_.status().lines; ++k) {
    const QByteArrayView file = textrules::trimSpaces(c.table_.file(k));
    if (file.isEmpty()) continue;
    const QString name = keptName(cp1252::decode(file));
    if (!isReadingPage(name) || c.entries_.contains(name)) continue;
    c.entries_.insert(name, k);
    if (const std::optional<int> module = moduleOf(name)) c.modules_[size_t(*module - 1)].push_back(name);
  }
  return c;
}

QString CourseCatalogue::title(const QString& keptName) const {
  const int k = entryOf(keptName);
  return k == 0 ? QString() : cp1252::decode(table_.title(k));
}

const std::vector<QString>& CourseCatalogue::modulePages(int module) const {
  static const std::vector<QString> none;
  return module >= 1 && module <= pages::kModules ? modules_[size_t(module - 1)] : none;
}

}  // namespace reading
