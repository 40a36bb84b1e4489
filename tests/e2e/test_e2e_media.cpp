// The real reader's media: a course video played over the black backdrop until it ends by
// itself, narration a simulator asks for, and the return window of an open exercise.
#include "e2e/harness.h"

#include <QImage>
#include <QTest>

using namespace e2e;

namespace {
// The colour of one pixel of the screen.
QColor pixel(QPoint at) {
  const QImage image = screenshot({at, QSize(1, 1)});
  return image.isNull() ? QColor() : image.pixelColor(0, 0);
}

// A simulator peer: the stand-in with the reader's blocks; its report, or why there is none.
QString standIn(const QStringList& arguments) {
  QProcess peer;
  peer.start(QStringLiteral(TAVRIN_STANDIN), QStringList{QStringLiteral("ampvale"), QStringLiteral("--prefix"),
                                                         blockPrefix(), QStringLiteral("--once")} +
                                                 arguments);
  if (!peer.waitForFinished(30000)) return QStringLiteral("(the stand-in did not end within 30 s)");
  return QString::fromUtf8(peer.readAllStandardOutput() + peer.readAllStandardError());
}
}  // namespace

class TestE2EMedia : public QObject {
  Q_OBJECT
  std::unique_ptr<CourseServer> server;
  std::unique_ptr<Reader> reader;

 private slots:
  void initTestCase() {
    server = std::make_unique<CourseServer>();
    QVERIFY2(!server->base().isEmpty(), "the course server did not start");
    reader = std::make_unique<Reader>(server->base());
    reader->start();
    E2E_TRY_VERIFY(!reader->history().isEmpty(), 30000);
  }
  void cleanup() { reader->showOutputIfFailed(); }
  void cleanupTestCase() {
    reader.reset();
    server.reset();
  }

  void aVideoPlaysOverTheBackdropAndEndsByItself() {
    // The first page is recorded before its title reaches the X server.
    QString window;
    E2E_TRY_VERIFY(!(window = findWindow(QStringLiteral("^Tavrin$"))).isEmpty(), 15000);
    const QPoint corner(20, screenPixels().height() - 40);  // of the backdrop, which the picture leaves free
    // The page is drawn, heading and all, before it is clicked: a page not yet drawn takes no
    // input.
    E2E_TRY_VERIFY(isMaximised(window), 10000);
    E2E_TRY_VERIFY(drawnIn(window, {20, 86, 380, 20}), 10000);  // the heading's band
    // From the start page's heading, the next link is "Watch the introduction".
    click(window, {200, 96});
    sendKeys(window, {QStringLiteral("Tab"), QStringLiteral("Return")});
    E2E_TRY_VERIFY(!server->requests().filter(QStringLiteral("/qx/title.avi")).isEmpty(), 15000);
    // The backdrop covers the page...
    E2E_TRY_COMPARE(pixel(corner), QColor(Qt::black), 10000);
    // ...until the video (three seconds) has ended and the watch, from six seconds after its
    // start, takes it away.
    E2E_TRY_VERIFY(pixel(corner) != QColor(Qt::black), 30000);
    // A reader that ended would leave the screen black as well, and pass the first wait.
    QCOMPARE(reader->process().state(), QProcess::Running);
    QCOMPARE(windowName(window), QStringLiteral("Tavrin"));
  }

  // An exercise handed over (by a launcher copy that then waits for a simulator that never
  // comes): the reader's poll shows the return window, and a click on it (or Ctrl+R in the
  // reader) brings the reader back and clears the exercise.
  void theReturnWindowComesWithAnExercise_data() {
    QTest::addColumn<bool>("byKey");
    QTest::newRow("click") << false;
    QTest::newRow("Ctrl+R in the reader") << true;
  }
  void theReturnWindowComesWithAnExercise() {
    QFETCH(bool, byKey);
    QProcess copy;
    QProcessEnvironment env = reader->environment();
    env.insert(QStringLiteral("ProgramFiles"), QStringLiteral("/nonexistent"));
    copy.setProcessEnvironment(env);
    copy.start(buildDir() + QStringLiteral("/tavrin"), {QStringLiteral("lab2.ckt")});
    QString returnWindow;
    E2E_TRY_VERIFY(!(returnWindow = findWindow(QStringLiteral("^withfile$"))).isEmpty(), 5000);
    copy.kill();
    copy.waitForFinished(5000);
    const QString seen = standIn({});
    QVERIFY2(seen.contains(QStringLiteral("/Vendrel/Ampvale/QX_CKTS/lab2.ckt")), qPrintable(seen));
    if (byKey)
      sendKeys(waitForWindow(QStringLiteral("^Tavrin$")), {QStringLiteral("ctrl+r")});
    else
      click(returnWindow, {80, 30});
    E2E_TRY_COMPARE(activeWindowTitle(), QStringLiteral("Tavrin"), 5000);
    const QString after = standIn({});
    QVERIFY2(after.contains(QStringLiteral("name=\n")), qPrintable(after));
    E2E_TRY_VERIFY(findWindow(QStringLiteral("^withfile$")).isEmpty(), 5000);
  }

  void narrationASimulatorAsksForIsPlayed() {
    const QString seen =
        standIn({QStringLiteral("--request"), QStringLiteral("v0101"), QStringLiteral("--pad"), QStringLiteral("nul")});
    QVERIFY2(seen.contains(QStringLiteral("name=")), qPrintable(seen));
    QVERIFY2(waitUntil([&] { return server->requests().contains(QStringLiteral("/qx_cbt/qx2/c01/v0101.wav")); },
                       std::chrono::seconds(10)),
             qPrintable(server->requests().mid(server->requests().size() - 5).join(u' ')));
  }
};

QTEST_MAIN(TestE2EMedia)
#include "test_e2e_media.moc"
