// The course search: what a typed text finds, in which order, and what the data can get
// wrong without harm. Every case runs through both the plain search and the engine the
// program uses; on generated data the two must agree page for page.
#include "support/coursedata.h"

#include "logic/codepage.h"
#include "logic/datafiles.h"
#include "logic/searchengine.h"
#include "logic/textrules.h"
#include "support/lines.h"
#include "support/referencesearch.h"

#include <QRandomGenerator>
#include <QTest>

#include <vector>

using search::kCapacity;

namespace {

// A small course with the awkward cases in it. Page 5 shares its file name with page 1,
// page 6 has no name, line 3 is blank. The words are deliberately not in alphabetical order.
const QByteArray kFiles = crlf({
    "1\tqx010001.qx\tResistors",
    "2\tqx010002.qx\tOhm's law",
    "",
    "4\tqx020001.qx\tWiderst\xE4nde",
    "5\tqx010001.qx\tResistors again",
    "6\t\tNo name",
    "7\tqx030001.qx\tMeters",
    "8\tqx030002.qx\tSeries",
});
const QByteArray kWords = crlf({
    "RESISTOR\t7\t1\t",
    "  resist  \t2\t1\t4\t",
    "re\t8\t",
    "resonance\t5\t8\t",
    "   \t2\t",
    "widerst\xE4nde\t4\t",
    "ohm\t2\t7\t",
    "law\t8\t2\t",
    "meter\t7\t6\t",
    "garbage\tabc\t0\t12401\t99999999999\t\t200\t+8\t 7 \t2",
    "empty\t",
    "nolist",
    "\xFF"
    "ber\t1\t",
});

using Pages = std::vector<int>;
const Pages kBlank = {-1};  // marks a case where the input is blank and nothing may change

struct Searches {
  search::PageTable pages;
  search::WordTable words;
  search::ReferenceSearch reference{pages, words};
  search::SearchEngine engine;
  Searches(const QByteArray& files, const QByteArray& wordsQx)
      : pages(search::PageTable::read(files)), words(search::WordTable::read(wordsQx)), engine(pages, words) {}
};

}  // namespace

class TestSearchEngine : public QObject {
  Q_OBJECT

 private slots:
  void search_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<Pages>("pages");
    // One word: matching entries in file order, each list in its order, a name once.
    QTest::newRow("prefix, first occurrence, shared name once") << "res" << Pages{7, 1, 2, 4, 8};
    QTest::newRow("spaces around the input") << "   res  " << Pages{7, 1, 2, 4, 8};
    QTest::newRow("case of the input") << "rEs" << Pages{7, 1, 2, 4, 8};
    QTest::newRow("a word as long as the term") << "re" << Pages{7, 1, 2, 4, 8};
    QTest::newRow("whole word") << "resistor" << Pages{7, 1};
    QTest::newRow("word shorter than the term") << "resistors" << Pages{};
    QTest::newRow("word trimmed before matching") << "resist" << Pages{7, 1, 2, 4};
    QTest::newRow("Windows-1252 letters, lower case") << QString::fromUtf8("widerstände") << Pages{4};
    QTest::newRow("Windows-1252 letters, upper case") << QString::fromUtf8("WIDERSTÄNDE") << Pages{4};
    QTest::newRow("y diaeresis upper-cases outside Latin-1") << QString::fromUtf8("Ÿb") << Pages{1};
    QTest::newRow("page without a name passed over") << "meter" << Pages{7};
    QTest::newRow("garbage in a list skipped, list without final TAB") << "garbage" << Pages{8, 7, 2};
    QTest::newRow("empty list") << "empty" << Pages{};
    QTest::newRow("line without TAB has no word") << "nolist" << Pages{};
    QTest::newRow("no match") << "xyz" << Pages{};
    QTest::newRow("character outside Windows-1252") << QString::fromUtf8("re中") << Pages{};
    QTest::newRow("TAB is not a word break") << "ohm\tlaw" << Pages{};
    // Two words: the first word's pages, in its order, that also hold the second word.
    QTest::newRow("two words") << "ohm law" << Pages{2};
    QTest::newRow("two words, order of the first") << "res ohm" << Pages{7, 2};
    QTest::newRow("two words, other way round") << "ohm res" << Pages{2, 7};
    QTest::newRow("two words, extra spaces") << "  ohm    law " << Pages{2};
    QTest::newRow("third word ignored") << "ohm law meter" << Pages{2};
    QTest::newRow("two words, page of the first word's hit")
        << "resonance resist" << Pages{5};  // page 5, not page 1: same name, found first here
    QTest::newRow("two words, nothing in common") << "widerst meter" << Pages{};
    QTest::newRow("two words, first unknown") << "xyz law" << Pages{};
    QTest::newRow("two words, second unknown") << "law xyz" << Pages{};
    QTest::newRow("two words, second outside Windows-1252") << QString::fromUtf8("law 中") << Pages{};
    // Nothing to search for.
    QTest::newRow("empty input") << "" << kBlank;
    QTest::newRow("spaces only") << "    " << kBlank;
  }
  void search() {
    QFETCH(QString, input);
    QFETCH(Pages, pages);
    Searches s(kFiles, kWords);
    const Pages untouched = {99};
    Pages byReference = untouched;
    Pages byEngine = untouched;
    const bool ranReference = s.reference.search(input, byReference);
    const bool ranEngine = s.engine.search(input, byEngine);
    if (pages == kBlank) {
      QVERIFY(!ranReference && !ranEngine);
      QCOMPARE(byReference, untouched);
      QCOMPARE(byEngine, untouched);
      return;
    }
    QVERIFY(ranReference && ranEngine);
    QCOMPARE(byReference, pages);
    QCOMPARE(byEngine, pages);
  }

  // The words a page opened from the results shows marked: those of the query's terms that
  // list that page, or a page of the same name.
  void wordsOnAPage_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<int>("page");
    QTest::addColumn<QStringList>("words");
    QTest::newRow("prefix; trimmed; listed by a page of the same name")
        << "res" << 1 << QStringList{"RESIST", "RESISTOR", "RESONANCE"};
    QTest::newRow("another page of the same words") << "re" << 8 << QStringList{"RE", "RESONANCE"};
    QTest::newRow("both terms, in their order") << "law ohm" << 2 << QStringList{"LAW", "OHM"};
    QTest::newRow("a word once") << "ohm ohm" << 2 << QStringList{"OHM"};
    QTest::newRow("Windows-1252 letters")
        << QString::fromUtf8("Widerstä") << 4 << QStringList{QString::fromUtf8("WIDERSTÄNDE")};
    QTest::newRow("last piece of a list without its TAB") << "garb" << 2 << QStringList{"GARBAGE"};
    QTest::newRow("page the words do not list") << "ohm" << 8 << QStringList{};
    QTest::newRow("page without a name") << "meter" << 6 << QStringList{};
    QTest::newRow("page out of range") << "res" << kCapacity + 1 << QStringList{};
    QTest::newRow("blank query") << "  " << 1 << QStringList{};
  }
  void wordsOnAPage() {
    QFETCH(QString, input);
    QFETCH(int, page);
    QFETCH(QStringList, words);
    Searches s(kFiles, kWords);
    QStringList got;
    for (const QByteArray& w : s.engine.wordsOn(search::parseQuery(input), page)) got << cp1252::decode(w);
    QCOMPARE(got, words);
    // Asking leaves the engine's searches as they were.
    Pages found;
    s.engine.search(u"res", found);
    QCOMPARE(found, (Pages{7, 1, 2, 4, 8}));
  }

  // The case folding marks are matched with is the one the search applies to its words.
  void caseFoldIsTheSearchUpperCasing() {
    const search::CaseFold& fold = search::caseFold();
    QCOMPARE(fold.from.size(), fold.to.size());
    QVERIFY(fold.from.contains(u'a') && fold.from.contains(QChar(0xE9)) && fold.from.contains(QChar(0x0161)));
    QVERIFY(!fold.from.contains(QChar(0xDF)) && !fold.from.contains(QChar(0xB5)));  // ß and µ stay
    for (qsizetype i = 0; i < fold.from.size(); ++i)
      QCOMPARE(cp1252::decode(*search::toTerm(fold.from.mid(i, 1))), fold.to.mid(i, 1));
  }

  void missingWordFileFindsNothing() {
    Searches s(kFiles, QByteArray());
    Pages found{99};
    QVERIFY(s.engine.search(u"res", found));
    QVERIFY(found.empty());
    search::SearchEngine empty;
    QVERIFY(empty.search(u"ohm law", found));
    QVERIFY(found.empty());
  }

  // More hits than a table holds: a page that holds both words but comes to the first
  // word's hits only after the first 12400 must still be found.
  void moreHitsThanTheCapacity() {
    QByteArray files;
    for (int p = 1; p <= kCapacity; ++p) files += QByteArray::number(p) + "\tqx" + QByteArray::number(p) + ".qx\tT\r\n";
    QByteArray twice;
    for (int round = 0; round < 2; ++round)
      for (int p = 1; p <= kCapacity / 2; ++p) twice += QByteArray::number(p) + "\t";
    const QByteArray words = "aa\t" + twice + "\r\nab\t" + QByteArray::number(kCapacity) + "\t\r\nzz\t" +
                             QByteArray::number(kCapacity) + "\t3\t\r\n";
    Searches s(files, words);

    Pages expectedOne;
    for (int p = 1; p <= kCapacity / 2; ++p) expectedOne.push_back(p);
    expectedOne.push_back(kCapacity);
    for (const QString& input : {QStringLiteral("a"), QStringLiteral("a zz")}) {
      const Pages expected = input == u"a" ? expectedOne : Pages{3, kCapacity};
      Pages byReference, byEngine;
      s.reference.search(input, byReference);
      s.engine.search(input, byEngine);
      QCOMPARE(byReference, expected);
      QCOMPARE(byEngine, expected);
    }
  }

  // The shortest lists there are: one digit and no final TAB, one byte per page, on every
  // line of a full word file. The engine must find room for all of them.
  void oneDigitListsWithoutTheirFinalTab() {
    QByteArray files;
    for (int p = 1; p <= 9; ++p) files += QByteArray::number(p) + "\tqx0" + QByteArray::number(p) + ".qx\tT\r\n";
    QByteArray words;
    for (int k = 1; k <= kCapacity; ++k)
      words +=
          QByteArray(1, char('A' + k % 26)) + QByteArray::number(k) + "\t" + QByteArray::number(1 + k % 9) + "\r\n";
    Searches s(files, words);
    for (const QString& input : {u"a"_qs, u"b c"_qs, u"z1"_qs, u"q 1"_qs}) {
      Pages byReference, byEngine;
      s.reference.search(input, byReference);
      s.engine.search(input, byEngine);
      QCOMPARE(byEngine, byReference);
      QVERIFY(!byReference.empty() || input == u"q 1");
    }
  }

  void engineAgreesWithThePlainSearch_data() {
    QTest::addColumn<bool>("messy");
    QTest::addColumn<quint64>("seed");
    QTest::newRow("clean, alphabetical") << false << quint64(1);
    QTest::newRow("broken records, partly out of order") << true << quint64(2);
    QTest::newRow("broken records, another seed") << true << quint64(3);
  }
  void engineAgreesWithThePlainSearch() {
    QFETCH(bool, messy);
    QFETCH(quint64, seed);
    coursedata::Options options;
    options.pages = 1500;
    options.words = 2500;
    options.longestList = 600;
    options.seed = seed;
    options.messy = messy;
    const coursedata::Course course = coursedata::generate(options);
    Searches s(course.filesQx, course.wordsQx);

    // Queries made from the words themselves: prefixes of every length, mostly short, in
    // random case with random spaces, one and two (and three) words, and some that miss.
    QRandomGenerator rnd{quint32(seed)};
    std::vector<QString> words;
    for (int k = 1; k <= kCapacity; ++k) {
      const QString w = cp1252::decode(textrules::trimSpaces(s.words.word(k)));
      if (!w.isEmpty() && !w.contains(u' ')) words.push_back(w);
    }
    QVERIFY(words.size() > 1000);
    const auto prefix = [&]() {
      const QString& w = words[rnd.bounded(quint32(words.size()))];
      const int length = rnd.bounded(4) ? 1 + int(rnd.bounded(quint32(std::min<qsizetype>(3, w.size()))))
                                        : 1 + int(rnd.bounded(quint32(w.size() + 2)));
      QString p = w.left(length);
      for (QChar& c : p) c = rnd.bounded(2) ? c.toUpper() : c.toLower();
      if (rnd.bounded(8) == 0) p += u'q';  // likely beyond any word
      return p;
    };
    const auto spaces = [&]() { return QString(int(rnd.bounded(3)), u' '); };

    std::vector<QString> queries = {u"a"_qs, u"re"_qs, u"s"_qs, u"e s"_qs, u"a re"_qs, u"9"_qs};
    for (char c = 'a'; c <= 'z'; ++c) queries.push_back(QString(QChar(c)));
    for (int i = 0; i < 400; ++i) {
      QString q = spaces() + prefix();
      if (rnd.bounded(2)) q += u' ' + spaces() + prefix();
      if (rnd.bounded(6) == 0) q += u' ' + prefix();
      queries.push_back(q + spaces());
    }

    Pages byReference, byEngine;
    int nonEmpty = 0;
    for (const QString& q : queries) {
      s.reference.search(q, byReference);
      s.engine.search(q, byEngine);
      QVERIFY2(byEngine == byReference, qPrintable(QStringLiteral("\"%1\": engine %2 pages, plain search %3")
                                                       .arg(q)
                                                       .arg(byEngine.size())
                                                       .arg(byReference.size())));
      nonEmpty += !byReference.empty();
    }
    // The queries must have found things, or the comparison proves little.
    QVERIFY(nonEmpty > int(queries.size()) / 2);
  }
};

QTEST_APPLESS_MAIN(TestSearchEngine)
#include "test_search_engine.moc"
