#include "support/referencesearch.h"

#include "logic/codepage.h"
#include "logic/textrules.h"

#include <algorithm>

namespace search {

bool ReferenceSearch::matches(int k, const Term& term) const {
  if (!term) return false;
  const QByteArrayView word = textrules::trimSpaces(words_.word(k));
  if (word.isEmpty() || word.size() < term->size()) return false;
  for (qsizetype i = 0; i < term->size(); ++i)
    if (cp1252::upper(static_cast<unsigned char>(word[i])) != static_cast<unsigned char>((*term)[i])) return false;
  return true;
}

void ReferenceSearch::collectPages(int k, std::vector<int>& hits) const {
  QByteArrayView list = words_.pages(k);
  while (!list.isEmpty()) {
    const qsizetype tab = list.indexOf('\t');
    const QByteArrayView piece = tab < 0 ? list : list.first(tab);
    list = tab < 0 ? QByteArrayView() : list.sliced(tab + 1);
    if (const auto p = toPageNumber(piece)) hits.push_back(*p);
  }
}

bool ReferenceSearch::search(QStringView input, std::vector<int>& found) const {
  return search(parseQuery(input), found);
}

bool ReferenceSearch::search(const Query& query, std::vector<int>& found) const {
  if (query.words == 0) return false;
  found.clear();
  std::vector<QByteArrayView> names;  // the file names of `found`, as the window keeps them
  const auto known = [&names](QByteArrayView name) {
    return std::find(names.begin(), names.end(), name) != names.end();
  };
  std::vector<int> hits;

  if (query.words == 1) {
    for (int k = 1; k <= kCapacity; ++k) {
      if (!matches(k, query.first)) continue;
      hits.clear();
      collectPages(k, hits);
      for (int p : hits) {
        const QByteArrayView name = pages_.file(p);
        if (name.isEmpty() || known(name)) continue;
        names.push_back(name);
        found.push_back(p);
      }
    }
    return true;
  }

  std::vector<int> listA;
  std::vector<QByteArrayView> listB;
  for (int k = 1; k <= kCapacity; ++k)
    if (matches(k, query.first)) collectPages(k, listA);
  for (int k = 1; k <= kCapacity; ++k) {
    if (!matches(k, query.second)) continue;
    hits.clear();
    collectPages(k, hits);
    for (int p : hits) listB.push_back(pages_.file(p));
  }
  for (int p : listA) {
    const QByteArrayView name = pages_.file(p);
    // The found pages are checked before list B only because they are fewer: both must hold.
    if (name.isEmpty() || known(name)) continue;
    if (std::find(listB.begin(), listB.end(), name) == listB.end()) continue;
    names.push_back(name);
    found.push_back(p);
  }
  return true;
}

}  // namespace search
