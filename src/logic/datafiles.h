#pragma once
// Readers of the course's two search data files, "files.qx" (the page catalogue) and
// "words.qx" (every indexed word with the numbers of the pages that hold it).
//
// Both are Windows-1252 text read whole, one record per line, fields separated by TAB.
// Entries are numbered by line position: line k fills entry k, index 0 is never filled,
// and a line that lacks the fields its file needs leaves its entry empty but still uses
// up its number, because "words.qx" refers to pages by those numbers.
//
// The tables keep the file's bytes and hand out views into them; decode for display with
// cp1252::decode. Nothing here shows a window: the caller reports tooMany() as
// "Too many files!" / "Too many words!". The writers below make the lines the readers read.
#include "platform/filesystem.h"
#include "platform/result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QLoggingCategory>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace search {

// Entries a table can hold; entry numbers run from 1 to kCapacity.
inline constexpr int kCapacity = 12400;

// The files' names; the reader finds them in its program folder.
inline const QString kPagesFile = QStringLiteral("files.qx");
inline const QString kWordsFile = QStringLiteral("words.qx");

inline constexpr char kFieldSeparator = '\t';
// What the writers end each line with; the readers also take a lone CR (LineSplitter).
inline constexpr char kLineEnd[] = "\r\n";

// Splits text into lines. A line ends at a CR; a CR followed by LF ends it with both. A
// lone CR still ends the line, and the character after it starts the next one. A lone LF
// is an ordinary character. A last line without a line end is still a line, so text that
// does not end with CR LF loses nothing. Empty text has no lines; text that ends with a
// line end has no empty line after it.
class LineSplitter {
 public:
  explicit LineSplitter(QByteArrayView text) : rest_(text) {}
  bool atEnd() const { return rest_.isEmpty(); }
  // The next line without its line end. Only call when !atEnd().
  QByteArrayView next();

 private:
  QByteArrayView rest_;
};

// A whole number as the data files write them (textrules::wholeNumber) that fits 16 bits.
std::optional<qint16> toInt16(QByteArrayView field);
// A page number of a word's page list: the same shape as above, from 1 to kCapacity.
std::optional<int> toPageNumber(QByteArrayView field);

// What became of reading one file.
struct ReadStatus {
  int lines = 0;          // entry numbers used, at most kCapacity
  bool tooMany = false;   // the file had a line beyond kCapacity; the first kCapacity stay
  int stoppedAtLine = 0;  // "files.qx": the line whose number did not convert, else 0
};

namespace detail {
// Two text fields per entry, kept as spans of the file's own bytes: loading copies no text.
class FieldPairs {
 public:
  FieldPairs() = default;  // no entries: every field reads empty
  explicit FieldPairs(QByteArray bytes);
  QByteArrayView text() const { return bytes_; }
  // `first` and `second` must be views into text().
  void set(int k, QByteArrayView first, QByteArrayView second);
  QByteArrayView first(int k) const { return get(first_, k); }
  QByteArrayView second(int k) const { return get(second_, k); }

 private:
  struct Span {
    qsizetype begin = 0;
    qsizetype size = 0;
  };
  QByteArrayView get(const std::vector<Span>& column, int k) const {
    if (k < 1 || size_t(k) >= column.size()) return {};
    return QByteArrayView(bytes_).sliced(column[k].begin, column[k].size);
  }
  QByteArray bytes_;
  std::vector<Span> first_, second_;
};
}  // namespace detail

// "files.qx": number TAB file name TAB title, where the title is the rest of the line,
// further TABs included. The number must convert to a 16-bit signed integer; at the first
// line whose number does not, reading ends and the entries before it stay. A line with no
// TAB at all is passed over without converting anything; a line with one TAB only has its
// number checked and leaves its entry empty.
class PageTable {
 public:
  PageTable() = default;  // no file: every entry empty
  static PageTable read(QByteArray bytes);

  // Empty for an entry that was not filled and for any k outside 1..kCapacity.
  QByteArrayView file(int k) const { return fields_.first(k); }
  QByteArrayView title(int k) const { return fields_.second(k); }
  const ReadStatus& status() const { return status_; }

 private:
  detail::FieldPairs fields_;
  ReadStatus status_;
};

// "words.qx": word TAB page list, where the page list is the rest of the line (page
// numbers, each followed by a TAB). Kept as written; the search interprets the list.
class WordTable {
 public:
  WordTable() = default;
  static WordTable read(QByteArray bytes);

  QByteArrayView word(int k) const { return fields_.first(k); }
  QByteArrayView pages(int k) const { return fields_.second(k); }
  const ReadStatus& status() const { return status_; }

 private:
  detail::FieldPairs fields_;
  ReadStatus status_;
};

// A file name the page catalogue can hold: no TAB, which would end its field, and no line
// break, CR or LF, which would end (or, for other readers, break) its line.
bool fitsNameField(QStringView name);
// Appends the "files.qx" line of entry `number`: number TAB file name TAB title.
void appendPageLine(QByteArray& out, int number, QByteArrayView file, QByteArrayView title);
// Appends the "words.qx" line of `word`: the word, a TAB, and each page number followed by
// a TAB, in the order given.
void appendWordLine(QByteArray& out, QByteArrayView word, std::span<const std::uint16_t> pages);

// The largest data file or history log read: some fifty times what a full table takes, and
// little enough to hold in memory at once.
inline constexpr qint64 kLargestFile = 256 * 1024 * 1024;
// The whole content of a regular file, or why not: it is not one, is larger than
// kLargestFile, or cannot be read.
inline Result<QByteArray> readWholeFile(FileSystem& files, const QString& path) {
  return files.readWhole(path, kLargestFile);
}

// Logs why reading the file at `path` ended early, if it did.
void logReadStatus(const QString& path, const ReadStatus& status);

}  // namespace search
