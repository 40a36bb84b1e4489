#pragma once
// The search a developer might reach for instead: SQLite FTS5 with a prefix index, one row
// per page holding the words whose lists name that page.
//
// FTS5 finds the right pages, but in rowid order, not in the order the course search
// lists them (first occurrence: by the word's line in "words.qx", then by the page's place
// in that word's list). So the query also asks, through a small auxiliary function, for the
// position of the first token that matched the first term; the row's words are stored in
// the file's order, and an array per page, kept in memory beside the database, turns that
// position into the order key. The pages are then sorted by key. That is the cheapest exact
// way we found to get our order out of FTS5.
//
// Meant for clean data: FTS5's tokenizer splits words we treat as one (spaces, punctuation)
// and knows nothing of empty or shared page names, so results are compared only on data
// made of plain lower-case words and digits.
#include "logic/datafiles.h"

#include <QStringView>

#include <cstdint>
#include <utility>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

class Fts5Peer {
 public:
  Fts5Peer(const search::PageTable& pages, const search::WordTable& words);
  ~Fts5Peer();
  Fts5Peer(const Fts5Peer&) = delete;
  Fts5Peer& operator=(const Fts5Peer&) = delete;

  // As SearchEngine::search. `ordered` false leaves FTS5's own rowid order, to show what
  // getting our order costs.
  bool search(QStringView input, std::vector<int>& found, bool ordered = true);

  // Per page, per token of its row: (line of the word in "words.qx") << 32 | place of the
  // page in that word's list.
  std::vector<std::vector<std::int64_t>> keys;

 private:
  sqlite3* db_ = nullptr;
  sqlite3_stmt* ordered_ = nullptr;
  sqlite3_stmt* unordered_ = nullptr;
  std::vector<std::pair<std::int64_t, int>> rows_;
};
