#include "search/engine.h"

#include "shell/codepage.h"

#include <algorithm>
#include <bit>
#include <string_view>
#include <unordered_map>

namespace search {

namespace {

constexpr int kBitmapWords = (kCapacity + 1 + 63) / 64;

std::string_view asStringView(QByteArrayView v) { return {v.data(), size_t(v.size())}; }

}  // namespace

SearchEngine::SearchEngine()
    : nameOf_(kCapacity + 1, 0),
      hitBegin_(kCapacity + 2, 0),
      keyBegin_(kCapacity + 2, 0),
      matched_(kBitmapWords, 0),
      found_(1, 0),
      inSecond_(1, 0) {}

SearchEngine::SearchEngine(const PageTable& pages, const WordTable& words) : SearchEngine() {
  std::unordered_map<std::string_view, std::uint16_t> ids;
  ids.reserve(2 * kCapacity);
  for (int p = 1; p <= kCapacity; ++p) {
    const QByteArrayView name = pages.file(p);
    if (name.isEmpty()) continue;
    const auto [it, added] = ids.try_emplace(asStringView(name), std::uint16_t(nameCount_ + 1));
    if (added) ++nameCount_;
    nameOf_[p] = it->second;
  }
  found_.assign(nameCount_ + 1, 0);
  inSecond_.assign(nameCount_ + 1, 0);

  // Every page costs at least one digit and a TAB, so this is room enough for all of them.
  qsizetype listBytes = 0;
  qsizetype wordBytes = 0;
  for (int k = 1; k <= kCapacity; ++k) {
    listBytes += words.pages(k).size();
    wordBytes += words.word(k).size();
  }
  hits_.resize(size_t(listBytes / 2 + 1));
  keys_.resize(wordBytes);
  std::uint16_t* hit = hits_.data();
  char* key = keys_.data();
  // Sorting compares the first eight bytes as one number and only ties in full.
  struct SortKey {
    std::uint64_t head;
    std::uint16_t k;
  };
  std::vector<SortKey> order;
  order.reserve(kCapacity);

  for (int k = 1; k <= kCapacity; ++k) {
    hitBegin_[k] = std::uint32_t(hit - hits_.data());
    keyBegin_[k] = std::uint32_t(key - keys_.data());
    const QByteArrayView word = trimSpaces(words.word(k));
    // A word that is empty after trimming never matches, so its pages can never be listed.
    if (word.isEmpty()) continue;
    std::uint64_t head = 0;
    for (qsizetype i = 0; i < word.size(); ++i) {
      const unsigned char c = cp1252::upper(static_cast<unsigned char>(word[i]));
      key[i] = char(c);
      if (i < 8) head |= std::uint64_t(c) << (56 - 8 * i);
    }
    key += word.size();
    order.push_back({head, std::uint16_t(k)});

    const QByteArrayView list = words.pages(k);
    const char* s = list.data();
    const char* const end = s + list.size();
    while (s < end) {
      // Plain digits are read here; any other piece takes the general rule.
      const char* const begin = s;
      int value = 0;
      bool plain = true;
      for (; s < end && *s != '\t'; ++s) {
        const unsigned digit = static_cast<unsigned char>(*s) - unsigned('0');
        if (digit > 9)
          plain = false;
        else if (value < 1000000)
          value = value * 10 + int(digit);
      }
      if (!plain) value = toPageNumber(QByteArrayView(begin, s - begin)).value_or(0);
      if (s < end) ++s;
      if (value >= 1 && value <= kCapacity && nameOf_[value] != 0) *hit++ = std::uint16_t(value);
    }
  }
  hitBegin_[kCapacity + 1] = std::uint32_t(hit - hits_.data());
  keyBegin_[kCapacity + 1] = std::uint32_t(key - keys_.data());
  hits_.resize(hit - hits_.data());
  hits_.shrink_to_fit();
  keys_.truncate(key - keys_.data());

  // string_view compares bytes as unsigned char, as the heads do: the code page's order.
  const auto less = [this](const SortKey& a, const SortKey& b) {
    if (a.head != b.head) return a.head < b.head;
    return keyOf(a.k) < keyOf(b.k);
  };
  // The word file is alphabetical as a rule, so the sort is usually a check.
  if (!std::is_sorted(order.begin(), order.end(), less)) std::sort(order.begin(), order.end(), less);
  sorted_.resize(order.size());
  for (size_t i = 0; i < order.size(); ++i) sorted_[i] = order[i].k;
}

bool SearchEngine::match(const Term& term) {
  if (!term) return false;
  const std::string_view t = asStringView(*term);
  const auto key = [this](std::uint16_t k) { return keyOf(k); };
  // The words that begin with t follow each other in sorted order, starting where t would go.
  const auto lo = std::lower_bound(sorted_.begin(), sorted_.end(), t,
                                   [&key](std::uint16_t k, std::string_view v) { return key(k) < v; });
  const auto hi = std::partition_point(lo, sorted_.end(),
                                       [&key, t](std::uint16_t k) { return key(k).starts_with(t); });
  if (lo == hi) return false;
  std::fill(matched_.begin(), matched_.end(), 0);
  for (auto it = lo; it != hi; ++it) matched_[*it >> 6] |= std::uint64_t(1) << (*it & 63);
  return true;
}

template <typename Visit>
void SearchEngine::forEachMatchedHit(Visit visit) const {
  for (int w = 0; w < kBitmapWords; ++w) {
    for (std::uint64_t bits = matched_[w]; bits; bits &= bits - 1) {
      const int k = w * 64 + std::countr_zero(bits);
      const std::uint16_t* p = hits_.data() + hitBegin_[k];
      const std::uint16_t* const end = hits_.data() + hitBegin_[k + 1];
      for (; p != end; ++p) visit(*p);
    }
  }
}

std::uint32_t SearchEngine::nextGeneration() {
  if (++generation_ == 0) {
    std::fill(found_.begin(), found_.end(), 0);
    std::fill(inSecond_.begin(), inSecond_.end(), 0);
    generation_ = 1;
  }
  return generation_;
}

bool SearchEngine::search(QStringView input, std::vector<int>& found) {
  return search(parseQuery(input), found);
}

bool SearchEngine::search(const Query& query, std::vector<int>& found) {
  if (query.words == 0) return false;
  found.clear();
  found.reserve(size_t(nameCount_));
  const std::uint32_t gen = nextGeneration();

  if (query.words == 1) {
    if (!match(query.first)) return true;
    forEachMatchedHit([&](std::uint16_t p) {
      const std::uint16_t id = nameOf_[p];
      if (found_[id] == gen) return;
      found_[id] = gen;
      found.push_back(p);
    });
    return true;
  }

  if (!match(query.second)) return true;
  forEachMatchedHit([&](std::uint16_t p) { inSecond_[nameOf_[p]] = gen; });
  if (!match(query.first)) return true;
  forEachMatchedHit([&](std::uint16_t p) {
    const std::uint16_t id = nameOf_[p];
    if (inSecond_[id] != gen || found_[id] == gen) return;
    found_[id] = gen;
    found.push_back(p);
  });
  return true;
}

}  // namespace search
