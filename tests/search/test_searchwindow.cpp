// The search window on real data files: loading, searching, opening a page, its keys
// and layout, and the trigger page that opens it behind the splash.
#include "platform/browser.h"
#include "search/frmsearch.h"
#include "support/files.h"
#include "support/readeronfakes.h"
#include "viewer/frmqx.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

namespace {
const QString& kBase = kCourseBase;

// A small course: pages 1-4, words in Windows-1252 as the data files hold them.
const QByteArray kFiles =
    "1\tqx020002.qx\tModule 2 \x96 Resistance and Ohm's law\r\n"
    "2\tqx030002.qx\tModule 3 \x96 Resistors in series\r\n"
    "3\tqx070002.qx\tModule 7 \x96 Capacitors\r\n"
    "4\tqx020003.qx\tModule 2 \x96 Widerst\xe4nde\r\n";
const QByteArray kWords =
    "law\t1\t\r\n"
    "ohm\t1\t2\t\r\n"
    "resistance\t1\t4\t\r\n"
    "resistor\t2\t1\t\r\n"
    "widerst\xe4nde\t4\t\r\n";
}  // namespace

class TestSearchWindow : public QObject, ReaderOnFakes {
  Q_OBJECT

  QTemporaryDir dir;

  frmQX& startReader(const QByteArray& files = kFiles, const QByteArray& words = kWords) {
    ReaderOnFakes::startReader(dir.path(), dataFilesIn(dir.path(), files, words));
    firstPage(QStringLiteral("qx010002.qx"));
    return *form;
  }
  frmSearch& openSearch() {
    fake->browser->arrive(kBase + "search.qx");
    return static_cast<frmSearch&>(*form->sideWindows().window(SideWindowKind::Search));
  }
  QStringList rows(frmSearch& s) const {
    QStringList out;
    for (int r = 0; r < s.results()->model()->rowCount(); ++r)
      out << s.results()->model()->index(r, 0).data().toString();
    return out;
  }
  void searchFor(frmSearch& s, const QString& text) {
    s.input()->setText(text);
    s.cmdFTS_Click();
  }

 private slots:
  void cleanup() { closeReader(); }

  void triggerPageLoadsTheDataOnceAndShowsTheWindow() {
    frmQX& w = startReader();
    frmSearch& s = openSearch();
    QVERIFY(w.sideWindows().loaded(SideWindowKind::Search));
    QVERIFY(s.isVisible());
    QCOMPARE(w.viewer().CurrentPage, QStringLiteral("search.qx"));
    QCOMPARE(w.viewer().NextLink, kBase + "n");  // the trigger page gives no links

    // Changed files are not read again on the second visit.
    QVERIFY(writeFile(dir.filePath("words.qx"), "capacitor\t3\t\r\n"));
    s.hide();
    openSearch();
    QVERIFY(s.isVisible());
    searchFor(s, "capacitor");
    QCOMPARE(s.found()->text(), QStringLiteral("Found:  0 pages"));
    searchFor(s, "ohm");
    QCOMPARE(s.found()->text(), QStringLiteral("Found:  2 pages"));
  }

  void splashIsOnScreenWhileTheDataLoads() {
    // 12401 lines: the capacity message comes up in the middle of the load.
    QByteArray files;
    for (int i = 1; i <= 12401; ++i) files += QByteArray::number(i) + "\tp" + QByteArray::number(i) + ".qx\tT\r\n";
    frmQX& w = startReader(files);
    w.show();
    bool splashShown = false;
    fake->messages.onAsk = [&](const MessageBoxes::Message&) {
      for (QWidget* top : QApplication::topLevelWidgets())
        if (top->findChild<QLabel*>(QStringLiteral("Label1")))
          splashShown = top->isVisible() && top->windowHandle()->isExposed() &&
                        top->findChild<QLabel*>(QStringLiteral("Label1"))->text() == u"One moment please...";
    };
    openSearch();
    QCOMPARE(fake->messages.asked.size(), size_t(1));
    QCOMPARE(fake->messages.asked[0].text, QStringLiteral("Too many files!"));
    QCOMPARE(fake->messages.asked[0].title, QStringLiteral("Tavrin"));
    QVERIFY(splashShown);
    for (QWidget* top : QApplication::topLevelWidgets())
      if (top->findChild<QLabel*>(QStringLiteral("Label1"))) QVERIFY(!top->isVisible());
    QVERIFY(w.sideWindows().window(SideWindowKind::Search)->isVisible());  // loading went on after the message
  }

  void searchesFillTheListAndTheCountLine_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<QStringList>("rows");
    const QString law = QStringLiteral("Module 2 – Resistance and Ohm's law ");
    const QString series = QStringLiteral("Module 3 – Resistors in series ");
    const QString german = QStringLiteral("Module 2 – Widerstände ");
    QTest::newRow("prefix, first occurrence") << "resist" << QStringList{law, german, series};
    QTest::newRow("spaces and case") << "  RESIST  " << QStringList{law, german, series};
    QTest::newRow("beyond ASCII") << "WIDERSTÄ" << QStringList{german};
    QTest::newRow("two words") << "ohm  res extra" << QStringList{law, series};
    QTest::newRow("one page") << "law" << QStringList{law};
    QTest::newRow("nothing") << "xyz" << QStringList{};
  }
  void searchesFillTheListAndTheCountLine() {
    QFETCH(QString, input);
    QFETCH(QStringList, rows);
    startReader();
    frmSearch& s = openSearch();
    QCOMPARE(s.found()->text(), QStringLiteral("Found:"));
    searchFor(s, input);
    QCOMPARE(this->rows(s), rows);
    QCOMPARE(s.found()->text(), QStringLiteral("Found:  %1 pages").arg(rows.size()));
  }

  void blankInputChangesNothing() {
    startReader();
    frmSearch& s = openSearch();
    searchFor(s, "ohm");
    searchFor(s, "   ");
    QCOMPARE(s.found()->text(), QStringLiteral("Found:  2 pages"));
    QCOMPARE(rows(s).size(), 2);
  }

  void missingWordFileFindsNothing() {
    startReader();
    QFile::remove(dir.filePath("words.qx"));
    frmSearch& s = openSearch();
    QVERIFY(s.isVisible());
    searchFor(s, "ohm");
    QCOMPARE(s.found()->text(), QStringLiteral("Found:  0 pages"));
  }

  void openingAResultHandsBackAndLoadsThePage() {
    frmQX& w = startReader();
    frmSearch& s = openSearch();
    searchFor(s, "resist");
    s.lbResults_DblClick();  // no row selected: nothing happens
    QVERIFY(fake->browser->calls.isEmpty());
    QVERIFY(s.isVisible());

    s.move(321, 123);
    s.results()->setCurrentIndex(s.results()->model()->index(1, 0));
    s.lbResults_DblClick();
    QCOMPARE(fake->browser->calls, QStringList{"navigate " + kBase + "qx020003.qx"});
    QVERIFY(!s.isVisible());
    // The main window took the search window's normal state and its place.
    QTRY_VERIFY(!(w.windowState() & Qt::WindowMaximized));
    QCOMPARE(w.pos(), QPoint(321, 123));
    // The text, the list and the count stay for the next visit.
    QCOMPARE(s.input()->text(), QStringLiteral("resist"));
    QCOMPARE(s.found()->text(), QStringLiteral("Found:  3 pages"));

    // The page shows marked the words of the search that found it, and only that page.
    fake->browser->calls.clear();
    fake->browser->arrive(kBase + "qx020003.qx");
    QCOMPARE(fake->browser->calls, QStringList{"mark RESISTANCE"});
    fake->browser->arrive(kBase + "qx020004.qx");
    QCOMPARE(fake->browser->calls, QStringList{"mark RESISTANCE"});
    // The list's own search counts, not a text typed since.
    s.input()->setText(QStringLiteral("widerst"));
    s.results()->setCurrentIndex(s.results()->model()->index(0, 0));
    s.lbResults_DblClick();
    fake->browser->calls.clear();
    fake->browser->arrive(kBase + "qx020002.qx");
    QCOMPARE(fake->browser->calls, QStringList{"mark RESISTANCE RESISTOR"});
  }

  void keys() {
    startReader();
    frmSearch& s = openSearch();
    QVERIFY(QTest::qWaitForWindowExposed(&s));
    s.activateWindow();
    s.input()->setFocus();
    QTest::keyClicks(s.input(), "ohm");
    QTest::keyClick(s.input(), Qt::Key_Return);
    QCOMPARE(s.found()->text(), QStringLiteral("Found:  2 pages"));
    QCOMPARE(s.input()->text(), QStringLiteral("ohm"));

    s.cmdHelp_Click();
    QTest::keyClick(s.input(), Qt::Key_Escape);
    QVERIFY(!s.help()->isVisible());

    s.results()->setFocus();
    s.results()->setCurrentIndex(s.results()->model()->index(1, 0));
    QTest::keyClick(s.results(), Qt::Key_Return);
    QCOMPARE(fake->browser->calls, QStringList{"navigate " + kBase + "qx030002.qx"});
  }

  void resizeStretchesTheListAndTheBox() {
    startReader();
    frmSearch& s = openSearch();
    s.resize(1000, 600);
    QCOMPARE(s.results()->size(), QSize(950, 480));
    QCOMPARE(s.searchButton()->x(), 880);
    QCOMPARE(s.input()->width(), 950 - 89 - 20);
    s.resize(1400, 700);  // wide: the box stops short of the button
    QVERIFY(s.input()->geometry().right() < s.searchButton()->x());
    s.resize(100, 300);  // narrow: never a negative width
    QCOMPARE(s.input()->width(), 0);
  }
};

QTEST_MAIN(TestSearchWindow)
#include "test_searchwindow.moc"
