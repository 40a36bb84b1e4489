// The search engine against the plain reference search on the same data: the input is a
// query (UTF-8), NUL, the bytes of "files.qx", NUL, the bytes of "words.qx". Both must give
// the same pages in the same order, for the query and for the queries that follow it on the
// same engine (its scratch state is kept from one query to the next).
#include "fuzzing.h"

#include "logic/datafiles.h"
#include "logic/searchengine.h"
#include "support/referencesearch.h"

#include <QString>

namespace {

void compare(search::SearchEngine& engine, const search::ReferenceSearch& reference, const QString& query) {
  // A blank query must leave the list as it was: start both from the same non-empty one.
  std::vector<int> got{-1};
  std::vector<int> want{-1};
  const bool searched = engine.search(query, got);
  fuzzing::same("search result", searched, reference.search(query, want), " for ", query);
  fuzzing::same("found pages", got, want, " for ", query);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzing::quiet();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<QByteArrayView> parts = fuzzing::split(fuzzing::bytes(data, size), 3);
  const QString query = QString::fromUtf8(parts[0]);
  const search::PageTable pages = search::PageTable::read(parts.size() > 1 ? parts[1].toByteArray() : QByteArray());
  const search::WordTable words = search::WordTable::read(parts.size() > 2 ? parts[2].toByteArray() : QByteArray());

  search::SearchEngine engine(pages, words);
  const search::ReferenceSearch reference(pages, words);
  compare(engine, reference, query);
  // Then its words the other way round, its second word alone, and the query again.
  const qsizetype space = query.trimmed().indexOf(u' ');
  if (space >= 0) {
    const QString text = query.trimmed();
    compare(engine, reference, text.sliced(space + 1) + u' ' + text.first(space));
    compare(engine, reference, text.sliced(space + 1));
  }
  compare(engine, reference, query);
  return 0;
}
