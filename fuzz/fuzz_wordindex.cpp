// The index window's filter against the straight one: the input is the filter text (UTF-8),
// NUL, the bytes of "words.qx". The filter is then taken back one character at a time, as
// by Backspace, on the same index, and every list must be the straight filter's.
#include "fuzzing.h"

#include "logic/codepage.h"
#include "logic/datafiles.h"
#include "logic/wordindex.h"
#include "support/straightindex.h"

#include <QString>

#include <vector>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzing::quiet();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<QByteArrayView> parts = fuzzing::split(fuzzing::bytes(data, size), 2);
  QString text = QString::fromUtf8(parts[0]);
  const search::WordTable words = search::WordTable::read(parts.size() > 1 ? parts[1].toByteArray() : QByteArray());
  search::WordIndex index(words);

  // Typing long texts adds nothing the first keystrokes do not show.
  text.truncate(12);
  for (;; text.chop(1)) {
    const std::span<const int> rows = index.filter(text);
    const std::vector<int> got(rows.begin(), rows.end());
    fuzzing::same("filter", got, search::straightFilter(words, text), " for ", text);
    for (size_t i = 0; i < got.size() && i < 8; ++i) {
      const int k = got[i];
      fuzzing::same("row", index.row(k), cp1252::decode(words.word(k)) + u' ', " of entry ", k);
    }
    if (text.isEmpty()) break;
  }
  return 0;
}
