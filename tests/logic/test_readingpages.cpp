// Which pages are read, resumed and bookmarked, under which name, in which module; notes and
// titles made one paragraph; the catalogue's order and modules.
#include "logic/coursecatalogue.h"
#include "logic/readingpages.h"

#include <QTest>

#include <optional>

using namespace reading;

class TestReadingPages : public QObject {
  Q_OBJECT

 private slots:
  void keptName_data() {
    QTest::addColumn<QString>("arrived");
    QTest::addColumn<QString>("kept");
    QTest::newRow("a module page") << "qx070012.qx"
                                   << "qx070012.qx";
    QTest::newRow("a place in the page") << "qx070012.qx#fig2#b"
                                         << "qx070012.qx";
    QTest::newRow("a module's class page") << "mod07c.qx"
                                           << "qx070001.qx";
    QTest::newRow("its objectives") << "obj07g.qx"
                                    << "qx070119.qx";
    QTest::newRow("module 24's review") << "rev24a.qx#top"
                                        << "qx240326.qx";
    QTest::newRow("no module 25") << "mod25c.qx"
                                  << "mod25c.qx";
    QTest::newRow("no class h") << "mod07h.qx"
                                << "mod07h.qx";
    QTest::newRow("not the class page's shape") << "mod07cc.qx"
                                                << "mod07cc.qx";
    QTest::newRow("a course class page keeps its letter") << "qxpracc.qx"
                                                          << "qxpracc.qx";
    QTest::newRow("only a fragment") << "#x"
                                     << "";
  }
  void keptName() {
    QFETCH(QString, arrived);
    QFETCH(QString, kept);
    QCOMPARE(reading::keptName(arrived), kept);
    QCOMPARE(reading::keptName(kept), kept);  // a kept name is kept as it is
  }

  void readingPages_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("read");
    QTest::addColumn<int>("module");  // 0: none
    QTest::newRow("module page") << "qx070012.qx" << true << 7;
    QTest::newRow("module entry page") << "qx030001.qx" << true << 3;
    QTest::newRow("module 24") << "qx240326.qx" << true << 24;
    QTest::newRow("a class page's own name") << "mod07xyz.qx" << true << 7;
    QTest::newRow("module 0") << "qx000005.qx" << true << 0;
    QTest::newRow("module 25") << "qx250005.qx" << true << 0;
    QTest::newRow("a course class page") << "qxpracc.qx" << true << 0;
    QTest::newRow("a page of no module") << "glossary.qx" << true << 0;
    QTest::newRow("Search.qx is an ordinary page") << "Search.qx" << true << 0;
    QTest::newRow("start page") << "qxa.qx" << false << 0;
    QTest::newRow("start page of another class") << "qxg.qx" << false << 0;
    QTest::newRow("contents page") << "qxcrd.qx" << false << 0;
    QTest::newRow("search trigger") << "search.qx" << false << 0;
    QTest::newRow("index trigger") << "index.qx" << false << 0;
    QTest::newRow("history trigger") << "hist.qx" << false << 0;
    QTest::newRow("figure video") << "fig0312.qx" << false << 0;
    QTest::newRow("title video") << "title.qx" << false << 0;
    QTest::newRow("tech-tip video") << "ttv07.qx" << false << 0;
    QTest::newRow("narration, whatever follows the v") << "vowels.qx" << false << 0;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("longest name") << QString(kLongestName - 3, u'x') + ".qx" << true << 0;
    QTest::newRow("one longer") << QString(kLongestName - 2, u'x') + ".qx" << false << 0;
    QTest::newRow("a TAB") << "qx07\t0012.qx" << false << 0;
    QTest::newRow("a line break") << "qx070012.qx\n" << false << 0;
    QTest::newRow("DEL") << "a\x7f.qx" << false << 0;
    QTest::newRow("a space at the end") << "qx070012.qx " << false << 0;
    QTest::newRow("a space inside") << "my page.qx" << true << 0;
    QTest::newRow("a surrogate pair") << QString::fromUtf16(u"\U0001F600.qx") << true << 0;
    QTest::newRow("a lone surrogate") << QString(QChar(0xD800)) + ".qx" << false << 0;
  }
  void readingPages() {
    QFETCH(QString, name);
    QFETCH(bool, read);
    QFETCH(int, module);
    QCOMPARE(isReadingPage(name), read);
    if (read) QCOMPARE(moduleOf(name).value_or(0), module);
  }

  void oneParagraph_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("longest");
    QTest::addColumn<QString>("paragraph");
    QTest::newRow("as it is") << "Remember the triangle." << 100 << "Remember the triangle.";
    QTest::newRow("CR LF is one space") << "one\r\ntwo" << 100 << "one two";
    QTest::newRow("LF, CR, TAB") << "a\nb\rc\td" << 100 << "a b c d";
    QTest::newRow("two line ends are two spaces") << "a\n\nb" << 100 << "a  b";
    QTest::newRow("Unicode line and paragraph separators")
        << QString::fromUtf16(u"a\u2028b\u2029c\u0085d") << 100 << "a b c d";
    QTest::newRow("white space at the ends") << " \t\n note \r\n" << 100 << "note";
    QTest::newRow("a lone surrogate") << QString(u'a') + QChar(0xDC00) + u'b' << 100
                                      << QString(u'a') + QChar(QChar::ReplacementCharacter) + u'b';
    QTest::newRow("cut") << "abcdef" << 4 << "abcd";
    QTest::newRow("cut before a space") << "abc def" << 4 << "abc";
    QTest::newRow("never inside a pair") << QString::fromUtf16(u"abc\U0001F600") << 4 << "abc";
    QTest::newRow("a pair that fits") << QString::fromUtf16(u"ab\U0001F600") << 4
                                      << QString::fromUtf16(u"ab\U0001F600");
  }
  void oneParagraph() {
    QFETCH(QString, text);
    QFETCH(int, longest);
    QFETCH(QString, paragraph);
    QCOMPARE(reading::oneParagraph(text, longest), paragraph);
    QCOMPARE(reading::oneParagraph(paragraph, longest), paragraph);
  }

  void addressesFollowTheScreenClass() {
    const QString base = QStringLiteral("http://127.0.0.1:8642/qx_cbt/qx2/");
    QCOMPARE(address(base, QStringLiteral("qx070012.qx"), 4), base + "qx070012.qx");
    QCOMPARE(address(base, QStringLiteral("qxpracc.qx"), 4), base + "qxpracd.qx");
    QCOMPARE(address(base, QStringLiteral("qx070001.qx"), 2), base + "qx070001.qx");  // it leads on itself
  }

  // The page to scroll after resuming: the kept page itself, or the class page the viewer sends
  // a module-table page on to, never the module-table page that is left at once.
  void theResumedPageIsTheOneThatStays_data() {
    QTest::addColumn<QString>("kept");
    QTest::addColumn<QString>("arrived");
    QTest::addColumn<bool>("shows");
    QTest::newRow("the page") << "qx070012.qx"
                              << "qx070012.qx" << true;
    QTest::newRow("another page") << "qx070012.qx"
                                  << "qx070013.qx" << false;
    QTest::newRow("the entry page, on its way") << "qx070001.qx"
                                                << "qx070001.qx" << false;
    QTest::newRow("its class page") << "qx070001.qx"
                                    << "mod07d.qx" << true;
    QTest::newRow("another module's class page") << "qx070001.qx"
                                                 << "mod08d.qx" << false;
    QTest::newRow("nothing kept") << ""
                                  << "" << false;
  }
  void theResumedPageIsTheOneThatStays() {
    QFETCH(QString, kept);
    QFETCH(QString, arrived);
    QFETCH(bool, shows);
    QCOMPARE(reading::shows(arrived, kept), shows);
  }

  // Course order is the catalogue's; a module holds the pages named with its number, each once,
  // a class page as the module-table page it stands for; start and contents pages hold none.
  void catalogueOrdersAndCountsModules() {
    const CourseCatalogue c = CourseCatalogue::read(
        "1\tqxa.qx\tStart\r\n"
        "2\tqxcra.qx\tContents\r\n"
        "3\tqx030002.qx\tSecond\r\n"
        "4\tqx030001.qx\tEntry\r\n"
        "5\tglossary.qx\tGlossary\r\n"
        "6\tqx070005.qx\tSeven\r\n"
        "7\tmod03c.qx\tEntry, class c\r\n"
        "8\t qx030003.qx \tThird, spaced\r\n"
        "9\tqx030002.qx\tSecond again\r\n"
        "10\tmod07b.qx\tSeven's entry\r\n"
        "11\tfig0301.qx\tA video\r\n"
        "12\tqx\xe9t\xe9.qx\tSummer\r\n");
    QCOMPARE(c.size(), 7);
    QCOMPARE(c.modulePages(3), (std::vector<QString>{"qx030002.qx", "qx030001.qx", "qx030003.qx"}));
    QCOMPARE(c.modulePages(7), (std::vector<QString>{"qx070005.qx", "qx070001.qx"}));
    QVERIFY(c.modulePages(1).empty());
    QVERIFY(c.modulePages(0).empty() && c.modulePages(25).empty());
    QCOMPARE(c.entryOf(QStringLiteral("qx030002.qx")), 3);
    QCOMPARE(c.title(QStringLiteral("qx030002.qx")), QStringLiteral("Second"));  // the first line holds
    QCOMPARE(c.entryOf(QStringLiteral("qx030003.qx")), 8);
    QCOMPARE(c.entryOf(QStringLiteral("qxa.qx")), 0);
    QCOMPARE(c.title(QStringLiteral("qx070001.qx")), QStringLiteral("Seven's entry"));
    QCOMPARE(c.title(QString::fromUtf16(u"qx\u00e9t\u00e9.qx")), QStringLiteral("Summer"));
    QCOMPARE(c.title(QStringLiteral("nowhere.qx")), QString());
  }

  // A catalogue that stops early gives the pages before the line it stopped at.
  void aCatalogueThatStopsEarlyGivesWhatCameBefore() {
    const CourseCatalogue c = CourseCatalogue::read("1\tqx010001.qx\tOne\r\nabc\tqx010002.qx\tTwo\r\n");
    QCOMPARE(c.status().stoppedAtLine, 2);
    QCOMPARE(c.modulePages(1), std::vector<QString>{"qx010001.qx"});
    QCOMPARE(CourseCatalogue().size(), 0);
  }
};

QTEST_MAIN(TestReadingPages)
#include "test_readingpages.moc"
