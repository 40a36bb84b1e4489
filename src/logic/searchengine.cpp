#include "logic/searchengine.h"

#include "logic/codepage.h"
#include "logic/textrules.h"

#include <algorithm>
#include <bit>
#include <memory>
#include <string_view>
#include <type_traits>

namespace search {

namespace {

// The first eight bytes of a word as one number, zeros after a shorter word: comparing
// heads compares the words' beginnings in the code page's order.
std::uint64_t headOf(std::string_view w) {
  std::uint64_t head = 0;
  for (size_t i = 0; i < w.size() && i < 8; ++i)
    head |= std::uint64_t(static_cast<unsigned char>(w[i])) << (56 - 8 * i);
  return head;
}

std::string_view asStringView(QByteArrayView v) { return {v.data(), size_t(v.size())}; }

// Writes the pages of a word's page list that `nameOf` gives a name to from `hit` on, and
// returns the end of what it wrote.
std::uint16_t* appendHits(QByteArrayView list, const std::vector<std::uint16_t>& nameOf, std::uint16_t* hit) {
  const char* s = list.data();
  const char* const end = s + list.size();
  while (s < end) {
    // Plain digits up to a TAB are read here; any other piece takes the general rule.
    const char* const begin = s;
    unsigned value = 0;
    for (unsigned digit; s < end && (digit = static_cast<unsigned char>(*s) - unsigned('0')) <= 9; ++s)
      value = value * 10 + digit;
    if ((s != end && *s != '\t') || s - begin > 5) {
      while (s < end && *s != '\t') ++s;
      value = unsigned(toPageNumber(QByteArrayView(begin, s - begin)).value_or(0));
    }
    if (s < end) ++s;
    if (value >= 1 && value <= unsigned(kCapacity) && nameOf[value] != 0) *hit++ = std::uint16_t(value);
  }
  return hit;
}

}  // namespace

SearchEngine::SearchEngine()
    : nameOf_(kCapacity + 1, 0), hitBegin_(kCapacity + 2, 0), keyBegin_(kCapacity + 2, 0), mark_(1, 0), out_(1, 0) {}

SearchEngine::SearchEngine(const PageTable& pages, const WordTable& words) : SearchEngine() {
  assignNameIds(pages);
  sortWords(readWords(words));
}

void SearchEngine::assignNameIds(const PageTable& pages) {
  // Name ids from an open-addressing table of page numbers: no allocation per name.
  constexpr std::uint32_t kSlots = 32768;  // a power of two, over twice the capacity
  std::vector<std::uint16_t> byHash(kSlots, 0);
  for (int p = 1; p <= kCapacity; ++p) {
    const QByteArrayView name = pages.file(p);
    if (name.isEmpty()) continue;
    for (std::uint32_t i = textrules::hash(name) & (kSlots - 1);; i = (i + 1) & (kSlots - 1)) {
      if (byHash[i] == 0) {
        byHash[i] = std::uint16_t(p);
        nameOf_[p] = std::uint16_t(p);
        ++nameCount_;
        break;
      }
      if (pages.file(byHash[i]) == name) {
        nameOf_[p] = nameOf_[byHash[i]];
        sharedNames_ = true;
        break;
      }
    }
  }
  mark_.assign(kCapacity + 1, 0);
  // Room for every name, and for the hit written past the last one that counts.
  out_.assign(nameCount_ + 1, 0);
}

auto SearchEngine::readWords(const WordTable& words) -> std::vector<SortKey> {
  // A page costs at least one digit, and a TAB unless it ends its list: a list of n bytes
  // holds at most (n + 1) / 2 pages.
  qsizetype mostHits = 0;
  qsizetype wordBytes = 0;
  for (int k = 1; k <= kCapacity; ++k) {
    mostHits += (words.pages(k).size() + 1) / 2;
    wordBytes += words.word(k).size();
  }
  // Left uninitialised: only the part that is written is ever read.
  hits_ = std::make_unique_for_overwrite<std::uint16_t[]>(size_t(mostHits + 1));
  keys_.resize(wordBytes);
  std::uint16_t* hit = hits_.get();
  char* key = keys_.data();
  std::vector<SortKey> order;
  order.reserve(kCapacity);

  for (int k = 1; k <= kCapacity; ++k) {
    hitBegin_[k] = std::uint32_t(hit - hits_.get());
    keyBegin_[k] = std::uint32_t(key - keys_.data());
    const QByteArrayView word = textrules::trimSpaces(words.word(k));
    // A word that is empty after trimming never matches, so its pages can never be listed.
    if (word.isEmpty()) continue;
    cp1252::upper(word, key);
    order.push_back({headOf(std::string_view(key, size_t(word.size()))), std::uint16_t(k)});
    key += word.size();
    hit = appendHits(words.pages(k), nameOf_, hit);
  }
  hitBegin_[kCapacity + 1] = std::uint32_t(hit - hits_.get());
  keyBegin_[kCapacity + 1] = std::uint32_t(key - keys_.data());
  keys_.truncate(key - keys_.data());
  return order;
}

void SearchEngine::sortWords(std::vector<SortKey> order) {
  // string_view compares bytes as unsigned char, as the heads do: the code page's order.
  const auto less = [this](const SortKey& a, const SortKey& b) {
    if (a.head != b.head) return a.head < b.head;
    return keyOf(a.k) < keyOf(b.k);
  };
  // The word file is alphabetical as a rule, so the sort is usually a check.
  if (!std::is_sorted(order.begin(), order.end(), less)) std::sort(order.begin(), order.end(), less);
  sorted_.resize(order.size());
  heads_.resize(order.size());
  for (size_t i = 0; i < order.size(); ++i) {
    sorted_[i] = order[i].k;
    heads_[i] = order[i].head;
  }
  alphabetical_ = std::is_sorted(sorted_.begin(), sorted_.end());
}

bool SearchEngine::match(const Term& term) {
  if (!term) return false;
  const std::string_view t = asStringView(*term);
  // The words that begin with t follow each other in sorted order, starting where t would go.
  auto lo = sorted_.begin();
  auto hi = sorted_.end();
  if (t.size() <= 8 && t.find('\0') == std::string_view::npos) {
    // A short term is found on the heads alone: a word begins with t exactly when its head
    // agrees with t's head on t's bytes (t has no zero byte, so a shorter word cannot).
    const std::uint64_t head = headOf(t);
    const std::uint64_t rest = t.size() == 8 ? 0 : ~std::uint64_t(0) >> (8 * t.size());
    lo += std::lower_bound(heads_.begin(), heads_.end(), head) - heads_.begin();
    hi = sorted_.begin() + (std::upper_bound(heads_.begin(), heads_.end(), head | rest) - heads_.begin());
  } else {
    lo = std::lower_bound(lo, hi, t, [this](std::uint16_t k, std::string_view v) { return keyOf(k) < v; });
    hi = std::partition_point(lo, hi, [this, t](std::uint16_t k) { return keyOf(k).starts_with(t); });
  }
  first_ = sorted_.data() + (lo - sorted_.begin());
  last_ = sorted_.data() + (hi - sorted_.begin());
  if (first_ >= last_) return false;
  inOrder_ = alphabetical_ || !reordered_.take(std::span<const std::uint16_t>(first_, last_));
  return true;
}

template <typename Visit>
void SearchEngine::forEachMatchedHit(Visit visit) const {
  const auto visitEntry = [this, &visit](int k) {
    const std::uint16_t* p = hits_.get() + hitBegin_[k];
    const std::uint16_t* const end = hits_.get() + hitBegin_[k + 1];
    for (; p != end; ++p) visit(*p);
  };
  if (inOrder_) {
    for (const std::uint16_t* it = first_; it != last_; ++it) visitEntry(*it);
    return;
  }
  reordered_.forEach(visitEntry);
}

std::uint32_t SearchEngine::nextStamp() {
  // Two values per query: "second term" and "listed" in a two-word search.
  if (stamp_ >= 0xFFFFFFF0u) {
    std::fill(mark_.begin(), mark_.end(), 0);
    stamp_ = 0;
  }
  stamp_ += 2;
  return stamp_;
}

bool SearchEngine::search(QStringView input, std::vector<int>& found) { return search(parseQuery(input), found); }

// The loops below keep their decisions out of branches: whether a hit is new is as good
// as random, and a mispredicted branch per hit would cost more than the rest of the work.
bool SearchEngine::search(const Query& query, std::vector<int>& found) {
  if (query.words == 0) return false;
  found.clear();
  const std::uint32_t stamp = nextStamp();
  std::uint32_t* const mark = mark_.data();
  int* const out = out_.data();
  size_t n = 0;

  // With no name shared by two pages, a page is its own name.
  const auto nameOf = [this](std::uint16_t p, auto shared) -> std::uint16_t {
    if constexpr (decltype(shared)::value) return nameOf_[p];
    return p;
  };
  const auto run = [&](auto shared) {
    if (query.words == 1) {
      if (match(query.first)) {
        forEachMatchedHit([&](std::uint16_t p) {
          const std::uint16_t id = nameOf(p, shared);
          out[n] = p;
          n += mark[id] != stamp;
          mark[id] = stamp;
        });
      }
    } else if (match(query.second)) {
      // Names hit by the second term get `stamp`, and `stamp + 1` once listed.
      forEachMatchedHit([&](std::uint16_t p) { mark[nameOf(p, shared)] = stamp; });
      if (match(query.first)) {
        forEachMatchedHit([&](std::uint16_t p) {
          const std::uint16_t id = nameOf(p, shared);
          const bool take = mark[id] == stamp;
          out[n] = p;
          n += take;
          mark[id] += take;
        });
      }
    }
  };
  if (sharedNames_)
    run(std::true_type{});
  else
    run(std::false_type{});
  found.assign(out, out + n);
  return true;
}

std::vector<QByteArray> SearchEngine::wordsOn(const Query& query, int page) {
  std::vector<QByteArray> out;
  if (page < 1 || page > kCapacity || nameOf_[page] == 0) return out;
  const std::uint16_t name = nameOf_[page];
  const auto take = [&](const Term& term) {
    if (!match(term)) return;
    for (const std::uint16_t* it = first_; it != last_; ++it) {
      const std::uint16_t* const begin = hits_.get() + hitBegin_[*it];
      const std::uint16_t* const end = hits_.get() + hitBegin_[*it + 1];
      if (std::none_of(begin, end, [&](std::uint16_t p) { return nameOf_[p] == name; })) continue;
      const std::string_view key = keyOf(*it);
      QByteArray word(key.data(), qsizetype(key.size()));
      if (std::find(out.begin(), out.end(), word) == out.end()) out.push_back(std::move(word));
    }
  };
  if (query.words >= 1) take(query.first);
  if (query.words >= 2) take(query.second);
  return out;
}

}  // namespace search
