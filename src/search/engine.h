#pragma once
// The course search as the program runs it. Everything a query would otherwise work out
// again and again is prepared once when the data is loaded:
// - the words, trimmed and upper-cased, in sorted order, so the words that begin with a
//   term are one run found by binary search (and then visited in the file's order);
// - every page list parsed into page numbers, with the invalid numbers and the pages
//   without a file name already dropped, as no search can ever list those;
// - a small id for every distinct page file name, so "already found" and "also holds the
//   second word" are array look-ups instead of comparisons with every earlier hit.
// The results are the same, page for page and in the same order, as ReferenceSearch's.
// A query allocates nothing once the engine and the caller's result vector are warm.
#include "search/datafiles.h"
#include "search/query.h"

#include <QStringView>

#include <cstdint>
#include <string_view>
#include <vector>

namespace search {

class SearchEngine {
 public:
  // No data: every search finds nothing.
  SearchEngine();
  // Copies what it needs; the tables may go away afterwards.
  SearchEngine(const PageTable& pages, const WordTable& words);

  // The page entry numbers found, in the order found: show PageTable::title(p) and open
  // PageTable::file(p). False for blank input, and `found` is then left as it was.
  bool search(QStringView input, std::vector<int>& found);
  bool search(const Query& query, std::vector<int>& found);

 private:
  // Marks in matched_ the entries whose word begins with `term`; false when none does.
  bool match(const Term& term);
  template <typename Visit>
  void forEachMatchedHit(Visit visit) const;
  std::uint32_t nextGeneration();
  std::string_view keyOf(int k) const {
    return {keys_.constData() + keyBegin_[k], size_t(keyBegin_[k + 1] - keyBegin_[k])};
  }

  // Per page entry: the id of its file name, 0 when the name is empty.
  std::vector<std::uint16_t> nameOf_;
  int nameCount_ = 0;
  // Per word entry k: its usable pages are hits_[hitBegin_[k] .. hitBegin_[k + 1]).
  std::vector<std::uint32_t> hitBegin_;
  std::vector<std::uint16_t> hits_;
  // Per word entry k: its trimmed upper-cased word is keys_[keyBegin_[k] .. keyBegin_[k + 1]).
  std::vector<std::uint32_t> keyBegin_;
  QByteArray keys_;
  // The entries with a non-empty word, sorted by that word (bytes compared unsigned).
  std::vector<std::uint16_t> sorted_;

  // Scratch of one query, kept to save allocations.
  std::vector<std::uint64_t> matched_;  // one bit per word entry
  std::vector<std::uint32_t> found_;    // per name id: generation in which it was listed
  std::vector<std::uint32_t> inSecond_; // per name id: generation in which the second term hit it
  std::uint32_t generation_ = 0;
};

}  // namespace search
