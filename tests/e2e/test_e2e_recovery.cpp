// The real reader when the page display or the course server fails: a crashed page
// renderer is restarted on the same page, a page that cannot be had is shown as a page of
// the program's own and arrives by itself once the server answers, and none of it is
// recorded in the history beyond what the user read.
#include "e2e/harness.h"
#include "logic/pagenames.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <csignal>

using namespace e2e;

namespace {

QByteArray record(const QString& page) { return '"' + page.toLatin1() + "\"\r\n"; }

// A spot of the window's page, near its lower right corner, that no link of the course
// pages or of the program's own pages reaches.
QPoint blankSpot(const QString& window) {
  const QSize size = windowSize(window);
  return {size.width() - 40, size.height() - 40};
}

}  // namespace

class TestE2ERecovery : public QObject {
  Q_OBJECT
  std::unique_ptr<CourseServer> server;
  QString startPage;

  // A reader on the start page of the screen's class.
  void startReader(Reader& reader) {
    reader.start();
    QTRY_COMPARE_WITH_TIMEOUT(reader.history(), record(startPage), 30000);
    QTRY_VERIFY_WITH_TIMEOUT(!findWindow(QStringLiteral("^Tavrin$")).isEmpty(), 5000);
  }

 private slots:
  void initTestCase() {
    server = std::make_unique<CourseServer>();
    QVERIFY2(!server->base().isEmpty(), "the course server did not start");
    const QSize screen = screenPixels();
    startPage = pages::startPage(pages::classify(screen.width(), screen.height()));
  }
  void cleanupTestCase() { server.reset(); }

  void aCrashedRendererIsRestartedOnThePageUntilItCrashesThreeTimesInAMinute() {
    Reader reader(server->base());
    startReader(reader);
    const QString window = findWindow(QStringLiteral("^Tavrin$"));
    sendKeys(window, {QStringLiteral("Next")});  // module 1's entry page, sent on to its class page
    QTRY_VERIFY_WITH_TIMEOUT(windowTitles().contains(QStringLiteral("Tavrin - Module 1")), 20000);
    const QString classPage =
        QStringLiteral("mod01%1.qx")
            .arg(*pages::classLetter(pages::classify(screenPixels().width(), screenPixels().height())));
    const auto classPageServed = [&] { return server->requests().count(QStringLiteral("/qx_cbt/qx2/") + classPage); };
    QTRY_VERIFY_WITH_TIMEOUT(classPageServed() > 0, 10000);
    QTest::qWait(1000);
    const qsizetype served = classPageServed();
    const QByteArray history = reader.history();
    QCOMPARE(history, record(startPage) + record(QStringLiteral("qx010001.qx")));
    QVERIFY(pageText(window, blankSpot(window)).contains(QStringLiteral("Module 1 –")));

    // Killed twice: each time the same page comes back by itself, on a new renderer.
    for (int crash = 1; crash <= 2; ++crash) {
      const QList<qint64> renderers = pageRenderers(reader.process().processId());
      QCOMPARE(renderers.size(), 1);
      ::kill(static_cast<pid_t>(renderers.front()), SIGKILL);
      QTRY_COMPARE_WITH_TIMEOUT(classPageServed(), served + crash, 15000);
      QTRY_VERIFY_WITH_TIMEOUT(pageRenderers(reader.process().processId()).size() == 1 &&
                                   pageRenderers(reader.process().processId()) != renderers,
                               10000);
      QTRY_VERIFY_WITH_TIMEOUT(pageText(window, blankSpot(window)).contains(QStringLiteral("Module 1 –")), 10000);
    }
    // The third time within the minute it is left for the user to reload.
    ::kill(static_cast<pid_t>(pageRenderers(reader.process().processId()).value(0)), SIGKILL);
    QString text;
    QTRY_VERIFY_WITH_TIMEOUT((text = pageText(window, blankSpot(window))).contains(QStringLiteral("stopped working")),
                             15000);
    QVERIFY2(text.contains(server->base() + classPage) && text.contains(QStringLiteral("Reload")), qPrintable(text));
    QTest::qWait(1500);
    QCOMPARE(classPageServed(), served + 2);  // not asked for again by itself
    QVERIFY(windowTitles().contains(QStringLiteral("Tavrin - Module 1")));

    // Its Reload link (the only link: Tab reaches it) brings the page back.
    sendKeys(window, {QStringLiteral("Tab"), QStringLiteral("Return")});
    QTRY_COMPARE_WITH_TIMEOUT(classPageServed(), served + 3, 15000);
    QTRY_VERIFY_WITH_TIMEOUT(pageText(window, blankSpot(window)).contains(QStringLiteral("Module 1 –")), 10000);
    // Nothing of this was reading: the history is as it was, and >> leads on from the page.
    QTest::qWait(1000);
    QCOMPARE(reader.history(), history);
    sendKeys(window, {QStringLiteral("Next")});
    QTRY_COMPARE_WITH_TIMEOUT(reader.history(), history + record(QStringLiteral("qx010002.qx")), 15000);
  }

  void aPageTheServerCannotGiveArrivesByItselfOnceItAnswers() {
    Reader reader(server->base());
    startReader(reader);
    const QString window = findWindow(QStringLiteral("^Tavrin$"));
    const quint16 port = server->port();
    server.reset();

    // The entry page of module 1 cannot be had: the program's own page says so.
    sendKeys(window, {QStringLiteral("Next")});
    QString text;
    QTRY_VERIFY_WITH_TIMEOUT(
        (text = pageText(window, blankSpot(window))).contains(QStringLiteral("The course server does not answer")),
        15000);
    const QString base = QStringLiteral("http://127.0.0.1:%1/qx_cbt/qx2/").arg(port);
    QVERIFY2(text.contains(base + QStringLiteral("qx010001.qx")) && text.contains(QStringLiteral("Retry")),
             qPrintable(text));
    // The user goes elsewhere (the contents page): what failed before is asked for no more.
    sendKeys(window, {QStringLiteral("alt+c")});
    QTRY_VERIFY_WITH_TIMEOUT(
        pageText(window, blankSpot(window))
            .contains(base + pages::contentsPage(pages::classify(screenPixels().width(), screenPixels().height()))),
        15000);
    QCOMPARE(reader.history(), record(startPage));
    QVERIFY(windowTitles().contains(QStringLiteral("Tavrin")));

    // The server comes back where it was: the page asked for last arrives by itself, once.
    server = std::make_unique<CourseServer>(port);
    QCOMPARE(server->base(), base);
    const QString contents = pages::contentsPage(pages::classify(screenPixels().width(), screenPixels().height()));
    QTRY_COMPARE_WITH_TIMEOUT(reader.history(), record(startPage) + record(contents), 15000);
    QTRY_VERIFY_WITH_TIMEOUT(pageText(window, blankSpot(window)).contains(QStringLiteral("Layout ")), 10000);
    QTest::qWait(6000);  // longer than the program waits between two tries
    QCOMPARE(reader.history(), record(startPage) + record(contents));
    QCOMPARE(server->requests().count(QStringLiteral("/qx_cbt/qx2/qx010001.qx")), 0);
    QCOMPARE(server->requests().count(QStringLiteral("/qx_cbt/qx2/") + contents), 1);
  }

  void aServerThatNeverAnswersCountsAsFailedAfterTheTimeLimit() {
    // It takes every connection and says nothing.
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost));
    QList<QTcpSocket*> held;
    connect(&silent, &QTcpServer::newConnection, [&] {
      while (QTcpSocket* socket = silent.nextPendingConnection()) held << socket;
    });
    const QString base = QStringLiteral("http://127.0.0.1:%1/qx_cbt/qx2/").arg(silent.serverPort());
    Reader reader(base);
    reader.setEnvironment(QStringLiteral("TAVRIN_PAGE_TIME_LIMIT"), QStringLiteral("3"));
    reader.start();
    QString window;  // titled as at start: no page has arrived to title it
    QTRY_VERIFY_WITH_TIMEOUT(!(window = windowOf(reader.process().processId())).isEmpty(), 30000);
    QString text;
    QTRY_VERIFY_WITH_TIMEOUT(
        (text = pageText(window, blankSpot(window))).contains(QStringLiteral("sent nothing within 3")), 20000);
    QVERIFY2(text.contains(base + startPage) && text.contains(QStringLiteral("Retry")), qPrintable(text));
    QCOMPARE(reader.history(), QByteArray());
    // It keeps asking, a few seconds apart, not in a busy loop.
    const qsizetype asked = held.size();
    QTRY_VERIFY_WITH_TIMEOUT(held.size() > asked, 20000);
    QVERIFY(held.size() < 20);
    qDeleteAll(held);
  }
};

QTEST_MAIN(TestE2ERecovery)
#include "test_e2e_recovery.moc"
