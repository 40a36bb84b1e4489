// The real reader's side windows on the served sample course: the index handing a word
// to the search, the history reopening a page, the bar's Back and the quit question.
#include "e2e/harness.h"
#include "logic/datafiles.h"
#include "logic/pagenames.h"

#include <QFile>
#include <QTest>

using namespace e2e;

namespace {
QByteArray record(const QByteArray& page) { return '"' + page + "\"\r\n"; }
QByteArray startPage() {
  const QSize screen = screenPixels();
  return pages::startPage(pages::classify(screen.width(), screen.height())).toLatin1();
}
// Waits for the only window titled exactly `title`, and for the other three to be gone.
QString onlyWindow(const QString& title) {
  QString found;
  (void)QTest::qWaitFor([&] { return !(found = findWindow(QLatin1Char('^') + title + QLatin1Char('$'))).isEmpty(); },
                        20000);
  const QStringList fullSize = {QStringLiteral("Tavrin - Search"), QStringLiteral("Tavrin - Index"),
                                QStringLiteral("Tavrin - History")};
  const bool alone = QTest::qWaitFor(
      [&] {
        const QStringList titles = windowTitles();
        for (const QString& other : fullSize)
          if (other != title && titles.contains(other)) return false;
        return title == u"Tavrin" || title.startsWith(u"Tavrin - Module") || !titles.contains(QStringLiteral("Tavrin"));
      },
      10000);
  return alone ? found : QString();
}
}  // namespace

class TestE2ESideWindows : public CourseTest {
  Q_OBJECT

 private slots:
  // Search, then Index from the search window, a word typed and double-clicked: the search
  // window comes back with the word's pages, and the first of them opens.
  void indexHandsAWordToTheSearch() {
    Reader reader(server->base());
    reader.start();
    QTRY_VERIFY_WITH_TIMEOUT(!reader.history().isEmpty(), 30000);
    const QByteArray before = reader.history();
    sendKeys(waitForWindow(QStringLiteral("^Tavrin$")), {QStringLiteral("alt+s")});
    sendKeys(onlyWindow(QStringLiteral("Tavrin - Search")), {QStringLiteral("alt+i")});
    const QString index = onlyWindow(QStringLiteral("Tavrin - Index"));
    QVERIFY(!index.isEmpty());
    QVERIFY(!windowTitles().contains(QStringLiteral("Tavrin - Search")));
    sendKeys(index, {});
    type(QStringLiteral("capacitor"));
    QTest::qWait(500);
    click(index, {80, 120}, 2);  // the first word of the list
    const QString search = onlyWindow(QStringLiteral("Tavrin - Search"));
    QVERIFY(!search.isEmpty());
    QTest::qWait(1500);
    click(search, {80, 120}, 2);  // the first page found
    QTRY_VERIFY_WITH_TIMEOUT(reader.history().size() > before.size(), 20000);
    QVERIFY(!windowTitles().contains(QStringLiteral("Tavrin - Search")));
  }

  // A few pages visited, the history opened: its first item is the start page, and it opens
  // in the main window, recorded once more. Back in the history window steps the main
  // browser back.
  void historyReopensAPageAndBackStepsTheMainBrowser() {
    Reader reader(server->base());
    reader.start();
    const QByteArray start = record(startPage());
    QTRY_COMPARE_WITH_TIMEOUT(reader.history(), start, 30000);
    const QString main = waitForWindow(QStringLiteral("^Tavrin$"));
    sendKeys(main, {QStringLiteral("Next")});
    QTRY_COMPARE_WITH_TIMEOUT(reader.history(), start + record("qx010001.qx"), 20000);
    QTest::qWait(1000);
    sendKeys(findWindow(QStringLiteral("^Tavrin - Module 1$")), {QStringLiteral("Next")});
    const QByteArray visited = start + record("qx010001.qx") + record("qx010002.qx");
    QTRY_COMPARE_WITH_TIMEOUT(reader.history(), visited, 20000);

    sendKeys(findWindow(QStringLiteral("^Tavrin - Module 1$")), {QStringLiteral("alt+t")});
    QString history = onlyWindow(QStringLiteral("Tavrin - History"));
    QVERIFY(!history.isEmpty());
    click(history, {80, 40}, 2);  // the first item: the start page
    QTRY_COMPARE_WITH_TIMEOUT(reader.history(), visited + start, 20000);
    QTRY_VERIFY_WITH_TIMEOUT(!windowTitles().contains(QStringLiteral("Tavrin - History")), 10000);

    // The history again, now with the start page twice; Back from there is the main
    // browser's Back: from the history trigger page to the start page.
    sendKeys(onlyWindow(QStringLiteral("Tavrin")), {QStringLiteral("alt+t")});
    history = onlyWindow(QStringLiteral("Tavrin - History"));
    sendKeys(history, {QStringLiteral("alt+b")});
    QTRY_VERIFY_WITH_TIMEOUT(!onlyWindow(QStringLiteral("Tavrin")).isEmpty(), 20000);
    QTRY_COMPARE_WITH_TIMEOUT(reader.history(), visited + start + start, 20000);
  }

  void quitFromASideWindow() {
    Reader reader(server->base());
    reader.start();
    QTRY_VERIFY_WITH_TIMEOUT(!reader.history().isEmpty(), 30000);
    sendKeys(waitForWindow(QStringLiteral("^Tavrin$")), {QStringLiteral("alt+t")});
    const QString history = onlyWindow(QStringLiteral("Tavrin - History"));
    sendKeys(history, {QStringLiteral("alt+q")});
    QTRY_VERIFY_WITH_TIMEOUT(windowTitles().contains(QStringLiteral("Quit Tavrin?")), 10000);
    sendKeys(findWindow(QStringLiteral("^Quit Tavrin\\?$")), {QStringLiteral("alt+n")});
    QTRY_VERIFY_WITH_TIMEOUT(!windowTitles().contains(QStringLiteral("Quit Tavrin?")), 10000);
    QVERIFY(windowTitles().contains(QStringLiteral("Tavrin - History")));
    QCOMPARE(reader.process().state(), QProcess::Running);

    sendKeys(history, {QStringLiteral("alt+q")});
    QTRY_VERIFY_WITH_TIMEOUT(windowTitles().contains(QStringLiteral("Quit Tavrin?")), 10000);
    sendKeys(findWindow(QStringLiteral("^Quit Tavrin\\?$")), {QStringLiteral("alt+y")});
    QVERIFY(ended(reader.process(), 10000));
    QCOMPARE(reader.process().exitCode(), 0);
    QVERIFY(!QFile::exists(reader.userDir() + QStringLiteral("history.qx")));
  }
};

QTEST_MAIN(TestE2ESideWindows)
#include "test_e2e_sidewindows.moc"
