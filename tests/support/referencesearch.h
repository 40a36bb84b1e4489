#pragma once
// The search done the plain way, step by step as the search window's behaviour is
// described: every term scans all word entries, page lists are walked as text each time,
// and every hit is compared with the pages found so far (and, for two words, with the
// second word's hits). Its cost grows with the square of the hits, so the program uses
// SearchEngine; this one is the yardstick the engine is tested and measured against.
#include "logic/datafiles.h"
#include "logic/searchquery.h"

#include <vector>

namespace search {

class ReferenceSearch {
 public:
  // Keeps references: both tables must outlive the search.
  ReferenceSearch(const PageTable& pages, const WordTable& words) : pages_(pages), words_(words) {}

  // The page entry numbers found, in the order found. False for blank input, and `found`
  // is then left as it was.
  bool search(QStringView input, std::vector<int>& found) const;
  bool search(const Query& query, std::vector<int>& found) const;

 private:
  bool matches(int k, const Term& term) const;
  // Appends the page numbers of entry k's list to `hits`.
  void collectPages(int k, std::vector<int>& hits) const;

  const PageTable& pages_;
  const WordTable& words_;
};

}  // namespace search
