#include "logic/wordindex.h"

#include "logic/codepage.h"
#include "logic/searchquery.h"

#include <algorithm>
#include <bit>

namespace search {

namespace {

constexpr int kBitmapWords = (kCapacity + 1 + 63) / 64;

}  // namespace

WordIndex::WordIndex() : begin_(kCapacity + 2, 0), matched_(kBitmapWords, 0) { rows_.reserve(kCapacity); }

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
  for (char& c : keys_) c = char(cp1252::upper(static_cast<unsigned char>(c)));

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
  const QByteArrayView t = trimSpaces(*term);
  if (t.isEmpty()) return nonEmpty_;

  // The keys that begin with t follow each other in sorted order, starting where t would go.
  // QByteArrayView compares bytes as unsigned, as the sort did.
  const auto lo =
      std::lower_bound(sorted_.begin(), sorted_.end(), t, [this](int k, QByteArrayView v) { return key(k) < v; });
  const auto hi = std::partition_point(lo, sorted_.end(), [this, t](int k) { return key(k).startsWith(t); });
  const std::span<const int> run(lo, hi);
  if (alphabetical_ || std::is_sorted(run.begin(), run.end())) return run;

  // Out of order: put the run back into the file's order through a bitmap.
  std::fill(matched_.begin(), matched_.end(), 0);
  for (int k : run) matched_[size_t(k) >> 6] |= std::uint64_t(1) << (k & 63);
  rows_.clear();
  for (int w = 0; w < kBitmapWords; ++w)
    for (std::uint64_t bits = matched_[size_t(w)]; bits; bits &= bits - 1)
      rows_.push_back(w * 64 + std::countr_zero(bits));
  return rows_;
}

QString WordIndex::row(int k) const {
  if (k < 1 || k > kCapacity) return {};
  return cp1252::decode(QByteArrayView(words_).sliced(begin_[k], begin_[k + 1] - begin_[k])) + u' ';
}

QString WordIndex::foundText(qsizetype rows) { return QStringLiteral("Found:  %1 words").arg(rows); }

}  // namespace search
