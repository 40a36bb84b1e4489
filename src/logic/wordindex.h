#pragma once
// The index window's word list: every word of "words.qx" that begins with the typed text,
// in the file's order, refreshed on every keystroke.
//
// Matching: the typed text, with spaces removed from both ends and upper-cased in
// Windows-1252, must begin the word as stored, upper-cased but not trimmed. So a word stored
// with leading spaces is listed only while the filter is empty. An empty filter lists every
// non-empty word; text that Windows-1252 cannot write lists nothing.
//
// A filter costs a binary search over the words sorted once at construction; when the file
// is alphabetical (as the course's is) the matching run is already in the file's order and
// is handed out as it is, so a keystroke neither copies nor allocates. A list model can
// show the result directly: rowCount is its size, and row(k) makes the text of one visible
// row.
#include "logic/datafiles.h"
#include "logic/fileorder.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <span>
#include <vector>

namespace search {

class WordIndex {
 public:
  // No words: every filter lists nothing.
  WordIndex();
  // Copies the words; the table may go away afterwards.
  explicit WordIndex(const WordTable& words);

  // The entry numbers of the listed words, in list order, for the text of the filter box.
  // The view is valid until the next call of filter().
  std::span<const int> filter(QStringView text);

  // The list row of entry k: the word as stored, then one space.
  QString row(int k) const;
  // What a double-click on entry k's row puts into the search window's text box: the row's
  // text, as it is. The search trims the space off, and searches a word that holds a space
  // as two words.
  QString searchBoxText(int k) const { return row(k); }

  // The caption of the count label for a list of `rows` rows.
  static QString foundText(qsizetype rows);

 private:
  QByteArrayView key(int k) const;

  // Entry k's word is words_[begin_[k] .. begin_[k + 1]), and its upper case is the same
  // range of keys_.
  std::vector<std::uint32_t> begin_;
  QByteArray words_;
  QByteArray keys_;
  std::vector<int> nonEmpty_;  // the entries an empty filter lists, ascending
  std::vector<int> sorted_;    // the same entries ordered by key, bytes compared unsigned
  bool alphabetical_ = true;   // sorted_ == nonEmpty_

  // Scratch of one filter, sized once.
  FileOrder reordered_;
  std::vector<int> rows_;  // a run put back in file order
};

}  // namespace search
