#include "words.h"

#include <algorithm>

namespace indexer {

const std::vector<QByteArray>& upperStopWords() {
  static const std::vector<QByteArray> words = [] {
    std::vector<QByteArray> w;
    for (const char* s : kStopWords) {
      QByteArray upper(s);
      cp1252::upperInPlace(upper);
      w.push_back(upper);
    }
    std::sort(w.begin(), w.end());
    return w;
  }();
  return words;
}

QList<QByteArray> wordsOf(QStringView text) {
  QList<QByteArray> out;
  QByteArray key;
  forEachWord(text, key, [&out](const QByteArray& word) {
    if (!std::binary_search(upperStopWords().begin(), upperStopWords().end(), word)) out << word;
  });
  return out;
}

QList<QByteArray> stopWords() {
  QList<QByteArray> out;
  for (const char* w : kStopWords) out << QByteArray(w);
  return out;
}

}  // namespace indexer
