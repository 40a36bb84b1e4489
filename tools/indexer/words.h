#pragma once
// What a word of a page is, and the common words left out.
#include "logic/codepage.h"

#include <QByteArray>
#include <QChar>
#include <QList>
#include <QStringView>

#include <vector>

namespace indexer {

// The indexed words of a text in the order they occur, repeats kept: runs of letters and
// digits with at least two letters, upper-cased in Windows-1252; runs that hold a
// character outside Windows-1252 and the stop words are left out.
QList<QByteArray> wordsOf(QStringView text);
// The left-out common words, in lower case and alphabetical order.
QList<QByteArray> stopWords();

inline constexpr const char* kStopWords[] = {
    "a",     "about",  "above",  "after", "again",   "against", "all",     "also",   "am",    "an",    "and",
    "any",   "are",    "as",     "at",    "be",      "because", "been",    "before", "being", "below", "between",
    "both",  "but",    "by",     "can",   "could",   "did",     "do",      "does",   "doing", "down",  "during",
    "each",  "either", "every",  "few",   "for",     "from",    "further", "had",    "has",   "have",  "having",
    "he",    "her",    "here",   "hers",  "him",     "his",     "how",     "if",     "in",    "into",  "is",
    "it",    "its",    "itself", "just",  "may",     "me",      "might",   "more",   "most",  "much",  "must",
    "my",    "no",     "nor",    "not",   "now",     "of",      "off",     "on",     "once",  "one",   "only",
    "or",    "other",  "our",    "ours",  "out",     "over",    "own",     "per",    "same",  "she",   "should",
    "so",    "some",   "such",   "than",  "that",    "the",     "their",   "theirs", "them",  "then",  "there",
    "these", "they",   "this",   "those", "through", "thus",    "to",      "too",    "under", "until", "up",
    "upon",  "very",   "was",    "we",    "were",    "what",    "when",    "where",  "which", "while", "who",
    "whom",  "why",    "will",   "with",  "within",  "would",   "yet",     "you",    "your",  "yours"};

// The stop words upper-cased, sorted.
const std::vector<QByteArray>& upperStopWords();

// Calls take(key) for every run of letters and digits in `text` that holds at least two
// letters and that Windows-1252 can write, with `key` holding it upper-cased in
// Windows-1252. Stop words are not told apart here.
template <typename Take>
void forEachWord(QStringView text, QByteArray& key, Take take) {
  const QChar* const s = text.data();
  const qsizetype n = text.size();
  qsizetype i = 0;
  // Length of the character at i (2 for a surrogate pair) when it is a letter or a digit,
  // else 0; `letter` says which.
  const auto wordChar = [s, n](qsizetype i, bool& letter) -> int {
    const char16_t c = s[i].unicode();
    if (c < 0x80) {
      letter = (c | 0x20) >= u'a' && (c | 0x20) <= u'z';
      return letter || (c >= u'0' && c <= u'9') ? 1 : 0;
    }
    if (QChar::isHighSurrogate(c) && i + 1 < n && s[i + 1].isLowSurrogate()) {
      const char32_t code = QChar::surrogateToUcs4(c, s[i + 1].unicode());
      letter = QChar::isLetter(code);
      return QChar::isLetterOrNumber(code) ? 2 : 0;
    }
    letter = QChar::isLetter(c);
    return QChar::isLetterOrNumber(c) ? 1 : 0;
  };
  while (i < n) {
    bool letter = false;
    int len = wordChar(i, letter);
    if (!len) {
      ++i;
      continue;
    }
    const qsizetype begin = i;
    int letters = 0;
    bool ascii = true;
    do {
      letters += letter;
      ascii = ascii && s[i].unicode() < 0x80;
      i += len;
    } while (i < n && (len = wordChar(i, letter)) != 0);
    if (letters < 2) continue;
    const QStringView word(s + begin, i - begin);
    if (ascii) {
      key.resize(word.size());
      char* k = key.data();
      // ASCII: each character is its own byte, upper-cased on the way in (one pass).
      for (qsizetype j = 0; j < word.size(); ++j)
        k[j] = char(cp1252::upper(static_cast<unsigned char>(s[begin + j].unicode())));
    } else {
      Result<QByteArray> written = cp1252::encodeExactly(word);
      if (!written) continue;
      key = *std::move(written);
      cp1252::upperInPlace(key);
    }
    take(key);
  }
}

}  // namespace indexer
