// The readers of "files.qx" and "words.qx": line rules, numbering by line position, the
// number field, and the capacity.
#include "logic/datafiles.h"
#include "posix/posixfilesystem.h"
#include "support/lines.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using search::kCapacity;

namespace {

// Every filled entry as "k|first|second", so a table compares as one list.
template <typename Table, typename First, typename Second>
QList<QByteArray> filled(const Table& t, First first, Second second) {
  QList<QByteArray> out;
  for (int k = 1; k <= kCapacity; ++k) {
    const QByteArrayView a = (t.*first)(k);
    const QByteArrayView b = (t.*second)(k);
    if (!a.isEmpty() || !b.isEmpty()) out << QByteArray::number(k) + "|" + a.toByteArray() + "|" + b.toByteArray();
  }
  return out;
}

QList<QByteArray> filledPages(const search::PageTable& t) {
  return filled(t, &search::PageTable::file, &search::PageTable::title);
}
QList<QByteArray> filledWords(const search::WordTable& t) {
  return filled(t, &search::WordTable::word, &search::WordTable::pages);
}

// n lines "k TAB name TAB title", the last one with or without its CR LF.
QByteArray catalogue(int n, bool lastEnds) {
  QByteArray out;
  for (int k = 1; k <= n; ++k) out += QByteArray::number(k) + "\tqx" + QByteArray::number(k) + ".qx\tPage\r\n";
  if (!lastEnds && n > 0) out.chop(2);
  return out;
}

}  // namespace

class TestSearchDataFiles : public QObject {
  Q_OBJECT

 private slots:
  void lines_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QList<QByteArray>>("lines");
    QTest::newRow("CR LF lines") << QByteArray("a\r\nb\r\n") << QList<QByteArray>{"a", "b"};
    QTest::newRow("empty text") << QByteArray() << QList<QByteArray>{};
    QTest::newRow("one empty line") << QByteArray("\r\n") << QList<QByteArray>{""};
    QTest::newRow("blank line inside") << QByteArray("a\r\n\r\nb\r\n") << QList<QByteArray>{"a", "", "b"};
    QTest::newRow("last line without CR LF") << QByteArray("a\r\nb") << QList<QByteArray>{"a", "b"};
    QTest::newRow("no line end at all") << QByteArray("only") << QList<QByteArray>{"only"};
    QTest::newRow("lone CR keeps the next character") << QByteArray("a\rb\r\n") << QList<QByteArray>{"a", "b"};
    QTest::newRow("lone CR before CR LF") << QByteArray("a\r\r\nb\r\n") << QList<QByteArray>{"a", "", "b"};
    QTest::newRow("CR LF eats one LF only") << QByteArray("a\r\n\nb\r\n") << QList<QByteArray>{"a", "\nb"};
    QTest::newRow("lone CR at the end") << QByteArray("a\r") << QList<QByteArray>{"a"};
    QTest::newRow("LF alone is text") << QByteArray("a\nb\r\n") << QList<QByteArray>{"a\nb"};
  }
  void lines() {
    QFETCH(QByteArray, text);
    QFETCH(QList<QByteArray>, lines);
    QList<QByteArray> got;
    search::LineSplitter splitter(text);
    while (!splitter.atEnd()) got << splitter.next().toByteArray();
    QCOMPARE(got, lines);
  }

  void numbers_data() {
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<int>("int16");  // -1 stands for "not converted"; no case needs -1 itself
    QTest::addColumn<int>("page");   // 0 for "not a page"
    QTest::newRow("plain") << QByteArray("7") << 7 << 7;
    QTest::newRow("blanks around") << QByteArray("  12 ") << 12 << 12;
    QTest::newRow("plus sign") << QByteArray("+5") << 5 << 5;
    QTest::newRow("leading zeros") << QByteArray("00042") << 42 << 42;
    QTest::newRow("int16 low end") << QByteArray("-32768") << -32768 << 0;
    QTest::newRow("int16 high end") << QByteArray("32767") << 32767 << 0;
    QTest::newRow("int16 overflow") << QByteArray("32768") << -1 << 0;
    QTest::newRow("int16 underflow") << QByteArray("-32769") << -1 << 0;
    QTest::newRow("last page") << QByteArray("12400") << 12400 << 12400;
    QTest::newRow("past the last page") << QByteArray("12401") << 12401 << 0;
    QTest::newRow("zero") << QByteArray("0") << 0 << 0;
    QTest::newRow("letters") << QByteArray("abc") << -1 << 0;
    QTest::newRow("empty") << QByteArray("") << -1 << 0;
    QTest::newRow("blanks only") << QByteArray("   ") << -1 << 0;
    QTest::newRow("sign only") << QByteArray("-") << -1 << 0;
    QTest::newRow("blank after sign") << QByteArray("- 5") << -1 << 0;
    QTest::newRow("inner blank") << QByteArray("1 2") << -1 << 0;
    QTest::newRow("fraction") << QByteArray("1.5") << -1 << 0;
    QTest::newRow("exponent") << QByteArray("1e3") << -1 << 0;
    QTest::newRow("hex") << QByteArray("&H10") << -1 << 0;
    QTest::newRow("trailing letter") << QByteArray("12x") << -1 << 0;
    QTest::newRow("digits past any range") << QByteArray("99999999999999999999") << -1 << 0;
  }
  void numbers() {
    QFETCH(QByteArray, field);
    QFETCH(int, int16);
    QFETCH(int, page);
    QCOMPARE(search::toInt16(field).value_or(-1), int16);
    QCOMPARE(search::toPageNumber(field).value_or(0), page);
  }

  void pageTable_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<QByteArray>>("entries");
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("stoppedAtLine");
    QTest::newRow("two pages") << crlf({"1\tqx010001.qx\tIntroduction", "2\tqx010002.qx\tOhm's law"})
                               << QList<QByteArray>{"1|qx010001.qx|Introduction", "2|qx010002.qx|Ohm's law"} << 2 << 0;
    QTest::newRow("blank line uses up its number") << crlf({"1\ta.qx\tA", "2\tb.qx\tB", "", "4\td.qx\tD"})
                                                   << QList<QByteArray>{"1|a.qx|A", "2|b.qx|B", "4|d.qx|D"} << 4 << 0;
    QTest::newRow("one TAB only: number checked, entry empty")
        << crlf({"7\tqx010001.qx", "8\tb.qx\tB"}) << QList<QByteArray>{"2|b.qx|B"} << 2 << 0;
    QTest::newRow("title keeps its TABs")
        << crlf({"1\ta.qx\tPart\tone\t"}) << QList<QByteArray>{"1|a.qx|Part\tone\t"} << 1 << 0;
    QTest::newRow("empty name and title") << crlf({"1\t\t", "2\tb.qx\tB"}) << QList<QByteArray>{"2|b.qx|B"} << 2 << 0;
    QTest::newRow("line without TAB is not a number check")
        << crlf({"hello", "2\tb.qx\tB"}) << QList<QByteArray>{"2|b.qx|B"} << 2 << 0;
    QTest::newRow("bad number ends the file") << crlf({"1\ta.qx\tA", "2\tb.qx\tB", "abc\tc.qx\tC", "4\td.qx\tD"})
                                              << QList<QByteArray>{"1|a.qx|A", "2|b.qx|B"} << 2 << 3;
    QTest::newRow("number out of range ends the file")
        << crlf({"1\ta.qx\tA", "40000\tb.qx\tB", "3\tc.qx\tC"}) << QList<QByteArray>{"1|a.qx|A"} << 1 << 2;
    QTest::newRow("empty number ends the file") << crlf({"\ta.qx\tA", "2\tb.qx\tB"}) << QList<QByteArray>{} << 0 << 1;
    QTest::newRow("number with blanks and sign")
        << crlf({" +1 \ta.qx\tA", "-2\tb.qx\tB"}) << QList<QByteArray>{"1|a.qx|A", "2|b.qx|B"} << 2 << 0;
    QTest::newRow("numbers are not the entry numbers")
        << crlf({"9\ta.qx\tA", "9\tb.qx\tB"}) << QList<QByteArray>{"1|a.qx|A", "2|b.qx|B"} << 2 << 0;
    QTest::newRow("last line without CR LF")
        << QByteArray("1\ta.qx\tA\r\n2\tb.qx\tB") << QList<QByteArray>{"1|a.qx|A", "2|b.qx|B"} << 2 << 0;
    QTest::newRow("lone CR") << QByteArray("1\ta.qx\tA\r2\tb.qx\tB\r\n") << QList<QByteArray>{"1|a.qx|A", "2|b.qx|B"}
                             << 2 << 0;
    QTest::newRow("empty file") << QByteArray() << QList<QByteArray>{} << 0 << 0;
    QTest::newRow("Windows-1252 bytes kept as they are")
        << crlf({"1\ta.qx\t25\xB0" "C, 10 \xB5" "A"}) << QList<QByteArray>{"1|a.qx|25\xB0" "C, 10 \xB5" "A"} << 1 << 0;
  }
  void pageTable() {
    QFETCH(QByteArray, bytes);
    QFETCH(QList<QByteArray>, entries);
    QFETCH(int, lines);
    QFETCH(int, stoppedAtLine);
    const auto table = search::PageTable::read(bytes);
    QCOMPARE(filledPages(table), entries);
    QCOMPARE(table.status().lines, lines);
    QCOMPARE(table.status().stoppedAtLine, stoppedAtLine);
    QVERIFY(!table.status().tooMany);
  }

  void wordTable_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<QByteArray>>("entries");
    QTest::newRow("words and their page lists, kept as written")
        << crlf({"ohm\t2\t7\t", "  law \t8\t", "resistor\t1\t2"})
        << QList<QByteArray>{"1|ohm|2\t7\t", "2|  law |8\t", "3|resistor|1\t2"};
    QTest::newRow("line without TAB and blank line use up their numbers")
        << crlf({"lonely", "", "ohm\t2\t"}) << QList<QByteArray>{"3|ohm|2\t"};
    QTest::newRow("empty word, empty list") << crlf({"\t5\t", "amp\t"}) << QList<QByteArray>{"1||5\t", "2|amp|"};
    QTest::newRow("a first field that is no number is fine here")
        << crlf({"abc\t1\t", "12\t2\t"}) << QList<QByteArray>{"1|abc|1\t", "2|12|2\t"};
    QTest::newRow("last line without CR LF")
        << QByteArray("a\t1\t\r\nb\t2\t") << QList<QByteArray>{"1|a|1\t", "2|b|2\t"};
  }
  void wordTable() {
    QFETCH(QByteArray, bytes);
    QFETCH(QList<QByteArray>, entries);
    const auto table = search::WordTable::read(bytes);
    QCOMPARE(filledWords(table), entries);
    QCOMPARE(table.status().stoppedAtLine, 0);
  }

  void capacity_data() {
    QTest::addColumn<int>("lines");
    QTest::addColumn<bool>("lastEnds");
    QTest::addColumn<bool>("tooMany");
    QTest::newRow("exactly full") << kCapacity << true << false;
    QTest::newRow("exactly full, last line without CR LF") << kCapacity << false << false;
    QTest::newRow("one line too many") << kCapacity + 1 << true << true;
    QTest::newRow("one line too many, without CR LF") << kCapacity + 1 << false << true;
    QTest::newRow("far too many") << 2 * kCapacity << true << true;
  }
  void capacity() {
    QFETCH(int, lines);
    QFETCH(bool, lastEnds);
    QFETCH(bool, tooMany);
    const QByteArray bytes = catalogue(lines, lastEnds);

    const auto pages = search::PageTable::read(bytes);
    QCOMPARE(pages.status().tooMany, tooMany);
    QCOMPARE(pages.status().lines, kCapacity);
    QCOMPARE(pages.file(1), QByteArrayView("qx1.qx"));
    QCOMPARE(pages.file(kCapacity), QByteArrayView("qx12400.qx"));
    QCOMPARE(pages.title(kCapacity), QByteArrayView("Page"));
    // Nothing is kept or read outside the entries.
    QVERIFY(pages.file(0).isEmpty());
    QVERIFY(pages.file(kCapacity + 1).isEmpty());
    QVERIFY(pages.title(-1).isEmpty());

    // "words.qx" counts its lines the same way.
    const auto words = search::WordTable::read(bytes);
    QCOMPARE(words.status().tooMany, tooMany);
    QCOMPARE(words.word(kCapacity), QByteArrayView(QByteArray::number(kCapacity)));
    QVERIFY(words.word(kCapacity + 1).isEmpty());
  }

  void defaultTablesAreEmpty() {
    const search::PageTable pages;
    const search::WordTable words;
    QVERIFY(pages.file(1).isEmpty());
    QVERIFY(words.pages(kCapacity).isEmpty());
    QCOMPARE(pages.status().lines, 0);
  }

  // Only a regular file is read whole; a FIFO would keep the reading waiting for ever.
  void readWholeFileReadsOnlyRegularFiles() {
    QTemporaryDir dir;
    PosixFileSystem files;
    const QString file = dir.filePath("files.qx"), fifo = dir.filePath("fifo.qx");
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("1\tqxa.qx\tStart\r\n");
    f.close();
    const auto read = search::readWholeFile(files, file);
    QVERIFY(read);
    QCOMPARE(*read, QByteArray("1\tqxa.qx\tStart\r\n"));
    QCOMPARE(read.error(), QString());
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    for (const auto& [path, why] :
         {std::pair{dir.filePath("missing.qx"), "there is no such file"}, std::pair{fifo, "it is not a regular file"},
          std::pair{dir.path(), "it is a folder"}}) {
      const auto refused = search::readWholeFile(files, path);
      QVERIFY(!refused);
      QCOMPARE(refused.error(), QString::fromLatin1(why));
    }
  }

  void readingThatEndsEarlySaysWhereAndWhy() {
    const auto pages = search::PageTable::read(crlf({"1\tqxa.qx\tA", "x\tqxb.qx\tB", "3\tqxc.qx\tC"}));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("files.qx.*line 2.*does not convert"));
    search::logReadStatus(QStringLiteral("files.qx"), pages.status());
    search::ReadStatus full;
    full.tooMany = true;
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("words.qx.*more than 12400 lines"));
    search::logReadStatus(QStringLiteral("words.qx"), full);
  }

  // What the writers make, the readers read back field for field.
  void writtenLinesReadBack() {
    QByteArray files, words;
    search::appendPageLine(files, 1, "qxa.qx", "Start");
    search::appendPageLine(files, 2, "b.qx", "Title\twith a TAB");
    search::appendPageLine(files, 3, "c.qx", "");
    const std::uint16_t many[] = {1, 9, 10, 99, 100, 12400};
    search::appendWordLine(words, "OHM", many);
    search::appendWordLine(words, "NONE", {});
    QCOMPARE(files, crlf({"1\tqxa.qx\tStart", "2\tb.qx\tTitle\twith a TAB", "3\tc.qx\t"}));
    QCOMPARE(words, crlf({"OHM\t1\t9\t10\t99\t100\t12400\t", "NONE\t"}));

    const auto pages = search::PageTable::read(files);
    QCOMPARE(filledPages(pages), (QList<QByteArray>{"1|qxa.qx|Start", "2|b.qx|Title\twith a TAB", "3|c.qx|"}));
    QCOMPARE(pages.status().lines, 3);
    const auto table = search::WordTable::read(words);
    QCOMPARE(table.word(1), "OHM");
    QList<int> read;
    for (const QByteArray& piece : table.pages(1).toByteArray().split('\t'))
      if (const auto page = search::toPageNumber(piece)) read << *page;
    QCOMPARE(read, (QList<int>{1, 9, 10, 99, 100, 12400}));
    QCOMPARE(table.word(2), "NONE");
    QCOMPARE(table.pages(2), "");
  }

  void nameField_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("fits");
    QTest::newRow("plain") << "qx010001.qx" << true;
    QTest::newRow("blank and accent") << u"Übung 1.qx"_qs << true;
    QTest::newRow("TAB") << "a\tb.qx" << false;
    QTest::newRow("CR") << "a\rb.qx" << false;
    QTest::newRow("LF") << "a\nb.qx" << false;
  }
  void nameField() {
    QFETCH(QString, name);
    QFETCH(bool, fits);
    QCOMPARE(search::fitsNameField(name), fits);
  }
};

QTEST_APPLESS_MAIN(TestSearchDataFiles)
#include "test_search_datafiles.moc"
