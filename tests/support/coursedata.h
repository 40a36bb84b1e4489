#pragma once
// A made-up but course-like data set in the shape of "files.qx" and "words.qx", for the
// benchmarks (at full capacity) and for the tests that hold the fast search against the
// plain one (smaller, and with broken records mixed in).
//
// Pages are named like the course's own ("qx070123.qx"), 24 modules in a row, with titles
// built from the vocabulary. Words are an electronics vocabulary plus variants of it
// (inflections, prefixed forms, part numbers and reference designators), written in
// alphabetical order as the word index expects. Page lists follow a Zipf-like law: the
// commonest words are on thousands of pages, most words on a handful; a word's pages
// cluster in a few modules and are listed in ascending order. The same seed always gives
// the same bytes.
#include <QByteArray>

#include <cstdint>

namespace coursedata {

struct Options {
  int pages = 12400;
  int words = 12400;
  int longestList = 4000;  // pages of the commonest word
  std::uint64_t seed = 0x5eed7a7121ULL;
  // Mixes in what real files get wrong: blank and short lines, names that are empty or
  // shared by two pages, words with spaces around them, in mixed case, with Windows-1252
  // letters or empty; page numbers that are garbage, zero, too large, signed or padded,
  // empty pieces, lists without their final TAB, empty lists; words out of order.
  bool messy = false;
};

struct Course {
  QByteArray filesQx;
  QByteArray wordsQx;
};

Course generate(const Options& options);

}  // namespace coursedata
