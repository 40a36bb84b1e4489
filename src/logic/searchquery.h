#pragma once
// What the user typed into the search box, cut into the terms the search matches, and
// the rules both search implementations share for reading the data.
//
// Matching: a word of "words.qx" matches a term when the word, with spaces removed from
// both ends and upper-cased in Windows-1252, begins with the upper-cased term. Words that
// are empty after trimming never match.
//
// Page lists: a word's page list is cut at every TAB; each piece, the one after the last
// TAB included, that reads as a page number from 1 to kCapacity (see toPageNumber) is a
// page, and every other piece (empty, not a number, out of range) is passed over. So a list
// without its final TAB still gives its last page, an empty list gives nothing, and garbage
// costs only itself. A page whose entry in "files.qx" has no file name is never listed.
//
// Limits: results are told apart by page file name and a page entry has one name, so a
// search can never find more than kCapacity pages. The two-word search's hit lists are not
// cut at any count: cutting them would silently drop pages that hold both words.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

namespace search {

// A term upper-cased in Windows-1252. Nothing when the typed text holds a character that
// Windows-1252 cannot write: no word of the data files can contain it, so it matches nothing.
using Term = std::optional<QByteArray>;

struct Query {
  // 0 for blank input, which must leave the window as it is; otherwise 1 or 2.
  int words = 0;
  Term first;
  Term second;
};

// The text is trimmed of spaces at both ends. Without an inner space it is one term. With
// one, the first term runs up to the first space; the rest, trimmed, up to its own first
// space is the second term, and any further words are ignored.
Query parseQuery(QStringView input);

// `text` as a term, as it is, spaces included.
Term toTerm(QStringView text);

// The upper-casing that matching applies, as text: each character of `from` becomes the
// character at the same place in `to`; every other character stays as it is.
struct CaseFold {
  QString from;
  QString to;
};
const CaseFold& caseFold();

}  // namespace search
