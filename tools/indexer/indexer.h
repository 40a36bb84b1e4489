#pragma once
// tavrin-index: the reader's search data, "files.qx" and "words.qx", made from a folder of
// course pages. Everything the program decides is here, as plain functions on names, bytes
// and text; main.cpp only reads the command line and reports.
//
// The two files are written as the reader reads them: Windows-1252, every line ended with
// CR LF, fields separated by TAB. "files.qx" numbers the pages by line; "words.qx" lists
// every word, upper-cased in Windows-1252 and in the order of its bytes, with the numbers
// of the pages that hold it, ascending, each followed by a TAB. The reader's search lists a
// term's pages word by word in the file's order and each word's pages in list order, so its
// results come alphabetically by word and, within a word, in course order.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace indexer {

// ---- which pages, in which order ----

enum class Role {
  Skipped,  // not a page of its own: a layout variant, a trigger or media page, not "*.qx"
  Listed,   // numbered in "files.qx" so the history can title it; its words are not indexed
  Indexed,  // numbered in "files.qx" and its words indexed
};
Role roleOf(QStringView name);

struct CataloguedPage {
  QString name;
  bool indexed = false;
};
// The pages among the file names of a course folder, in the order they are numbered: the
// start pages "qxa.qx" to "qxg.qx", the contents pages "qxcra.qx" to "qxcrg.qx", the module
// pages ("qx" and a module number) by name, then every other page by name.
std::vector<CataloguedPage> catalogue(const QStringList& names);

// ---- what a page holds ----

// UTF-8 when the bytes are valid UTF-8, else Windows-1252.
QString decodePage(QByteArrayView bytes);

struct PageContent {
  QString title;  // the <title>, references decoded, white space collapsed; may be empty
  QString text;   // the text whose words are indexed; tags and comments are blanks in it
};
// The indexed text is that of the <main> elements when the page has one, else of the
// whole page outside <head>; <script>, <style> and the title never count.
PageContent parsePage(QStringView html);

// The indexed words of a text in the order they occur, repeats kept: runs of letters and
// digits with at least two letters, upper-cased in Windows-1252; runs that hold a
// character outside Windows-1252 and the stop words are left out.
QList<QByteArray> wordsOf(QStringView text);
// The left-out common words, in lower case and alphabetical order.
QList<QByteArray> stopWords();

// What counts as a page and as a word, for --help.
QString rulesText();

// ---- the two files ----

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

struct Outcome {
  std::optional<Output> output;
  QString refusal;  // why not, when there is no output
};
using Progress = std::function<void(int done, int total)>;
// Reads the pages of `folder` (its own files, not its sub-folders) and makes both files.
// `progress` hears of every page read.
Outcome indexFolder(const QString& folder, const Progress& progress = {});

// Writes "files.qx" and "words.qx" into `folder`, each whole or not at all. The error, or
// nothing.
std::optional<QString> writeOutput(const Output& output, const QString& folder);

}  // namespace indexer
