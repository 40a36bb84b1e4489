// Reading aids of the real reader on the served sample course: the zoom kept from one run
// to the next, the find bar, and the searched words marked on the page the search opens.
// None of them may change what the history records.
#include "e2e/harness.h"
#include "logic/codepage.h"
#include "logic/datafiles.h"
#include "logic/pagenames.h"
#include "logic/searchengine.h"
#include "support/files.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

using namespace e2e;

namespace {

QByteArray record(const QByteArray& page) { return '"' + page + "\"\r\n"; }
int screenClass() {
  const QSize screen = screenPixels();
  return pages::classify(screen.width(), screen.height());
}

// The screen below the window's title and command bar, where the page is.
QImage page() {
  const QSize screen = screenPixels();
  return screenshot({0, 80, screen.width(), screen.height() - 120});
}
// Waits until the page has stopped changing and gives it.
QImage settledPage() {
  QImage last = page();
  for (int i = 0; i < 20; ++i) {
    QTest::qWait(400);
    const QImage now = page();
    if (now == last) return now;
    last = now;
  }
  return last;
}


// Pixels of the marks' colour.
int markPixels(const QImage& image) {
  const QRgb mark = qRgb(0xFD, 0xE0, 0x47);
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) n += (image.pixel(x, y) & 0xFFFFFF) == (mark & 0xFFFFFF);
  return n;
}

// The text of a served page's body, tags taken out.
QString bodyText(const QString& name) {
  QFile f(buildDir() + QStringLiteral("/course/qx_cbt/qx2/") + name);
  if (!f.open(QIODevice::ReadOnly)) return {};
  QString html = QString::fromUtf8(f.readAll());
  html = html.mid(html.indexOf(QStringLiteral("<body")));
  html.replace(QRegularExpression(QStringLiteral("<[^>]*>")), QStringLiteral(" "));
  return html.replace(QStringLiteral("&lt;"), QStringLiteral("<")).replace(QStringLiteral("&gt;"), QStringLiteral(">"));
}

}  // namespace

class TestE2EReading : public CourseTest {
  Q_OBJECT

 private slots:
  // Ctrl+plus twice: the page is drawn larger, nothing is loaded again, and the class of the
  // screen stays. The next run opens at that zoom; Ctrl+0 brings back the page's own size.
  void zoomIsKeptForTheNextRunAndCtrl0Resets() {
    const QByteArray start = record(pages::startPage(screenClass()).toLatin1());
    Reader reader(server->base());
    reader.start();
    QTRY_COMPARE_WITH_TIMEOUT(reader.history(), start, 30000);
    const QString window = waitForWindow(QStringLiteral("^Tavrin$"));
    const QImage ownSize = settledPage();
    const qsizetype requests = server->requests().size();

    sendKeys(window, {QStringLiteral("ctrl+plus"), QStringLiteral("ctrl+plus")});
    QTRY_VERIFY_WITH_TIMEOUT(pixelsThatDiffer(page(), ownSize) > 0.01, 10000);
    const QImage zoomed = settledPage();
    const QString settings = reader.settingsFile();
    QFile kept(settings);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QVERIFY2(kept.readAll().contains("zoom=1.25"), qPrintable(settings));
    QCOMPARE(server->requests().size(), requests);  // no page asked for again: same class
    QCOMPARE(reader.history(), start);

    reader.process().kill();
    QVERIFY(ended(reader.process(), 10000));
    reader.start();
    QTRY_COMPARE_WITH_TIMEOUT(reader.history(), start + start, 30000);
    QTest::qWait(500);
    QVERIFY2(pixelsThatDiffer(settledPage(), zoomed) < 0.002, "the next run does not show the page at the zoom kept");

    sendKeys(waitForWindow(QStringLiteral("^Tavrin$")), {QStringLiteral("ctrl+0")});
    QTRY_VERIFY_WITH_TIMEOUT(pixelsThatDiffer(page(), ownSize) < 0.002, 10000);
    QTest::qWait(500);
    QCOMPARE(reader.history(), start + start);
  }

  // A picture copy shows its picture at the zoom the reader keeps, in a window grown with it.
  void thePicturePopupFollowsTheZoomKept() {
    Reader reader(server->base());
    QVERIFY(reader.writeSettings("[view]\nzoom=2\n"));
    reader.start();
    QTRY_VERIFY_WITH_TIMEOUT(!reader.history().isEmpty(), 30000);

    QProcess copy;
    copy.setProcessEnvironment(reader.environment());
    copy.start(buildDir() + QStringLiteral("/tavrin"),
               {QStringLiteral("/POPJPG=c23/pic2301.jpg"), QStringLiteral("/W:200"), QStringLiteral("/H:150")});
    QString popup;
    QTRY_VERIFY_WITH_TIMEOUT(!(popup = windowOf(copy.processId())).isEmpty(), 20000);
    QTest::qWait(1000);
    QProcess geometry;
    geometry.start(QStringLiteral("xdotool"), {QStringLiteral("getwindowgeometry"), popup});
    QVERIFY(geometry.waitForFinished(10000));
    const auto size = QRegularExpression(QStringLiteral("Geometry: (\\d+)x(\\d+)"))
                          .match(QString::fromUtf8(geometry.readAllStandardOutput()));
    QVERIFY(size.hasMatch());
    // The 200 x 150 picture drawn twice as large, and the popup's margin around it.
    QVERIFY2(size.captured(1).toInt() >= 400 && size.captured(1).toInt() < 460, qPrintable(size.captured()));
    QVERIFY2(size.captured(2).toInt() >= 300 && size.captured(2).toInt() < 330, qPrintable(size.captured()));
    copy.kill();
    copy.waitForFinished(5000);
  }

  // On the class page of module 1: Ctrl+F, a word typed, the count of its matches; Enter
  // steps on, Shift+Enter back, Escape closes the bar and the highlights go with it.
  void findBarCountsMatchesAndEscapeClears() {
    const QByteArray start = record(pages::startPage(screenClass()).toLatin1());
    const QString classPage = QStringLiteral("mod01%1.qx").arg(*pages::classLetter(screenClass()));
    const qsizetype matches = bodyText(classPage).count(QStringLiteral("charge"), Qt::CaseInsensitive);
    QVERIFY(matches > 2);
    Reader reader(server->base());
    reader.setEnvironment(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("tavrin.browser.debug=true"));
    reader.start();
    QTRY_COMPARE_WITH_TIMEOUT(reader.history(), start, 30000);
    sendKeys(waitForWindow(QStringLiteral("^Tavrin$")), {QStringLiteral("Next")});
    QTRY_VERIFY_WITH_TIMEOUT(reader.output().contains(classPage.toLatin1()), 20000);
    QTest::qWait(500);
    const QString window = findWindow(QStringLiteral("^Tavrin - Module 1$"));
    const QImage before = settledPage();

    sendKeys(window, {QStringLiteral("ctrl+f")});
    type(QStringLiteral("charge"));
    const auto counted = [&](int active) {
      return reader.output().contains(QStringLiteral("found \"charge\": %1 of %2").arg(active).arg(matches).toUtf8());
    };
    QTRY_VERIFY_WITH_TIMEOUT(counted(1), 10000);
    sendKeys(window, {QStringLiteral("Return"), QStringLiteral("Return")});
    QTRY_VERIFY_WITH_TIMEOUT(counted(3), 10000);
    sendKeys(window, {QStringLiteral("shift+Return")});
    QTRY_VERIFY_WITH_TIMEOUT(counted(2), 10000);
    // The bar sits above the page and pushes it down; the matches are highlighted.
    const QImage found = settledPage();
    QVERIFY(pixelsThatDiffer(found, before) > 0.01);
    type(QStringLiteral("zq"));
    QTRY_VERIFY_WITH_TIMEOUT(reader.output().contains("found \"chargezq\": 0 of 0"), 10000);

    sendKeys(window, {QStringLiteral("Escape")});
    // The bar and the highlights are gone: the page is as it was but for the selection
    // left on the last match, as browsers leave it.
    QTRY_VERIFY_WITH_TIMEOUT(pixelsThatDiffer(page(), before) < 0.01, 10000);
    QCOMPARE(reader.history(), start + record("qx010001.qx"));
    // Closed, the keys are the reader's again: Page Down turns the page.
    sendKeys(window, {QStringLiteral("Next")});
    QTRY_COMPARE_WITH_TIMEOUT(reader.history(), start + record("qx010001.qx") + record("qx010002.qx"), 20000);
  }

  // A search for "capacitor", its first page opened: that page is a module's entry page,
  // which leads on to the class page, and there every word that found it is marked. The
  // next page shows no marks, nor does the class page when Back returns to it.
  void searchedWordsAreMarkedOnThePageOpenedAndGoneAfter() {
    const auto pages = search::PageTable::read(readFile(buildDir() + "/files.qx"));
    const auto words = search::WordTable::read(readFile(buildDir() + "/words.qx"));
    search::SearchEngine engine(pages, words);
    std::vector<int> found;
    QVERIFY(engine.search(u"capacitor", found));
    const QByteArray firstPage = pages.file(found.front()).toByteArray();
    QCOMPARE(firstPage, QByteArray("qx070001.qx"));  // the entry page of module 7
    QSet<QString> marked;
    for (const QByteArray& w : engine.wordsOn(search::parseQuery(u"capacitor"), found.front()))
      marked << cp1252::decode(w);
    const QString classPage = QStringLiteral("mod07%1.qx").arg(*pages::classLetter(screenClass()));
    int expected = 0;
    for (auto it = QRegularExpression(QStringLiteral("[\\p{L}\\p{N}]+")).globalMatch(bodyText(classPage));
         it.hasNext();)
      expected += marked.contains(it.next().captured().toUpper());
    QVERIFY(expected > 0);

    Reader reader(server->base());
    reader.setEnvironment(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("tavrin.browser.debug=true"));
    reader.start();
    QTRY_VERIFY_WITH_TIMEOUT(!reader.history().isEmpty(), 30000);
    const QByteArray before = reader.history();
    QCOMPARE(markPixels(settledPage()), 0);

    sendKeys(waitForWindow(QStringLiteral("^Tavrin$")), {QStringLiteral("alt+s")});
    QTRY_VERIFY_WITH_TIMEOUT(!findWindow(QStringLiteral("^Tavrin - Search$")).isEmpty(), 20000);
    const QString searchWindow = findWindow(QStringLiteral("^Tavrin - Search$"));
    sendKeys(searchWindow, {});
    type(QStringLiteral("capacitor"));
    sendKeys(searchWindow, {QStringLiteral("Return")});
    QTest::qWait(500);
    click(searchWindow, {80, 120}, 2);  // the first row of the list

    QTRY_VERIFY_WITH_TIMEOUT(
        reader.output().contains(
            QStringLiteral("marked %1 words in %2%3").arg(expected).arg(server->base(), classPage).toUtf8()),
        20000);
    QCOMPARE(reader.history(), before + record(firstPage));
    QVERIFY(markPixels(settledPage()) > 100);

    const QString window = findWindow(QStringLiteral("^Tavrin - Module 7$"));
    sendKeys(window, {QStringLiteral("Next")});
    QTRY_VERIFY_WITH_TIMEOUT(reader.history().size() > (before + record(firstPage)).size(), 20000);
    const QByteArray afterNext = reader.history();
    QCOMPARE(markPixels(settledPage()), 0);
    sendKeys(window, {QStringLiteral("alt+b")});
    QTRY_VERIFY_WITH_TIMEOUT(reader.output().count(classPage.toUtf8()) >= 3, 20000);  // loaded, marked, loaded
    QCOMPARE(markPixels(settledPage()), 0);
    QCOMPARE(reader.history(), afterNext);  // the class page is not recorded
  }
};

QTEST_MAIN(TestE2EReading)
#include "test_e2e_reading.moc"
