#include "logic/wordindex.h"

#include "logic/codepage.h"
#include "logic/searchquery.h"
#include "logic/textrules.h"

#include <algorithm>
#include <bit>

namespace search {

WordIndex::WordIndex() : begin_(kCapacity + 2, 0) { rows_.reserve(kCapacity); }

WordIndex::WordIndex(const WordTable& words) : WordIndex() {
  qsizetype bytes = 0;
  for (int k = 1; k <= kCapacity; ++k) bytes += words.word(k).size();
  words_.reserve(bytes);
  for (int k = 1; k <= kCapacity; ++k) {
    begin_[k] = std::uint32_t(words_.size());
    const QByteArrayView word = words.word(k);
    if (word.isEmpty()) continue;
    words_.append(word);
    nonEmpty_.push_back(k);
  }
  begin_[kCapacity + 1] = std::uint32_t(words_.size());
  keys_ = words_;
  cp1252::upperInPlace(keys_);

  sorted_ = nonEmpty_;
  const auto less = [this](int a, int b) { return key(a) < key(b); };
  // The word file is alphabetical as a rule, so the sort is usually a check.
  alphabetical_ = std::is_sorted(sorted_.begin(), sorted_.end(), less);
  if (!alphabetical_) std::stable_sort(sorted_.begin(), sorted_.end(), less);
}

QByteArrayView WordIndex::key(int k) const {
  return QByteArrayView(keys_).sliced(begin_[k], begin_[k + 1] - begin_[k]);
}

std::span<const int> WordIndex::filter(QStringView text) {
  const Term term = toTerm(text);
  if (!term) return {};
  const QByteArrayView t = textrules::trimSpaces(*term);
  if (t.isEmpty()) return nonEmpty_;

  // The keys that begin with t follow each other in sorted order, starting where t would go.
  // QByteArrayView compares bytes as unsigned, as the sort did.
  const auto lo =
      std::lower_bound(sorted_.begin(), sorted_.end(), t, [this](int k, QByteArrayView v) { return key(k) < v; });
  const auto hi = std::partition_point(lo, sorted_.end(), [this, t](int k) { return key(k).startsWith(t); });
  const std::span<const int> run(lo, hi);
  if (alphabetical_ || !reordered_.take(run)) return run;
  rows_.clear();
  reordered_.forEach([this](int k) { rows_.push_back(k); });
  return rows_;
}

QString WordIndex::row(int k) const {
  if (k < 1 || k > kCapacity) return {};
  return cp1252::decode(QByteArrayView(words_).sliced(begin_[k], begin_[k + 1] - begin_[k])) + u' ';
}

QString WordIndex::foundText(qsizetype rows) { return QStringLiteral("Found:  %1 words").arg(rows); }

}  // namespace search
