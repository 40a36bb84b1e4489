#include "pages.h"

#include "logic/pagenames.h"

#include <algorithm>

namespace indexer {

namespace {

bool isModulePage(QStringView name) { return name.startsWith(u"qx") && pages::moduleOf(name).has_value(); }

}  // namespace

Role roleOf(QStringView name) {
  if (name.size() <= 3 || !name.endsWith(u".qx") || pages::isCourseClassPage(name)) return Role::Skipped;
  switch (pages::dispatch(name)) {
    case pages::Arrival::Video:
    case pages::Arrival::Narration:
    case pages::Arrival::ClassPage:
    case pages::Arrival::SearchTrigger:
    case pages::Arrival::IndexTrigger:
    case pages::Arrival::HistTrigger: return Role::Skipped;
    case pages::Arrival::StartPage: return name == pages::startPage(1) ? Role::Indexed : Role::Listed;
    case pages::Arrival::ContentsPage: return name == pages::contentsPage(1) ? Role::Indexed : Role::Listed;
    case pages::Arrival::ModuleTable:
    case pages::Arrival::Ordinary: break;
  }
  return Role::Indexed;
}

std::vector<CataloguedPage> catalogue(const QStringList& names) {
  struct Ranked {
    int rank;
    const QString* name;
    bool indexed;
  };
  std::vector<Ranked> ranked;
  ranked.reserve(size_t(names.size()));
  for (const QString& name : names) {
    const Role role = roleOf(name);
    if (role == Role::Skipped) continue;
    const int rank = pages::isStartPage(name) ? 0 : pages::isContentsPage(name) ? 1 : isModulePage(name) ? 2 : 3;
    ranked.push_back({rank, &name, role == Role::Indexed});
  }
  std::sort(ranked.begin(), ranked.end(),
            [](const Ranked& a, const Ranked& b) { return a.rank != b.rank ? a.rank < b.rank : *a.name < *b.name; });
  std::vector<CataloguedPage> out;
  out.reserve(ranked.size());
  for (const Ranked& r : ranked) out.push_back({*r.name, r.indexed});
  return out;
}

}  // namespace indexer
