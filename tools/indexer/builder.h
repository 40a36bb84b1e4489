#pragma once
// The bytes of "files.qx" and "words.qx", built page by page.
#include "html.h"
#include "logic/datafiles.h"

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>
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

// Builds both files from pages given in their numbering order. A page the files cannot
// hold (its name or title) is refused and left out, and the builder goes on, so that one
// pass over a course finds every refusal and what overflows the files' capacities; the
// files are only of use when there was neither.
class Builder {
 public:
  Builder();
  // The reason the page is refused, naming it; nothing when it is taken (or only counted,
  // beyond the capacity of files.qx).
  std::optional<QString> addPage(const QString& name, const PageContent& content, bool indexed);
  std::optional<QString> addPage(const QString& name, QStringView html, bool indexed) {
    return addPage(name, parsePage(html), indexed);
  }
  // What the course holds beyond the capacity of each file, one line each: how many pages or
  // words there are, and the first that did not fit. Empty when everything fits.
  QStringList overflows() const;
  bool tooManyPages() const { return offered_ > search::kCapacity; }
  bool tooManyWords() const { return !wordsBeyond_.isEmpty(); }
  Output finish() const;

 private:
  void addWords(const QString& name, QStringView text, bool listed);
  // The entry of `word`, made when it has none and `room` is true; -1 when it has none.
  int entryOf(const QByteArray& word, bool room);

  QByteArray files_;
  int pages_ = 0;    // listed in files_
  int offered_ = 0;  // every page given, refused or beyond the capacity included
  QString firstPageBeyond_;
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
  // The different words beyond the capacity of words.qx, counted only; the first of them
  // and the page it was met on.
  QSet<QByteArray> wordsBeyond_;
  QByteArray firstWordBeyond_;
  QString firstWordBeyondPage_;
};

}  // namespace indexer
