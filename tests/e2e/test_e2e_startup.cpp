// The real reader on the served sample course: its first page, and a module entry page
// sent on to the class page of the screen.
#include "e2e/harness.h"
#include "viewer/pagenames.h"

#include <QTest>

using namespace e2e;

class TestE2EStartup : public QObject {
  Q_OBJECT
  std::unique_ptr<CourseServer> server;

 private slots:
  void initTestCase() {
    server = std::make_unique<CourseServer>();
    QVERIFY2(!server->base().isEmpty(), "the course server did not start");
  }
  void cleanupTestCase() { server.reset(); }

  void firstPageIsTheStartPageOfTheScreenClass() {
    const QSize screen = screenSize();
    const int cls = pages::classify(screen.width(), screen.height());
    Reader reader(server->base());
    reader.start();
    QTRY_VERIFY_WITH_TIMEOUT(windowTitles().contains(QStringLiteral("Tavrin")), 30000);
    const QByteArray record = '"' + pages::startPage(cls).toLatin1() + "\"\r\n";
    QTRY_COMPARE_WITH_TIMEOUT(reader.history(), record, 10000);

    // Page Down follows the start page's "next" link: the entry page of module 1, which
    // leads on to the class page and is recorded under its own name.
    sendKeys(findWindow(QStringLiteral("^Tavrin$")), {QStringLiteral("Next")});
    QTRY_VERIFY_WITH_TIMEOUT(windowTitles().contains(QStringLiteral("Tavrin - Module 1")), 20000);
    QTRY_COMPARE_WITH_TIMEOUT(reader.history(), record + "\"qx010001.qx\"\r\n", 10000);
    QTest::qWait(1500);  // the class page arrives and is not recorded
    QCOMPARE(reader.history(), record + "\"qx010001.qx\"\r\n");
  }

  void secondCopyEndsAtOnceAndLeavesTheReaderAlone() {
    Reader reader(server->base());
    reader.start();
    QTRY_VERIFY_WITH_TIMEOUT(!reader.history().isEmpty(), 30000);
    const QByteArray history = reader.history();

    QProcess second;
    second.setProcessEnvironment(reader.environment());
    second.start(buildDir() + QStringLiteral("/tavrin"));
    QVERIFY(second.waitForFinished(20000));
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(windowTitles().count(QStringLiteral("Tavrin")), 1);
    QCOMPARE(reader.history(), history);
    QCOMPARE(reader.process().state(), QProcess::Running);
  }
};

QTEST_MAIN(TestE2EStartup)
#include "test_e2e_startup.moc"
