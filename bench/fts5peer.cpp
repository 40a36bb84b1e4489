#include "fts5peer.h"

#include "logic/searchquery.h"
#include "logic/textrules.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>

namespace {

void check(sqlite3* db, int rc, const char* what) {
  if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
    throw std::runtime_error(std::string(what) + ": " + sqlite3_errmsg(db));
}

fts5_api* fts5Api(sqlite3* db) {
  fts5_api* api = nullptr;
  sqlite3_stmt* stmt = nullptr;
  check(db, sqlite3_prepare_v2(db, "SELECT fts5(?1)", -1, &stmt, nullptr), "fts5()");
  sqlite3_bind_pointer(stmt, 1, &api, "fts5_api_ptr", nullptr);
  sqlite3_step(stmt);
  sqlite3_finalize(stmt);
  if (!api) throw std::runtime_error("no FTS5 in this SQLite");
  return api;
}

// qxfirst(pages): the order key of the first token that matched the first phrase.
void qxFirst(const Fts5ExtensionApi* api, Fts5Context* fts, sqlite3_context* ctx, int, sqlite3_value**) {
  const auto* peer = static_cast<const Fts5Peer*>(api->xUserData(fts));
  Fts5PhraseIter iter;
  int column = -1;
  int offset = -1;
  api->xPhraseFirst(fts, 0, &iter, &column, &offset);
  const std::int64_t page = api->xRowid(fts);
  std::int64_t key = std::numeric_limits<std::int64_t>::max();
  if (column == 0 && offset >= 0 && page >= 1 && page < std::int64_t(peer->keys.size()) &&
      size_t(offset) < peer->keys[size_t(page)].size())
    key = peer->keys[size_t(page)][size_t(offset)];
  sqlite3_result_int64(ctx, key);
}

// FTS5's query syntax for a term: a quoted prefix, lower case for its case folding.
std::string ftsPrefix(const QByteArray& term) {
  std::string s = "\"";
  for (char c : term) {
    if (c == '"') s += '"';
    s += char(std::tolower(static_cast<unsigned char>(c)));
  }
  return s + "\"*";
}

}  // namespace

Fts5Peer::Fts5Peer(const search::PageTable& pages, const search::WordTable& words) {
  check(db_, sqlite3_open(":memory:", &db_), "open");
  check(db_,
        sqlite3_exec(db_,
                     "CREATE VIRTUAL TABLE pages USING fts5(words, prefix='1 2 3');"
                     "BEGIN;",
                     nullptr, nullptr, nullptr),
        "create");
  check(db_, fts5Api(db_)->xCreateFunction(fts5Api(db_), "qxfirst", this, qxFirst, nullptr), "qxfirst");

  // Per page, its words in the file's order and each word's key (line, place in list).
  std::vector<std::string> text(search::kCapacity + 1);
  keys.assign(search::kCapacity + 1, {});
  std::vector<int> lastWord(search::kCapacity + 1, 0);
  for (int k = 1; k <= search::kCapacity; ++k) {
    const QByteArrayView word = textrules::trimSpaces(words.word(k));
    if (word.isEmpty()) continue;
    QByteArrayView list = words.pages(k);
    for (std::int64_t place = 0; !list.isEmpty(); ++place) {
      const qsizetype tab = list.indexOf('\t');
      const auto p = search::toPageNumber(tab < 0 ? list : list.first(tab));
      list = tab < 0 ? QByteArrayView() : list.sliced(tab + 1);
      if (!p || lastWord[*p] == k) continue;
      lastWord[*p] = k;
      if (!text[*p].empty()) text[*p] += ' ';
      text[*p].append(word.data(), size_t(word.size()));
      const std::int64_t key = (std::int64_t(k) << 32) | place;
      keys[*p].push_back(key);
    }
  }
  sqlite3_stmt* insert = nullptr;
  check(db_, sqlite3_prepare_v2(db_, "INSERT INTO pages(rowid, words) VALUES(?1, ?2)", -1, &insert, nullptr),
        "prepare insert");
  for (int p = 1; p <= search::kCapacity; ++p) {
    if (text[p].empty() || pages.file(p).isEmpty()) continue;
    sqlite3_bind_int(insert, 1, p);
    sqlite3_bind_text(insert, 2, text[p].data(), int(text[p].size()), SQLITE_STATIC);
    check(db_, sqlite3_step(insert), "insert");
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  check(db_, sqlite3_exec(db_, "COMMIT; INSERT INTO pages(pages) VALUES('optimize');", nullptr, nullptr, nullptr),
        "commit");
  check(db_,
        sqlite3_prepare_v2(db_, "SELECT rowid, qxfirst(pages) FROM pages WHERE pages MATCH ?1", -1, &ordered_, nullptr),
        "prepare query");
  check(db_, sqlite3_prepare_v2(db_, "SELECT rowid FROM pages WHERE pages MATCH ?1", -1, &unordered_, nullptr),
        "prepare query");
}

Fts5Peer::~Fts5Peer() {
  sqlite3_finalize(ordered_);
  sqlite3_finalize(unordered_);
  sqlite3_close(db_);
}

bool Fts5Peer::search(QStringView input, std::vector<int>& found, bool ordered) {
  const search::Query q = search::parseQuery(input);
  if (q.words == 0) return false;
  found.clear();
  if (!q.first || (q.words == 2 && !q.second)) return true;
  std::string match = ftsPrefix(*q.first);
  if (q.words == 2) match += " AND " + ftsPrefix(*q.second);
  if (!ordered) {
    sqlite3_bind_text(unordered_, 1, match.data(), int(match.size()), SQLITE_TRANSIENT);
    while (sqlite3_step(unordered_) == SQLITE_ROW) found.push_back(sqlite3_column_int(unordered_, 0));
    sqlite3_reset(unordered_);
    return true;
  }
  rows_.clear();
  sqlite3_bind_text(ordered_, 1, match.data(), int(match.size()), SQLITE_TRANSIENT);
  while (sqlite3_step(ordered_) == SQLITE_ROW)
    rows_.emplace_back(sqlite3_column_int64(ordered_, 1), sqlite3_column_int(ordered_, 0));
  sqlite3_reset(ordered_);
  std::sort(rows_.begin(), rows_.end());
  for (const auto& row : rows_) found.push_back(row.second);
  return true;
}
