// The real reader on the served sample course, driven by its keys.
#include "e2e/harness.h"
#include "logic/codepage.h"
#include "logic/datafiles.h"
#include "logic/pagenames.h"
#include "logic/searchengine.h"
#include "support/files.h"

#include <QFile>
#include <QTest>

using namespace e2e;

class TestE2EReader : public CourseTest {
  Q_OBJECT

 private slots:
  void firstPageIsTheStartPageOfTheScreenClass() {
    const QSize screen = screenPixels();
    const int cls = pages::classify(screen.width(), screen.height());
    Reader reader(server->base());
    reader.start();
    QTRY_VERIFY_WITH_TIMEOUT(windowTitles().contains(QStringLiteral("Tavrin")), 30000);
    const QByteArray record = '"' + pages::startPage(cls).toLatin1() + "\"\r\n";
    QTRY_COMPARE_WITH_TIMEOUT(reader.history(), record, 10000);
    // The page was chosen for the whole screen, and the window is up maximised to show it.
    QTRY_VERIFY_WITH_TIMEOUT(isMaximised(findWindow(QStringLiteral("^Tavrin$"))), 5000);

    // Page Down follows the start page's "next" link: the entry page of module 1, which
    // leads on to the class page and is recorded under its own name.
    sendKeys(waitForWindow(QStringLiteral("^Tavrin$")), {QStringLiteral("Next")});
    QTRY_VERIFY_WITH_TIMEOUT(windowTitles().contains(QStringLiteral("Tavrin - Module 1")), 20000);
    QTRY_COMPARE_WITH_TIMEOUT(reader.history(), record + "\"qx010001.qx\"\r\n", 10000);
    const QString classPage = QStringLiteral("/qx_cbt/qx2/mod01%1.qx").arg(*pages::classLetter(cls));
    QTRY_VERIFY_WITH_TIMEOUT(server->requests().contains(classPage), 10000);
    QTest::qWait(1000);  // the class page has arrived: it is not recorded
    QCOMPARE(reader.history(), record + "\"qx010001.qx\"\r\n");
  }

  void keysTurnThePagesAndBackStepsOverTheEntryPage() {
    const QSize screen = screenPixels();
    const QByteArray start =
        '"' + pages::startPage(pages::classify(screen.width(), screen.height())).toLatin1() + "\"\r\n";
    Reader reader(server->base());
    reader.start();
    QTRY_COMPARE_WITH_TIMEOUT(reader.history(), start, 30000);
    const QString window = findWindow(QStringLiteral("^Tavrin"));
    // Give the page itself the keyboard: the keys must still turn pages, not scroll.
    QProcess::execute(QStringLiteral("xdotool"),
                      {QStringLiteral("mousemove"), QStringLiteral("--window"), window, QStringLiteral("900"),
                       QStringLiteral("700"), QStringLiteral("click"), QStringLiteral("1")});
    QByteArray expected = start;
    auto record = [](const char* page) { return '"' + QByteArray(page) + "\"\r\n"; };
    const struct {
      const char* key;
      QByteArray recorded;  // empty when the page reached is not recorded
      const char* title;
    } steps[] = {
        {"Next", record("qx010001.qx"), "Tavrin - Module 1"},  // sent on to the class page
        {"Next", record("qx010002.qx"), "Tavrin - Module 1"},
        {"alt+period", record("qx010003.qx"), "Tavrin - Module 1"},
        {"Prior", record("qx010002.qx"), "Tavrin - Module 1"},
        {"alt+b", record("qx010003.qx"), "Tavrin - Module 1"},
        {"alt+b", record("qx010002.qx"), "Tavrin - Module 1"},
        {"alt+b", {}, "Tavrin - Module 1"},  // the class page
        {"alt+b", start, "Tavrin"},          // over the entry page, back to the start page
    };
    for (const auto& step : steps) {
      sendKeys(window, {QString::fromLatin1(step.key)});
      expected += step.recorded;
      QTRY_VERIFY_WITH_TIMEOUT(windowTitles().contains(QString::fromLatin1(step.title)), 15000);
      QTRY_COMPARE_WITH_TIMEOUT(reader.history(), expected, 15000);
      QTest::qWait(700);  // a class page that follows has arrived before the next key
    }
    QCOMPARE(reader.history(), expected);
  }

  void searchFindsAPageAndOpensItInTheMainWindow() {
    // What the first result must be, from the same data files the reader loads.
    const auto pages = search::PageTable::read(readFile(buildDir() + "/files.qx"));
    const auto words = search::WordTable::read(readFile(buildDir() + "/words.qx"));
    std::vector<int> found;
    QVERIFY(search::SearchEngine(pages, words).search(u"capacitor", found));
    QVERIFY(found.size() > 1);
    const QByteArray firstPage = pages.file(found.front()).toByteArray();

    Reader reader(server->base());
    reader.start();
    QTRY_VERIFY_WITH_TIMEOUT(!reader.history().isEmpty(), 30000);
    const QByteArray before = reader.history();

    sendKeys(waitForWindow(QStringLiteral("^Tavrin$")), {QStringLiteral("alt+s")});
    QTRY_VERIFY_WITH_TIMEOUT(!findWindow(QStringLiteral("^Tavrin - Search$")).isEmpty(), 20000);
    QTRY_VERIFY_WITH_TIMEOUT(!windowTitles().contains(QStringLiteral("Tavrin")), 5000);  // one window at a time
    const QString searchWindow = findWindow(QStringLiteral("^Tavrin - Search$"));
    sendKeys(searchWindow, {});
    QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("capacitor")});
    sendKeys(searchWindow, {QStringLiteral("Return")});
    QTest::qWait(500);
    // Double-click the first row of the list (its top-left is at 24, 112 in the window).
    QProcess::execute(QStringLiteral("xdotool"),
                      {QStringLiteral("mousemove"), QStringLiteral("--window"), searchWindow, QStringLiteral("80"),
                       QStringLiteral("120"), QStringLiteral("click"), QStringLiteral("--repeat"), QStringLiteral("2"),
                       QStringLiteral("--delay"), QStringLiteral("80"), QStringLiteral("1")});

    QTRY_COMPARE_WITH_TIMEOUT(reader.history(), before + '"' + firstPage + "\"\r\n", 20000);
    const auto module = pages::moduleOf(QString::fromLatin1(firstPage));
    const QString title = module ? QStringLiteral("Tavrin - Module %1").arg(*module) : QStringLiteral("Tavrin");
    QTRY_VERIFY_WITH_TIMEOUT(windowTitles().contains(title), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(!windowTitles().contains(QStringLiteral("Tavrin - Search")), 5000);
    // The main window coming back is no resize: the page is not loaded (and recorded) again.
    QTest::qWait(1500);
    QCOMPARE(reader.history(), before + '"' + firstPage + "\"\r\n");
  }

  void quitAsksThenEndsWithNothingLeftBehind() {
    Reader reader(server->base());
    reader.start();
    QTRY_VERIFY_WITH_TIMEOUT(!reader.history().isEmpty(), 30000);
    const QString window = waitForWindow(QStringLiteral("^Tavrin$"));
    const QString pid = QString::number(reader.process().processId());

    sendKeys(window, {QStringLiteral("alt+q")});
    QTRY_VERIFY_WITH_TIMEOUT(windowTitles().contains(QStringLiteral("Quit Tavrin?")), 10000);
    // The question's outer corner, frame and all, is 100 and 80 pixels from the window's.
    const QString question = findWindow(QStringLiteral("^Quit Tavrin\\?$"));
    QTRY_COMPARE_WITH_TIMEOUT(outerRect(question).topLeft() - outerRect(window).topLeft(), QPoint(100, 80), 5000);
    sendKeys(question, {QStringLiteral("alt+n")});
    QTRY_VERIFY_WITH_TIMEOUT(!windowTitles().contains(QStringLiteral("Quit Tavrin?")), 10000);
    QTest::qWait(500);
    QCOMPARE(reader.process().state(), QProcess::Running);
    QVERIFY(!reader.history().isEmpty());

    // The browser's helper processes, which must not outlive the reader.
    QProcess children;
    children.start(QStringLiteral("pgrep"), {QStringLiteral("-P"), pid});
    children.waitForFinished();
    const QStringList helpers = QString::fromLatin1(children.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    QVERIFY(!helpers.isEmpty());

    sendKeys(window, {QStringLiteral("alt+q")});
    QTRY_VERIFY_WITH_TIMEOUT(windowTitles().contains(QStringLiteral("Quit Tavrin?")), 10000);
    sendKeys(findWindow(QStringLiteral("^Quit Tavrin\\?$")), {QStringLiteral("alt+y")});
    QVERIFY(ended(reader.process(), 10000));
    QCOMPARE(reader.process().exitCode(), 0);
    QVERIFY(!QFile::exists(reader.userDir() + QStringLiteral("history.qx")));
    for (const QString& helper : helpers)
      QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(QStringLiteral("/proc/") + helper), 10000);
  }

  void secondCopyEndsAtOnceAndLeavesTheReaderAlone() {
    Reader reader(server->base());
    reader.start();
    QTRY_VERIFY_WITH_TIMEOUT(!reader.history().isEmpty(), 30000);
    const QByteArray history = reader.history();

    QProcess second;
    second.setProcessEnvironment(reader.environment());
    second.start(buildDir() + QStringLiteral("/tavrin"));
    QVERIFY(ended(second, 20000));
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(windowTitles().count(QStringLiteral("Tavrin")), 1);
    QCOMPARE(reader.history(), history);
    QCOMPARE(reader.process().state(), QProcess::Running);
  }
};

QTEST_MAIN(TestE2EReader)
#include "test_e2e_reader.moc"
