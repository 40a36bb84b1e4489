#pragma once
// The bytes of "files.qx" and "words.qx", built page by page.
#include "html.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>
#include <vector>

namespace indexer {

struct Output {
  QByteArray filesQx;
  QByteArray wordsQx;
  int pages = 0;
  int words = 0;
};

// Builds both files from pages given in their numbering order. Every method that can meet
// something the files cannot hold returns the reason, naming the page; the builder is then
// of no further use.
class Builder {
 public:
  Builder();
  std::optional<QString> addPage(const QString& name, const PageContent& content, bool indexed);
  std::optional<QString> addPage(const QString& name, QStringView html, bool indexed) {
    return addPage(name, parsePage(html), indexed);
  }
  Output finish() const;

 private:
  std::optional<QString> addWords(const QString& name, QStringView text);
  // The entry of `word`, made when it has none and `room` is true; -1 when it has none.
  int entryOf(const QByteArray& word, bool room);

  QByteArray files_;
  int pages_ = 0;
  // Every word met, the stop words among them, with the pages that hold it.
  struct Entry {
    QByteArray word;
    bool stop = false;
    std::vector<std::uint16_t> pages;
  };
  std::vector<Entry> entries_;
  int stopWords_ = 0;
  // Open addressing on FNV-1a hashes: 1 + the entry's index, 0 for a free slot.
  std::vector<std::uint16_t> slots_;
  QByteArray key_;  // scratch of one word
};

}  // namespace indexer
