// The index window's word list: which words a filter text lists, in which order, the text
// of the rows and of the count, and what a double-click hands to the search. On generated
// data the index must agree with the plain filter entry for entry.
#include "support/coursedata.h"

#include "logic/datafiles.h"
#include "logic/searchquery.h"
#include "logic/textrules.h"
#include "logic/wordindex.h"
#include "support/lines.h"
#include "support/straightindex.h"

#include <QRandomGenerator>
#include <QTest>

#include <vector>

using search::kCapacity;

namespace {

// Out of alphabetical order on purpose. Line 4 is blank and line 10 has no TAB, so those
// entries are empty; line 3's word is stored with leading spaces, line 9's is only spaces.
const QByteArray kWords = crlf({
    "resistor\t1\t",
    "Relay\t2\t",
    "  reed\t3\t",
    "",
    "ohm\t4\t",
    "re\t1\t",
    "\xFF"
    "ber\t2\t",
    "red light\t4\t",
    "   \t5\t",
    "nolist",
    "Resonance\t",
    "\xE4nderung\t1\t",
});

QStringList rowsOf(const search::WordIndex& index, std::span<const int> entries) {
  QStringList rows;
  for (int k : entries) rows << index.row(k);
  return rows;
}

// Words over a few letters that differ only in case or code page, with spaces anywhere.
QByteArray randomWords(QRandomGenerator& rnd, int lines) {
  static const QByteArray kLetters = "aAbB \xE4\xC4\xFF\x9F";
  QList<QByteArray> out;
  for (int i = 0; i < lines; ++i) {
    if (rnd.bounded(20) == 0) {
      out << QByteArray();  // blank line: an empty entry
      continue;
    }
    QByteArray word;
    for (int n = int(rnd.bounded(5)); n > 0; --n) word += kLetters[int(rnd.bounded(int(kLetters.size())))];
    out << word + "\t1\t";
  }
  return crlf(out);
}

}  // namespace

class TestWordIndex : public QObject {
  Q_OBJECT

 private slots:
  void filter_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("found");
    const QStringList re = {"resistor ", "Relay ", "re ", "red light ", "Resonance "};
    QTest::newRow("prefix, in the file's order") << "re" << re << "Found:  5 words";
    QTest::newRow("upper case") << "RE" << re << "Found:  5 words";
    QTest::newRow("filter trimmed") << "  rE  " << re << "Found:  5 words";
    const QStringList all = {"resistor ",  "Relay ",
                             "  reed ",    "ohm ",
                             "re ",        QString::fromUtf8("ÿber "),
                             "red light ", "    ",
                             "Resonance ", QString::fromUtf8("änderung ")};
    QTest::newRow("empty filter lists every non-empty word") << "" << all << "Found:  10 words";
    QTest::newRow("spaces only are an empty filter") << "   " << all << "Found:  10 words";
    QTest::newRow("inner space kept") << "red l" << QStringList{"red light "} << "Found:  1 words";
    QTest::newRow("whole word") << "resistor" << QStringList{"resistor "} << "Found:  1 words";
    QTest::newRow("longer than the word") << "resistors" << QStringList{} << "Found:  0 words";
    QTest::newRow("stored leading spaces never match") << "reed" << QStringList{} << "Found:  0 words";
    QTest::newRow("Windows-1252 lower case")
        << QString::fromUtf8("änd") << QStringList{QString::fromUtf8("änderung ")} << "Found:  1 words";
    QTest::newRow("Windows-1252 upper case")
        << QString::fromUtf8("ÄND") << QStringList{QString::fromUtf8("änderung ")} << "Found:  1 words";
    QTest::newRow("y diaeresis upper-cases outside Latin-1")
        << QString::fromUtf8("Ÿb") << QStringList{QString::fromUtf8("ÿber ")} << "Found:  1 words";
    QTest::newRow("text Windows-1252 cannot write") << QString::fromUtf8("re€中") << QStringList{} << "Found:  0 words";
    QTest::newRow("nothing begins so") << "z" << QStringList{} << "Found:  0 words";
  }
  void filter() {
    QFETCH(QString, text);
    QFETCH(QStringList, rows);
    QFETCH(QString, found);
    search::WordIndex index(search::WordTable::read(kWords));
    index.filter(u"o");  // an earlier keystroke leaves nothing behind
    const std::span<const int> listed = index.filter(text);
    QCOMPARE(rowsOf(index, listed), rows);
    QCOMPARE(search::WordIndex::foundText(qsizetype(listed.size())), found);
  }

  void noWords() {
    for (const search::WordIndex& index : {search::WordIndex(), search::WordIndex(search::WordTable())}) {
      search::WordIndex copy = index;
      QVERIFY(copy.filter(u"").empty());
      QVERIFY(copy.filter(u"re").empty());
    }
    QCOMPARE(search::WordIndex::foundText(0), QStringLiteral("Found:  0 words"));
    QCOMPARE(search::WordIndex::foundText(12062), QStringLiteral("Found:  12062 words"));
  }

  // A double-click puts the row, trailing space and all, into the search's text box.
  void searchBoxText_data() {
    QTest::addColumn<int>("entry");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("words");
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("second");
    QTest::newRow("one word") << 1 << "resistor " << 1 << QByteArray("RESISTOR") << QByteArray();
    QTest::newRow("a word with a space is two words")
        << 8 << "red light " << 2 << QByteArray("RED") << QByteArray("LIGHT");
    QTest::newRow("stored spaces") << 3 << "  reed " << 1 << QByteArray("REED") << QByteArray();
    QTest::newRow("Windows-1252") << 12 << QString::fromUtf8("änderung ") << 1 << QByteArray("\xC4NDERUNG")
                                  << QByteArray();
  }
  void searchBoxText() {
    QFETCH(int, entry);
    QFETCH(QString, text);
    QFETCH(int, words);
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, second);
    const search::WordIndex index(search::WordTable::read(kWords));
    QCOMPARE(index.searchBoxText(entry), text);
    const search::Query query = search::parseQuery(index.searchBoxText(entry));
    QCOMPARE(query.words, words);
    QCOMPARE(query.first.value_or(QByteArray()), first);
    QCOMPARE(query.second.value_or(QByteArray()), second);
  }

  // Course-like words, in order and (messy) out of order, at full capacity: every prefix of
  // one and two letters a word begins with, and some that none does.
  void sameAsPlainFilterOnCourseData_data() {
    QTest::addColumn<bool>("messy");
    QTest::newRow("alphabetical") << false;
    QTest::newRow("messy, out of order") << true;
  }
  void sameAsPlainFilterOnCourseData() {
    QFETCH(bool, messy);
    coursedata::Options options;
    options.pages = 400;
    options.longestList = 50;
    options.messy = messy;
    const search::WordTable words = search::WordTable::read(coursedata::generate(options).wordsQx);
    search::WordIndex index(words);
    QStringList filters = {"", " ", "zz", "re ", " A", "resistor", "RESISTORS", "2n3", QString::fromUtf8("ü")};
    for (int k = 1; k <= kCapacity; k += 97) {
      const QString word = cp1252::decode(textrules::trimSpaces(words.word(k)));
      filters << word.left(1) << word.left(2) << word.left(4).toUpper();
    }
    for (const QString& f : filters) {
      const std::span<const int> got = index.filter(f);
      QCOMPARE(std::vector<int>(got.begin(), got.end()), search::straightFilter(words, f));
    }
  }

  // Small random word files over letters that differ only in case or code page.
  void sameAsPlainFilterOnRandomWords() {
    QRandomGenerator rnd(20240611);
    static const QStringList kFilters = {
        "", "a", "A ", " b", "ab", "Ba", QString::fromUtf8("ä"), QString::fromUtf8("ÿ"), "a a", "aaaa", "bB"};
    for (int round = 0; round < 200; ++round) {
      const search::WordTable words = search::WordTable::read(randomWords(rnd, int(rnd.bounded(1, 300))));
      search::WordIndex index(words);
      for (const QString& f : kFilters) {
        const std::span<const int> got = index.filter(f);
        QCOMPARE(std::vector<int>(got.begin(), got.end()), search::straightFilter(words, f));
      }
    }
  }
};

QTEST_GUILESS_MAIN(TestWordIndex)
#include "test_wordindex.moc"
