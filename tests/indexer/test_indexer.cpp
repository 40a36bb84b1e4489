// tavrin-index's rules: which pages it numbers and in which order, what a page's title and
// text are, what a word is, and the bytes of the two files, read back by the reader's own
// readers and searched by its engine.
#include "indexer.h"
#include "logic/datafiles.h"
#include "logic/searchengine.h"
#include "manywords.h"
#include "support/lines.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using search::kCapacity;

namespace {

// A page as a table row holds it: name, HTML, and "indexed" or "listed".
using PageRow = QStringList;

Result<indexer::Output> build(const QList<PageRow>& pages) {
  indexer::Builder builder;
  for (const PageRow& p : pages) {
    if (auto refusal = builder.addPage(p[0], QStringView(p[1]), p[2] == u"indexed"))
      return Result<indexer::Output>::failed(*refusal);
  }
  return builder.finish();
}

QString html(const QString& title, const QString& body) {
  return QStringLiteral("<html><head><title>%1</title></head><body><main>%2</main></body></html>").arg(title, body);
}

QByteArray joined(const QList<QByteArray>& words) { return words.join(' '); }

}  // namespace

class TestIndexer : public QObject {
  Q_OBJECT

 private slots:
  void roles_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("role");
    const int skipped = int(indexer::Role::Skipped), listed = int(indexer::Role::Listed),
              indexed = int(indexer::Role::Indexed);
    QTest::newRow("start page a") << "qxa.qx" << indexed;
    QTest::newRow("start page g") << "qxg.qx" << listed;
    QTest::newRow("contents page a") << "qxcra.qx" << indexed;
    QTest::newRow("contents page c") << "qxcrc.qx" << listed;
    QTest::newRow("module page") << "qx070012.qx" << indexed;
    QTest::newRow("module table page") << "qx240326.qx" << indexed;
    QTest::newRow("other page") << "glossary.qx" << indexed;
    QTest::newRow("capital S: not the trigger") << "Search.qx" << indexed;
    QTest::newRow("no layout h") << "qxpracz.qx" << indexed;
    QTest::newRow("module class page") << "mod07c.qx" << skipped;
    QTest::newRow("objectives class page") << "obj24g.qx" << skipped;
    QTest::newRow("review class page") << "rev01a.qx" << skipped;
    QTest::newRow("further class page") << "qxpracd.qx" << skipped;
    QTest::newRow("course summary") << "qxsumma.qx" << skipped;
    QTest::newRow("tech tips") << "qxtechb.qx" << skipped;
    QTest::newRow("videos") << "qxtvidg.qx" << skipped;
    QTest::newRow("search trigger") << "search.qx" << skipped;
    QTest::newRow("index trigger") << "index.qx" << skipped;
    QTest::newRow("history trigger") << "hist.qx" << skipped;
    QTest::newRow("title video") << "title.qx" << skipped;
    QTest::newRow("figure video") << "fig0312.qx" << skipped;
    QTest::newRow("tech-tip video") << "ttv07.qx" << skipped;
    QTest::newRow("any name beginning v is narration") << "vocabulary.qx" << skipped;
    QTest::newRow("not .qx") << "qx010001.html" << skipped;
    QTest::newRow(".qx in capitals") << "qx010001.QX" << skipped;
    QTest::newRow(".qx alone") << ".qx" << skipped;
  }
  void roles() {
    QFETCH(QString, name);
    QFETCH(int, role);
    QCOMPARE(int(indexer::roleOf(name)), role);
  }

  void numbering() {
    const QStringList names = {"qx020001.qx", "glossary.qx", "qxcrb.qx",    "mod01a.qx", "qxb.qx",    "appendix.qx",
                               "qx010197.qx", "qxa.qx",      "qx010001.qx", "qxcra.qx",  "search.qx", "qx010002.qx"};
    QStringList order;
    for (const auto& page : indexer::catalogue(names)) order << page.name + (page.indexed ? "" : " (listed)");
    QCOMPARE(order, (QStringList{"qxa.qx", "qxb.qx (listed)", "qxcra.qx", "qxcrb.qx (listed)", "qx010001.qx",
                                 "qx010002.qx", "qx010197.qx", "qx020001.qx", "appendix.qx", "glossary.qx"}));
  }

  void decoding_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("UTF-8") << QByteArray("Widerst\xC3\xA4nde \xE2\x80\x93 k\xCE\xA9") << u"Widerstände – kΩ"_qs;
    QTest::newRow("UTF-8 with a byte-order mark") << QByteArray("\xEF\xBB\xBFOhm") << u"Ohm"_qs;
    QTest::newRow("not UTF-8: Windows-1252") << QByteArray("Widerst\xE4nde \x96 \x80") << u"Widerstände – €"_qs;
    QTest::newRow("ASCII") << QByteArray("plain") << u"plain"_qs;
  }
  void decoding() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(indexer::decodePage(bytes), text);
  }

  void titles_data() {
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("title");
    QTest::newRow("plain") << "<title>Ohm's law</title>"
                           << "Ohm's law";
    QTest::newRow("white space collapsed") << "<TITLE>\n  Module\t 2:\r\n Capacitors  </TITLE>"
                                           << "Module 2: Capacitors";
    QTest::newRow("references") << "<title>A &amp; B &ndash; 10&#160;&#x00B5;F &#150; &lt;tag&gt;</title>"
                                << u"A & B – 10\u00A0µF – <tag>"_qs;
    QTest::newRow("unknown reference kept") << "<title>R&D &bogus; &#;</title>"
                                            << "R&D &bogus; &#;";
    QTest::newRow("tags inside are text") << "<title><b>Bold</b></title>"
                                          << "<b>Bold</b>";
    QTest::newRow("first title only") << "<title>One</title><title>Two</title>"
                                      << "One";
    QTest::newRow("none") << "<p>No title</p>"
                          << "";
    QTest::newRow("unclosed") << "<title>Open to the end"
                              << "Open to the end";
  }
  void titles() {
    QFETCH(QString, page);
    QFETCH(QString, title);
    QCOMPARE(indexer::parsePage(page).title, title);
  }

  // Which text of a page is indexed, seen through the words it gives.
  void text_data() {
    QTest::addColumn<QString>("page");
    QTest::addColumn<QByteArray>("words");
    QTest::newRow("main only, not the bar or the title")
        << "<html><head><title>Title words</title></head><body><nav><a href=x>Next</a></nav>"
           "<main><p>Resistor</p></main><footer>Footer</footer></body></html>"
        << QByteArray("RESISTOR");
    QTest::newRow("every main element") << "<main>Ohm</main><p>between</p><MAIN class=x>Volt</MAIN>"
                                        << QByteArray("OHM VOLT");
    QTest::newRow("nested main") << "<main>Red<main>Green</main>Blue</main>Gray" << QByteArray("RED GREEN BLUE");
    QTest::newRow("unclosed main runs to the end") << "Before<main>Inside" << QByteArray("INSIDE");
    QTest::newRow("no main: body text, not the head")
        << "<head><title>Title</title><meta name=x content=Meta>Stray</head><body><h1>Heading</h1>Text</body>"
        << QByteArray("HEADING TEXT");
    QTest::newRow("head without its end tag ends at the first element of the body")
        << "<head><title>Title</title><link rel=x><p>Shown</p>" << QByteArray("SHOWN");
    QTest::newRow("no head or body tags") << "Plain text<br>volts" << QByteArray("PLAIN TEXT VOLTS");
    QTest::newRow("scripts, styles and comments are not text")
        << "<main>Shown<script>var hidden = '</main>';</script><style>p{hidden}</style><!-- hidden -->Kept</main>"
        << QByteArray("SHOWN KEPT");
    QTest::newRow("every tag separates words") << "<main>Resist<b>ance</b></main>" << QByteArray("RESIST ANCE");
    QTest::newRow("references") << "<main>Th&eacute;venin&nbsp;R&amp;D &#956;F &micro;F</main>"
                                << QByteArray(
                                       "TH\xC9VENIN \xB5"
                                       "F");
    QTest::newRow("quoted > in an attribute")
        << "<main><a title=\"a > b\" href='c>d'>Link</a></main>" << QByteArray("LINK");
    QTest::newRow("< that starts no tag") << "<main>a <b c> 5 < 6 <3 volts</main>" << QByteArray("VOLTS");
    QTest::newRow("doctype and processing instruction")
        << "<!DOCTYPE html><?xml version?><main>Ohm</main>" << QByteArray("OHM");
  }
  void text() {
    QFETCH(QString, page);
    QFETCH(QByteArray, words);
    QCOMPARE(joined(indexer::wordsOf(indexer::parsePage(page).text)), words);
  }

  void words_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("words");
    QTest::newRow("upper-cased, repeats kept") << "Ohm ohm OHM" << QByteArray("OHM OHM OHM");
    QTest::newRow("at least two letters") << "R I2 2N3904 74HC00 50 Hz" << QByteArray("74HC00 HZ");
    QTest::newRow("other characters separate") << "Ohm's non-linear a_b c.d e/f" << QByteArray("OHM NON LINEAR");
    QTest::newRow("Windows-1252 upper case") << u"thévenin widerstände œuvre ÿes šž µf straße"_qs
                                             << QByteArray(
                                                    "TH\xC9VENIN WIDERST\xC4NDE \x8CUVRE \x9F"
                                                    "ES \x8A\x8E \xB5"
                                                    "F STRA\xDF"
                                                    "E");
    QTest::newRow("words Windows-1252 cannot write are left out") << u"kΩ 10kΩ Δt θjc ohm"_qs << QByteArray("OHM");
    QTest::newRow("letters beyond the BMP") << u"a𝛑b 𝐀𝐁 volt"_qs << QByteArray("VOLT");
    QTest::newRow("stop words, in any case")
        << "The resistor AND the Capacitor of it" << QByteArray("RESISTOR CAPACITOR");
    QTest::newRow("nothing") << "" << QByteArray();
  }
  void words() {
    QFETCH(QString, text);
    QFETCH(QByteArray, words);
    QCOMPARE(joined(indexer::wordsOf(text)), words);
  }

  void files_data() {
    QTest::addColumn<QList<PageRow>>("pages");
    QTest::addColumn<QByteArray>("filesQx");
    QTest::addColumn<QByteArray>("wordsQx");
    QTest::newRow("pages numbered, lists ascending, each page once")
        << QList<PageRow>{{"qxa.qx", html("Start", "Resistor and capacitor"), "indexed"},
                          {"qxb.qx", html("Start (b)", "Resistor only here"), "listed"},
                          {"qx010001.qx", html(u"Ohm – law"_qs, "Resistor resistor ohm"), "indexed"}}
        << crlf({"1\tqxa.qx\tStart", "2\tqxb.qx\tStart (b)", "3\tqx010001.qx\tOhm \x96 law"})
        << crlf({"CAPACITOR\t1\t", "OHM\t3\t", "RESISTOR\t1\t3\t"});
    QTest::newRow("words in the order of their codes")
        << QList<PageRow>{{"a.qx", html("A", u"Zener Ärger µF œuvre abc ab"_qs), "indexed"}} << crlf({"1\ta.qx\tA"})
        << crlf({"AB\t1\t", "ABC\t1\t", "ZENER\t1\t", "\x8CUVRE\t1\t",
                 "\xB5"
                 "F\t1\t",
                 "\xC4RGER\t1\t"});
    QTest::newRow("untitled page titled with its name") << QList<PageRow>{{"notes.qx", "<p>Ohm</p>", "indexed"}}
                                                        << crlf({"1\tnotes.qx\tnotes.qx"}) << crlf({"OHM\t1\t"});
    QTest::newRow("page without words") << QList<PageRow>{{"a.qx", html("A", "a 1 2"), "indexed"}}
                                        << crlf({"1\ta.qx\tA"}) << QByteArray();
  }
  void files() {
    QFETCH(QList<PageRow>, pages);
    QFETCH(QByteArray, filesQx);
    QFETCH(QByteArray, wordsQx);
    const auto built = build(pages);
    QVERIFY2(built, qPrintable(built.error()));
    QCOMPARE(built->filesQx, filesQx);
    QCOMPARE(built->wordsQx, wordsQx);
    QCOMPARE(built->pages, int(pages.size()));
    QCOMPARE(built->words, int(wordsQx.count("\r\n")));
  }

  void refusals_data() {
    QTest::addColumn<QList<PageRow>>("pages");
    QTest::addColumn<QStringList>("message");  // parts the message must hold
    QTest::newRow("title outside the code page")
        << QList<PageRow>{{"qxa.qx", html("Start", "ok"), "indexed"}, {"qx010001.qx", html(u"10 kΩ"_qs, ""), "indexed"}}
        << QStringList{"qx010001.qx", "title", u"\"Ω\" (U+03A9)"_qs, "Windows-1252"};
    QTest::newRow("title outside the code page by a reference")
        << QList<PageRow>{{"qx010001.qx", html("&Omega;", ""), "listed"}} << QStringList{"qx010001.qx", "U+03A9"};
    QTest::newRow("title beyond the BMP")
        << QList<PageRow>{{"a.qx", html(u"𝛑"_qs, ""), "indexed"}} << QStringList{"a.qx", "U+1D6D1"};
    QTest::newRow("name outside the code page")
        << QList<PageRow>{{u"qxΩ.qx"_qs, html("T", ""), "indexed"}} << QStringList{u"qxΩ.qx"_qs, "page name", "U+03A9"};
    QTest::newRow("name with a TAB") << QList<PageRow>{{"a\tb.qx", html("T", ""), "indexed"}}
                                     << QStringList{"a\tb.qx", "TAB"};
  }
  void refusals() {
    QFETCH(QList<PageRow>, pages);
    QFETCH(QStringList, message);
    const QString refusal = build(pages).error();
    for (const QString& part : message) QVERIFY2(refusal.contains(part), qPrintable(refusal));
  }

  // Beyond a capacity nothing is refused page by page: the builder counts on, and says how
  // many there are and which came first beyond it.
  void capacity_data() {
    QTest::addColumn<int>("pages");
    QTest::addColumn<int>("words");
    QTest::addColumn<QStringList>("overflows");
    QTest::newRow("exactly full") << kCapacity << kCapacity << QStringList{};
    QTest::newRow("two pages too many")
        << kCapacity + 2 << 1
        << QStringList{"12402 pages to list, but files.qx holds at most 12400; the first beyond them is p12401.qx"};
    QTest::newRow("three words too many")
        << 1 << kCapacity + 3
        << QStringList{
               "12403 different words, but words.qx holds at most 12400; the first beyond them is \"ZQSIY\", "
               "on p1.qx"};
    QTest::newRow("both") << kCapacity + 1 << kCapacity + 1
                          << QStringList{"12401 pages to list", "12401 different words"};
  }
  void capacity() {
    QFETCH(int, pages);
    QFETCH(int, words);
    QFETCH(QStringList, overflows);
    // The words beyond the capacity come on the last page, so that pages beyond the
    // capacity of files.qx count theirs too.
    const QString text = differentWords(words);
    indexer::Builder builder;
    for (int p = 1; p <= pages; ++p) {
      const auto refusal =
          builder.addPage(QStringLiteral("p%1.qx").arg(p),
                          indexer::PageContent{QStringLiteral("Page"), p == pages ? text : QString()}, true);
      QVERIFY2(!refusal, qPrintable(refusal.value_or(QString())));
    }
    const QStringList got = builder.overflows();
    QCOMPARE(got.size(), overflows.size());
    for (qsizetype i = 0; i < got.size(); ++i) QVERIFY2(got[i].startsWith(overflows[i]), qPrintable(got[i]));
    if (overflows.isEmpty()) {
      const indexer::Output out = builder.finish();
      QCOMPARE(out.pages, pages);
      QCOMPARE(out.words, words);
      // The reader takes them all, without its capacity message.
      QVERIFY(!search::PageTable::read(out.filesQx).status().tooMany);
      QVERIFY(!search::WordTable::read(out.wordsQx).status().tooMany);
      QCOMPARE(search::WordTable::read(out.wordsQx).status().lines, kCapacity);
    }
  }

  // What the reader's search finds in the files, in its order: word by word in the file's
  // order, and each word's pages in course order.
  void readBySearch_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<QStringList>("found");
    // RESISTANCE on pages 3 and 4, then RESISTOR on pages 1 and 3.
    QTest::newRow("prefix: word by word, course order within")
        << "res" << QStringList{"qx010001.qx", "qx010002.qx", "qxa.qx"};
    QTest::newRow("any case") << "RESISTOR" << QStringList{"qxa.qx", "qx010001.qx"};
    QTest::newRow("accented, typed in lower case") << u"widerstände"_qs << QStringList{"qx010002.qx"};
    QTest::newRow("two words") << "ohm resist" << QStringList{"qx010001.qx"};
    QTest::newRow("the words of a listed page are not indexed") << "layout" << QStringList{};
    QTest::newRow("stop word") << "the" << QStringList{};
  }
  void readBySearch() {
    QFETCH(QString, input);
    QFETCH(QStringList, found);
    const auto built = build({{"qxa.qx", html("Start", "The resistor"), "indexed"},
                              {"qxb.qx", html("Start (b)", "The resistor in layout b"), "listed"},
                              {"qx010001.qx", html("Ohm", "Ohm: resistor, resistance"), "indexed"},
                              {"qx010002.qx", html("Glossar", u"Resistance: Widerstände"_qs), "indexed"}});
    QVERIFY2(built, qPrintable(built.error()));
    const auto pages = search::PageTable::read(built->filesQx);
    const auto words = search::WordTable::read(built->wordsQx);
    QCOMPARE(pages.status().lines, 4);
    QCOMPARE(pages.status().stoppedAtLine, 0);
    search::SearchEngine engine(pages, words);
    std::vector<int> hits;
    QVERIFY(engine.search(input, hits));
    QStringList names;
    for (int p : hits) names << QString::fromLatin1(pages.file(p));
    QCOMPARE(names, found);
  }

  void folder() {
    QTemporaryDir empty;
    QVERIFY(empty.isValid());
    QVERIFY(indexer::indexFolder(empty.path()).error().contains("no course pages"));
    QVERIFY(indexer::indexFolder(empty.filePath("missing")).error().contains("no such folder"));

    const QString fixture = QFINDTESTDATA("../fixtures/indexer/pages");
    QVERIFY(!fixture.isEmpty());
    QList<int> reports;
    const auto outcome = indexer::indexFolder(fixture, [&reports](int done, int total) {
      QCOMPARE(total, 7);
      reports << done;
    });
    QVERIFY2(outcome, qPrintable(outcome.error()));
    QCOMPARE(reports, (QList<int>{1, 2, 3, 4, 5, 6, 7}));
  }

  // One run names every page it refuses, in course order, and what overflows, then counts
  // them; a page it cannot read is one of them.
  void everyProblemOfAFolderInOneRun() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto write = [&dir](const QString& name, const QString& page) {
      QFile f(dir.filePath(name));
      return f.open(QIODevice::WriteOnly) && f.write(page.toUtf8()) >= 0;
    };
    QVERIFY(write("qx010001.qx", html(u"10 kΩ"_qs, "ohm")));
    QVERIFY(write("qx010002.qx", html("Fine", differentWords(kCapacity + 1))));
    QVERIFY(write("qx010003.qx", html(u"π"_qs, "pi")));
    QVERIFY(write("qxa.qx", html("Start", "ok")));
    // A file that opens but fails at the first read, whoever runs the test.
    QVERIFY(QFile::link(QStringLiteral("/proc/self/mem"), dir.filePath("qx010004.qx")));

    // The words of the refused pages are not counted: the start page's "OK" and 12401 more.
    const QStringList lines = indexer::indexFolder(dir.path()).error().split(u'\n');
    QCOMPARE(lines.size(), 5);
    QVERIFY2(lines[0].startsWith(u"qx010001.qx: the title holds \"Ω\""_qs), qPrintable(lines[0]));
    QVERIFY2(lines[1].startsWith(u"qx010003.qx: the title holds \"π\""_qs), qPrintable(lines[1]));
    QVERIFY2(lines[2].startsWith("qx010004.qx: cannot read it"), qPrintable(lines[2]));
    QVERIFY2(lines[3].startsWith("12402 different words") && lines[3].endsWith("on qx010002.qx"), qPrintable(lines[3]));
    QCOMPARE(lines[4], "nothing written: 3 of 5 pages refused; too many words for words.qx");
  }
};

QTEST_GUILESS_MAIN(TestIndexer)
#include "test_indexer.moc"
