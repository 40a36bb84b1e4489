// tavrin-index's reading of a page: its bytes decoded, its HTML cut into a title and the
// indexed text, the text cut into words, and the page built into the two files and read
// back by the reader's own readers. Whatever the page, the title is collapsed white space,
// every word is upper-cased, holds two letters and is no stop word, and the files read
// back as written.
#include "fuzzing.h"

#include "indexer.h"
#include "logic/codepage.h"
#include "logic/datafiles.h"

#include <QString>

#include <algorithm>

namespace {

bool isHtmlSpace(QChar c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f'; }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzing::quiet();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QString html = indexer::decodePage(fuzzing::bytes(data, size));
  const indexer::PageContent page = indexer::parsePage(html);

  const QString& title = page.title;
  if (!title.isEmpty()) {
    fuzzing::same("title starts with no space", isHtmlSpace(title.front()), false, title);
    fuzzing::same("title ends with no space", isHtmlSpace(title.back()), false, title);
  }
  for (qsizetype i = 0; i < title.size(); ++i) {
    if (title[i] == u' ' && i + 1 < title.size()) fuzzing::same("no double space", title[i + 1] == u' ', false, title);
    if (title[i] != u' ') fuzzing::same("no other white space", isHtmlSpace(title[i]), false, title);
  }

  static const QList<QByteArray> stop = indexer::stopWords();
  for (const QByteArray& word : indexer::wordsOf(page.text)) {
    QByteArray upper = word;
    cp1252::upperInPlace(upper);
    fuzzing::same("word upper-cased", upper, word);
    const QString text = cp1252::decode(word);
    const auto letters = std::count_if(text.begin(), text.end(), [](QChar c) { return c.isLetter(); });
    fuzzing::same("word has two letters", letters >= 2, true, word);
    fuzzing::same("no stop word", stop.contains(word.toLower()), false, word);
  }

  indexer::Builder builder;
  const auto refusal = builder.addPage(QStringLiteral("page.qx"), page, true);
  if (refusal) {
    // Only a title the code page cannot write is refused.
    fuzzing::same("refused only for an unwritable title", bool(cp1252::encodeExactly(title)), false, *refusal);
    return 0;
  }
  const indexer::Output out = builder.finish();
  const auto pages = search::PageTable::read(out.filesQx);
  fuzzing::same("one page", pages.status().lines, 1);
  fuzzing::same("file name read back", pages.file(1), QByteArrayView("page.qx"));
  fuzzing::same("title read back", cp1252::decode(pages.title(1)), title.isEmpty() ? QStringLiteral("page.qx") : title);
  const auto words = search::WordTable::read(out.wordsQx);
  fuzzing::same("every word read back", words.status().lines, out.words);
  for (int k = 1; k <= out.words; ++k) fuzzing::same("on page 1", words.pages(k), QByteArrayView("1\t"));
  return 0;
}
