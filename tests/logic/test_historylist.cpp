// The history window's list: how the log is cut into records, when the records are looked
// up in the catalogue, which titles a record lists and in which order, and which page an
// item opens. Every case is also held against the plain step-by-step list, and on random
// and generated data the two must agree item for item.
#include "support/coursedata.h"

#include "logic/historylist.h"
#include "support/lines.h"
#include "support/straighthistory.h"

#include <QLoggingCategory>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>

#include <optional>

using history::kCapacity;

namespace {

using Catalogue = std::optional<QByteArray>;

// Entry 4's name lies inside entry 5's, and comes first; entry 6 shares entry 3's name;
// entry 11 has no name, so entry 12 is never looked at.
const QByteArray kFiles = crlf({
    "1\tqx010005.qx\tCapacitors",
    "2\tqx010006.qx\tInductors",
    "3\tqx070012.qx\tTransformers",
    "4\ta.qx\tThe a page",
    "5\tqxa.qx\tStart page",
    "6\tqx070012.qx\tTransformers, part 2",
    "7\t  qx020001.qx  \tSpaced name",
    "8\tQX030001.QX\tUpper name",
    "9\t\xE4nderung.qx\t\xC4nderungen",
    "10\tqx040001.qx\tTitle\twith a TAB",
    "11\t\tNo name",
    "12\tqx090001.qx\tAfter the gap",
});

// One item as "text|histPage".
QList<QByteArray> itemsOf(const history::HistoryList& list) {
  QList<QByteArray> out;
  for (int i = 0; i < list.size(); ++i) out << list.textBytes(i).toByteArray() + '|' + list.histPage(i).toByteArray();
  return out;
}
QList<QByteArray> itemsOf(const history::StraightList& list) {
  QList<QByteArray> out;
  for (const history::StraightItem& item : list.items) out << item.text + '|' + item.histPage;
  return out;
}

// Records listed as they are stored, without a title look-up.
QList<QByteArray> asStored(const QList<QByteArray>& records) {
  QList<QByteArray> out;
  for (const QByteArray& r : records) out << r + '|';
  return out;
}

QByteArray records(int n, const QByteArray& lastEnd = "\r\n") {
  QByteArray out;
  for (int k = 1; k <= n; ++k) out += "\"qx" + QByteArray::number(k) + ".qx\"" + (k == n ? lastEnd : "\r\n");
  return out;
}
QByteArray catalogueLines(int n) {
  QByteArray out;
  for (int k = 1; k <= n; ++k)
    out += QByteArray::number(k) + "\tqx" + QByteArray::number(k) + ".qx\tPage " + QByteArray::number(k) + "\r\n";
  return out;
}

void compareWithStraight(const QByteArray& log, const Catalogue& catalogue) {
  const history::HistoryList list = history::HistoryList::load(log, catalogue);
  const history::StraightList straight = history::straightLoad(log, catalogue);
  QCOMPARE(list.titled(), straight.titled);
  QCOMPARE(list.tooManyRecords(), straight.tooManyRecords);
  QCOMPARE(itemsOf(list), itemsOf(straight));
}

void expectWarning(const QString& text) {
  QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QRegularExpression::escape(text)));
}

QByteArray randomText(QRandomGenerator& rnd, const QByteArray& letters, int shortest, int longest) {
  QByteArray out;
  for (int n = int(rnd.bounded(shortest, longest + 1)); n > 0; --n)
    out += letters[int(rnd.bounded(int(letters.size())))];
  return out;
}

}  // namespace

class TestHistoryList : public QObject {
  Q_OBJECT

 private slots:
  // Without a catalogue every record is listed as it is stored.
  void split_data() {
    QTest::addColumn<QByteArray>("log");
    QTest::addColumn<QList<QByteArray>>("records");
    QTest::newRow("CR LF records") << QByteArray("\"qx010005.qx\"\r\n\"qx010006.qx\"\r\n")
                                   << QList<QByteArray>{"\"qx010005.qx\"", "\"qx010006.qx\""};
    QTest::newRow("empty log") << QByteArray() << QList<QByteArray>{};
    QTest::newRow("last record without CR LF") << QByteArray("\"a\"\r\n\"b\"") << QList<QByteArray>{"\"a\"", "\"b\""};
    QTest::newRow("no line end at all") << QByteArray("\"a\"") << QList<QByteArray>{"\"a\""};
    QTest::newRow("blank record kept") << QByteArray("\"a\"\r\n\r\n\"b\"\r\n")
                                       << QList<QByteArray>{"\"a\"", "", "\"b\""};
    QTest::newRow("spaces kept") << QByteArray("  \"a\" \r\n") << QList<QByteArray>{"  \"a\" "};
    QTest::newRow("lone CR passes over the next character")
        << QByteArray("\"a\"\r\"b\"\r\n") << QList<QByteArray>{"\"a\"", "b\""};
    QTest::newRow("CR as the last character") << QByteArray("\"a\"\r") << QList<QByteArray>{"\"a\""};
    QTest::newRow("CR CR LF") << QByteArray("\"a\"\r\r\n\"b\"\r\n") << QList<QByteArray>{"\"a\"", "\n\"b\""};
    QTest::newRow("lone LF is part of the record")
        << QByteArray("\"a\"\n\"b\"\r\n") << QList<QByteArray>{"\"a\"\n\"b\""};
    QTest::newRow("LF after CR LF starts the next record")
        << QByteArray("\"a\"\r\n\n\"b\"\r\n") << QList<QByteArray>{"\"a\"", "\n\"b\""};
  }
  void split() {
    QFETCH(QByteArray, log);
    QFETCH(QList<QByteArray>, records);
    history::HistoryList list;
    list.setLog(log);
    QCOMPARE(itemsOf(list), asStored(records));
    QVERIFY(!list.titled());
    QVERIFY(!list.tooManyRecords());
    QCOMPARE(itemsOf(history::straightLoad(log, std::nullopt)), asStored(records));
  }

  void capacity_data() {
    QTest::addColumn<QByteArray>("log");
    QTest::addColumn<bool>("tooMany");
    QTest::newRow("exactly the capacity") << records(kCapacity) << false;
    QTest::newRow("the capacity, last without CR LF") << records(kCapacity, "") << false;
    QTest::newRow("one more") << records(kCapacity + 1) << true;
    QTest::newRow("one more, without CR LF") << records(kCapacity + 1, "") << true;
    QTest::newRow("the capacity and a stray CR") << records(kCapacity) + "\r" << true;
  }
  void capacity() {
    QFETCH(QByteArray, log);
    QFETCH(bool, tooMany);
    for (const Catalogue& catalogue : {Catalogue(), Catalogue(catalogueLines(kCapacity))}) {
      if (!catalogue) expectWarning("no page catalogue");
      const history::HistoryList list = history::HistoryList::load(log, catalogue);
      QCOMPARE(list.tooManyRecords(), tooMany);
      QCOMPARE(list.titled(), catalogue.has_value());
      QCOMPARE(list.size(), kCapacity);
      QCOMPARE(list.text(0), catalogue ? QStringLiteral("Page 1") : QStringLiteral("\"qx1.qx\""));
      QCOMPARE(list.text(kCapacity - 1), catalogue ? QStringLiteral("Page 12400") : QStringLiteral("\"qx12400.qx\""));
    }
  }

  void lookup_data() {
    QTest::addColumn<QByteArray>("log");
    QTest::addColumn<QList<QByteArray>>("items");
    QTest::newRow("visits in order, a repeat listed again")
        << crlf({"\"qx010005.qx\"", "\"qx010006.qx\"", "\"qx010005.qx\""})
        << QList<QByteArray>{"Capacitors|qx010005.qx", "Inductors|qx010006.qx", "Capacitors|qx010005.qx"};
    QTest::newRow("a page not in the catalogue adds nothing")
        << crlf({"\"qx010005.qx\"", "\"qx990001.qx\"", "\"qx010006.qx\""})
        << QList<QByteArray>{"Capacitors|qx010005.qx", "Inductors|qx010006.qx"};
    QTest::newRow("duplicate catalogue names each list")
        << crlf({"\"qx070012.qx\""})
        << QList<QByteArray>{"Transformers|qx070012.qx", "Transformers, part 2|qx070012.qx"};
    QTest::newRow("upper-case record") << crlf({"\"QX070012.QX\""})
                                       << QList<QByteArray>{"Transformers|qx070012.qx",
                                                            "Transformers, part 2|qx070012.qx"};
    QTest::newRow("upper-case catalogue name")
        << crlf({"\"qx030001.qx\""}) << QList<QByteArray>{"Upper name|QX030001.QX"};
    QTest::newRow("Windows-1252 letters of either case")
        << crlf({"\"\xC4NDERUNG.QX\""}) << QList<QByteArray>{"\xC4nderungen|\xE4nderung.qx"};
    QTest::newRow("a name inside another, in catalogue order")
        << crlf({"\"qxa.qx\""}) << QList<QByteArray>{"The a page|a.qx", "Start page|qxa.qx"};
    QTest::newRow("two names in one record, in catalogue order")
        << crlf({"\"qx010006.qx\"\"qx010005.qx\""})
        << QList<QByteArray>{"Capacitors|qx010005.qx", "Inductors|qx010006.qx"};
    QTest::newRow("a name twice in one record lists once")
        << crlf({"\"qx010005.qx qx010005.qx\""}) << QList<QByteArray>{"Capacitors|qx010005.qx"};
    QTest::newRow("record without quotes: the first character is passed over")
        << crlf({"qx010005.qx", "  qx010006.qx  ", "xqx010005.qx"}) << QList<QByteArray>{"Capacitors|qx010005.qx"};
    QTest::newRow("catalogue name trimmed, kept as stored")
        << crlf({"\"qx020001.qx\""}) << QList<QByteArray>{"Spaced name|  qx020001.qx  "};
    QTest::newRow("title with a TAB") << crlf({"\"qx040001.qx\""})
                                      << QList<QByteArray>{"Title\twith a TAB|qx040001.qx"};
    QTest::newRow("names after the first empty one are not looked at")
        << crlf({"\"qx090001.qx\""}) << QList<QByteArray>{};
    QTest::newRow("blank, spaces-only and one-character records")
        << crlf({"", "   ", "\"", " \" "}) << QList<QByteArray>{};
    QTest::newRow("last record without CR LF") << QByteArray("\"qx010005.qx\"\r\n\"qx010006.qx\"")
                                               << QList<QByteArray>{"Capacitors|qx010005.qx", "Inductors|qx010006.qx"};
  }
  void lookup() {
    QFETCH(QByteArray, log);
    QFETCH(QList<QByteArray>, items);
    const history::HistoryList list = history::HistoryList::load(log, kFiles);
    QVERIFY(list.titled());
    QCOMPARE(itemsOf(list), items);
    QCOMPARE(itemsOf(history::straightLoad(log, kFiles)), items);
  }

  // When the records are listed as they are stored instead of looked up.
  void catalogueNotReadToItsEnd_data() {
    QTest::addColumn<Catalogue>("catalogue");
    QTest::addColumn<bool>("titled");
    QTest::addColumn<bool>("tooManyFiles");
    QTest::addColumn<int>("stoppedAtLine");
    QTest::addColumn<QString>("warning");  // what the reader is not told
    QTest::newRow("absent") << Catalogue() << false << false << 0 << "no page catalogue files.qx";
    QTest::newRow("a page number that does not convert")
        << Catalogue(crlf({"1\tqx010005.qx\tCapacitors", "abc\tqx010006.qx\tInductors"})) << false << false << 2
        << "files.qx line 2 has a page number that does not convert";
    QTest::newRow("a page number out of range")
        << Catalogue(crlf({"1\tqx010005.qx\tCapacitors", "2\tqx010006.qx\tInductors", "32768\tx\ty"})) << false << false
        << 3 << "files.qx line 3 has a page number that does not convert";
    // The user is told "Too many files!".
    QTest::newRow("too many lines") << Catalogue(catalogueLines(kCapacity + 1)) << false << true << 0 << "";
    QTest::newRow("exactly the capacity") << Catalogue(catalogueLines(kCapacity)) << true << false << 0 << "";
    QTest::newRow("a line without TABs") << Catalogue(crlf({"1\tqx010005.qx\tCapacitors", "junk"})) << true << false
                                         << 0 << "";
    QTest::newRow("empty") << Catalogue(QByteArray()) << true << false << 0 << "";
  }
  void catalogueNotReadToItsEnd() {
    QFETCH(Catalogue, catalogue);
    QFETCH(bool, titled);
    QFETCH(bool, tooManyFiles);
    QFETCH(int, stoppedAtLine);
    QFETCH(QString, warning);
    const QByteArray log = crlf({"\"qx010005.qx\"", "\"qx1.qx\""});
    if (!warning.isEmpty()) expectWarning(warning);
    const history::HistoryList list = history::HistoryList::load(log, catalogue);
    QCOMPARE(list.titled(), titled);
    QCOMPARE(list.catalogueStatus().has_value(), catalogue.has_value());
    if (catalogue) {
      QCOMPARE(list.catalogueStatus()->tooMany, tooManyFiles);
      QCOMPARE(list.catalogueStatus()->stoppedAtLine, stoppedAtLine);
    }
    if (!titled) {
      QCOMPARE(itemsOf(list), asStored({"\"qx010005.qx\"", "\"qx1.qx\""}));
    } else {
      // Whatever the catalogue names, no record is listed as it is stored.
      for (int i = 0; i < list.size(); ++i) QVERIFY(!list.histPage(i).isEmpty());
    }
    QCOMPARE(itemsOf(list), itemsOf(history::straightLoad(log, catalogue)));
  }

  void pageToOpen_data() {
    QTest::addColumn<Catalogue>("catalogue");
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<QString>("page");
    QTest::newRow("title: the catalogue name") << Catalogue(kFiles) << QByteArray("\"qx010005.qx\"") << "qx010005.qx";
    QTest::newRow("title: the catalogue name trimmed")
        << Catalogue(kFiles) << QByteArray("\"qx020001.qx\"") << "qx020001.qx";
    QTest::newRow("title: the catalogue's spelling, not the record's")
        << Catalogue(kFiles) << QByteArray("\"qx030001.qx\"") << "QX030001.QX";
    QTest::newRow("record: without its quotation marks")
        << Catalogue() << QByteArray("\"qx010005.qx\"") << "qx010005.qx";
    QTest::newRow("record: trimmed") << Catalogue() << QByteArray("  \"qxa.qx\" ") << "qxa.qx";
    QTest::newRow("record: Windows-1252") << Catalogue() << QByteArray("\"\xE4.qx\"") << QString::fromUtf8("ä.qx");
    QTest::newRow("record: nothing to open") << Catalogue() << QByteArray("\"\"") << "";
  }
  void pageToOpen() {
    QFETCH(Catalogue, catalogue);
    QFETCH(QByteArray, record);
    QFETCH(QString, page);
    if (!catalogue) expectWarning("no page catalogue");
    const history::HistoryList list = history::HistoryList::load(record + "\r\n", catalogue);
    QCOMPARE(list.size(), 1);
    QCOMPARE(list.pageToOpen(0), page);
    QCOMPARE(list.pageToOpen(1), QString());
    QCOMPARE(list.pageToOpen(-1), QString());
  }

  // A second opening starts afresh: nothing of the first list is left.
  void reloaded() {
    history::HistoryList list = history::HistoryList::load(crlf({"\"qx010005.qx\""}), kFiles);
    QCOMPARE(list.size(), 1);
    list = history::HistoryList::load(crlf({"\"qx010005.qx\"", "\"qx010006.qx\""}), kFiles);
    QCOMPARE(itemsOf(list), (QList<QByteArray>{"Capacitors|qx010005.qx", "Inductors|qx010006.qx"}));
    list.setLog(crlf({"\"qx010006.qx\""}));
    expectWarning("no page catalogue");
    list.lookUpTitles(std::nullopt);
    QCOMPARE(itemsOf(list), asStored({"\"qx010006.qx\""}));
    QVERIFY(!list.titled());
  }

  // Small random logs and catalogues over a few letters, so names often lie inside each
  // other and inside records, in either case, with quotation marks, spaces, CRs and LFs.
  void sameAsStraightOnRandomData() {
    QLoggingCategory::setFilterRules(QStringLiteral("tavrin.history.warning=false"));
    const auto restore = qScopeGuard([] { QLoggingCategory::setFilterRules(QString()); });
    QRandomGenerator rnd(61101);
    static const QByteArray kNameLetters = "aAbB.\xE4\xC4 ";
    static const QByteArray kRecordLetters = "aAbB.\xE4\xC4 \"\n";
    for (int round = 0; round < 400; ++round) {
      QByteArray files;
      const int lines = int(rnd.bounded(0, 40));
      for (int k = 1; k <= lines; ++k) {
        const int kind = int(rnd.bounded(100));
        if (kind < 2)
          files += "\r\n";  // a blank line: an empty name that ends the look-up
        else if (kind < 4)
          files += QByteArray::number(k) + "\t\tno name\r\n";
        else
          files += QByteArray::number(k) + '\t' + randomText(rnd, kNameLetters, 1, 4) + "\tT" + QByteArray::number(k) +
                   "\r\n";
      }
      if (rnd.bounded(50) == 0) files += "x\ty\tz\r\n";  // a number that does not convert
      QByteArray log;
      for (int n = int(rnd.bounded(0, 30)); n > 0; --n) {
        log += randomText(rnd, kRecordLetters, 0, 10);
        const int end = int(rnd.bounded(20));
        log += end == 0 ? "\r" : end == 1 ? "" : "\r\n";
      }
      const Catalogue catalogue = rnd.bounded(20) == 0 ? Catalogue() : Catalogue(files);
      compareWithStraight(log, catalogue);
    }
  }

  // Course-like data: every page visited several times in a random order, some in capitals,
  // some not in the catalogue, some blank; the messy catalogue has shared and empty names.
  void sameAsStraightOnCourseData_data() {
    QTest::addColumn<bool>("messy");
    QTest::newRow("clean catalogue") << false;
    QTest::newRow("messy catalogue") << true;
  }
  void sameAsStraightOnCourseData() {
    QFETCH(bool, messy);
    coursedata::Options options;
    options.pages = 1500;
    options.words = 10;
    options.longestList = 5;
    options.messy = messy;
    const QByteArray files = coursedata::generate(options).filesQx;
    QRandomGenerator rnd(4242);
    QByteArray log;
    for (int n = 0; n < 3000; ++n) {
      const int kind = int(rnd.bounded(50));
      const int module = int(rnd.bounded(1, 25));
      QByteArray name = "qx" + QByteArray::number(module).rightJustified(2, '0') +
                        QByteArray::number(rnd.bounded(1, 70)).rightJustified(4, '0') + ".qx";
      if (kind == 0) name = name.toUpper();
      if (kind == 1) name = "mod07c.qx";
      log += kind == 2 ? "\r\n" : '"' + name + "\"\r\n";
    }
    compareWithStraight(log, files);
  }
};

QTEST_GUILESS_MAIN(TestHistoryList)
#include "test_historylist.moc"
