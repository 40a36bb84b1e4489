#pragma once
// The course search as the program runs it. Everything a query would otherwise work out
// again and again is prepared once when the data is loaded:
// - the words, trimmed and upper-cased, in sorted order, so the words that begin with a
//   term are one run found by binary search (and then visited in the file's order);
// - every page list parsed into page numbers, with the invalid numbers and the pages
//   without a file name already dropped, as no search can ever list those;
// - an id for every distinct page file name, so "already found" and "also holds the
//   second word" are array look-ups instead of comparisons with every earlier hit.
// The results are the same, page for page and in the same order, as ReferenceSearch's.
// Besides its two terms a query allocates nothing once the caller's result vector is warm.
#include "logic/datafiles.h"
#include "logic/fileorder.h"
#include "logic/searchquery.h"

#include <QStringView>

#include <cstdint>
#include <memory>
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

  // The words of the word file (trimmed, upper-cased) that `query` matches and that list
  // page entry `page` or a page of the same file name: what made the search find that page.
  // Each word once, in the order of the terms and then of the words.
  std::vector<QByteArray> wordsOn(const Query& query, int page);

 private:
  // Finds the entries whose word begins with `term`, for forEachMatchedHit; false when
  // there are none.
  bool match(const Term& term);
  template <typename Visit>
  void forEachMatchedHit(Visit visit) const;
  std::uint32_t nextStamp();
  // The steps of loading: an id per page file name, the words' keys and usable pages, and
  // the words sorted.
  void assignNameIds(const PageTable& pages);
  struct SortKey {  // sorting compares heads and only ties in full
    std::uint64_t head;
    std::uint16_t k;
  };
  std::vector<SortKey> readWords(const WordTable& words);
  void sortWords(std::vector<SortKey> order);
  std::string_view keyOf(int k) const {
    return {keys_.constData() + keyBegin_[k], size_t(keyBegin_[k + 1] - keyBegin_[k])};
  }

  // Per page entry: the id of its file name, which is the first page entry with that name;
  // 0 when the name is empty.
  std::vector<std::uint16_t> nameOf_;
  int nameCount_ = 0;
  bool sharedNames_ = false;  // else every page is its own name's id
  // Per word entry k: its usable pages are hits_[hitBegin_[k] .. hitBegin_[k + 1]).
  std::vector<std::uint32_t> hitBegin_;
  std::unique_ptr<std::uint16_t[]> hits_;
  // Per word entry k: its trimmed upper-cased word is keys_[keyBegin_[k] .. keyBegin_[k + 1]).
  std::vector<std::uint32_t> keyBegin_;
  QByteArray keys_;
  // The entries with a non-empty word, sorted by that word (bytes compared unsigned), and
  // the words' first eight bytes as numbers in the same order.
  std::vector<std::uint16_t> sorted_;
  std::vector<std::uint64_t> heads_;
  bool alphabetical_ = true;  // sorted_ is in entry order

  // Scratch of one query, kept to save allocations.
  const std::uint16_t* first_ = nullptr;  // the run of sorted_ that matched
  const std::uint16_t* last_ = nullptr;
  bool inOrder_ = true;              // the run lists its entries in the file's order
  FileOrder reordered_;              // else the run's entries, put back in that order
  std::vector<std::uint32_t> mark_;  // per name id: a stamp of the query that last saw it
  std::uint32_t stamp_ = 0;
  std::vector<int> out_;  // the pages found, before they are handed out
};

}  // namespace search
