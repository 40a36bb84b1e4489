#pragma once
// The index filter the plain way, as the index window's filtering is described: every entry
// from 1 to the capacity, upper-cased and compared with the trimmed, upper-cased filter
// text. The yardstick that search::WordIndex is tested and measured against.
#include "logic/codepage.h"
#include "logic/datafiles.h"
#include "logic/searchquery.h"
#include "logic/textrules.h"

#include <QStringView>

#include <vector>

namespace search {

inline std::vector<int> straightFilter(const WordTable& words, QStringView text) {
  std::vector<int> rows;
  const Term term = toTerm(text);
  if (!term) return rows;
  const QByteArrayView t = textrules::trimSpaces(*term);
  for (int k = 1; k <= kCapacity; ++k) {
    const QByteArrayView word = words.word(k);
    if (word.isEmpty()) continue;
    QByteArray upper = word.toByteArray();
    for (char& c : upper) c = char(cp1252::upper(static_cast<unsigned char>(c)));
    if (upper.startsWith(t)) rows.push_back(k);
  }
  return rows;
}

}  // namespace search
