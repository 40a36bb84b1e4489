// Copies of the real program started while a reader runs, as the course's other programs
// start them: bringing the reader forward, handing an exercise to a simulator (the
// stand-in), giving up on a simulator that never comes, and a picture popup.
#include "e2e/harness.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace e2e;

namespace {

// A program folder whose Ampvale is the stand-in simulator, reporting into `report`.
void installStandIn(const QString& programFiles, const QString& report) {
  const QString folder = programFiles + QStringLiteral("/Vendrel/Ampvale");
  QDir().mkpath(folder);
  QFile script(folder + QStringLiteral("/ampvale"));
  QVERIFY(script.open(QIODevice::WriteOnly));
  script.write("#!/bin/sh\nexec '" + QByteArray(TAVRIN_STANDIN) + "' ampvale --prefix '" + blockPrefix().toUtf8() +
               "' --out '" + report.toUtf8() + "' </dev/null\n");
  script.close();
  script.setPermissions(script.permissions() | QFile::ExeOwner);
}

QString readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

}  // namespace

class TestE2ELaunchers : public QObject {
  Q_OBJECT
  std::unique_ptr<CourseServer> server;
  std::unique_ptr<Reader> reader;
  QTemporaryDir scratch;

  // A copy with `arguments` and the reader's folders, with extra environment.
  // A copy whose error output is kept when `keepErrors` (with the start-up's debug lines,
  // which name the module of engines when it is loaded), else passed on to the test's.
  std::unique_ptr<QProcess> launch(const QStringList& arguments, const QStringList& environment = {},
                                   bool keepErrors = false) {
    auto copy = std::make_unique<QProcess>();
    QProcessEnvironment env = reader->environment();
    for (const QString& setting : environment) env.insert(setting.section(u'=', 0, 0), setting.section(u'=', 1));
    if (keepErrors) env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("tavrin.startup.debug=true"));
    copy->setProcessEnvironment(env);
    copy->setProcessChannelMode(keepErrors ? QProcess::SeparateChannels : QProcess::ForwardedErrorChannel);
    copy->start(buildDir() + QStringLiteral("/tavrin"), arguments);
    return copy;
  }

 private slots:
  void initTestCase() {
    server = std::make_unique<CourseServer>();
    QVERIFY2(!server->base().isEmpty(), "the course server did not start");
    reader = std::make_unique<Reader>(server->base());
    reader->start();
    E2E_TRY_VERIFY(!reader->history().isEmpty(), 30000);
  }
  void cleanup() {
    if (reader) reader->showOutputIfFailed();
  }
  void cleanupTestCase() {
    reader.reset();
    server.reset();
  }

  // In a Wayland session too, where Qt would otherwise take its Wayland platform.
  void theReaderIsAnX11Client() { E2E_TRY_VERIFY(!windowOf(reader->process().processId()).isEmpty(), 15000); }

  void aSecondCopyBringsTheReaderForward() {
    QProcess other;  // another program's window in front of the reader
    // The simulators are X11 programs, in a Wayland session too.
    QProcessEnvironment otherEnv = QProcessEnvironment::systemEnvironment();
    otherEnv.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    other.setProcessEnvironment(otherEnv);
    other.start(QStringLiteral(TAVRIN_STANDIN),
                {QStringLiteral("trivex"), QStringLiteral("--prefix"), blockPrefix() + QStringLiteral("other-")});
    QString otherWindow;
    E2E_TRY_VERIFY(!(otherWindow = findWindow(QStringLiteral("^Trivex - - exercise$"))).isEmpty(), 15000);
    sendKeys(otherWindow, {});  // brought forward and given the keyboard, as its user would
    E2E_TRY_COMPARE(activeWindow(), otherWindow, 10000);
    auto copy = launch({}, {}, true);
    QVERIFY(ended(*copy, 20000));
    QCOMPARE(copy->exitCode(), 0);
    // It had no window to show: the browser and the player were never loaded.
    QVERIFY(!copy->readAllStandardError().contains("tavrin-engines.so"));
    E2E_TRY_COMPARE(activeWindowTitle(), QStringLiteral("Tavrin"), 10000);
    QCOMPARE(windowTitles().count(QStringLiteral("Tavrin")), 1);
    other.kill();
    other.waitForFinished();
  }

  // A simulator that is there already is brought forward by the copy, which ends at once:
  // the same request as above, on behalf of another program.
  void anExerciseCopyBringsASimulatorThatIsThereForward() {
    QProcess simulator;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    simulator.setProcessEnvironment(env);
    simulator.start(QStringLiteral(TAVRIN_STANDIN),
                    {QStringLiteral("ampvale"), QStringLiteral("--prefix"), blockPrefix() + QStringLiteral("there-")});
    QString simulatorWindow;
    E2E_TRY_VERIFY(!(simulatorWindow = findWindow(QStringLiteral("^Ampvale - exercise$"))).isEmpty(), 15000);
    const QString readerWindow = findWindow(QStringLiteral("^Tavrin$"));
    sendKeys(readerWindow, {});
    E2E_TRY_COMPARE(activeWindow(), readerWindow, 10000);
    auto copy =
        launch({QStringLiteral("lab4.ckt")}, {QStringLiteral("ProgramFiles=") + scratch.filePath("none")}, true);
    QVERIFY(ended(*copy, 20000));
    QCOMPARE(copy->exitCode(), 0);
    QVERIFY(!copy->readAllStandardError().contains("tavrin-engines.so"));  // no window of its own
    E2E_TRY_COMPARE(activeWindow(), simulatorWindow, 10000);
    simulator.kill();
    simulator.waitForFinished();
  }

  void anExerciseCopyStartsTheSimulatorWhichSeesTheExercise() {
    const QString programFiles = scratch.filePath(QStringLiteral("pf"));
    const QString report = scratch.filePath(QStringLiteral("ampvale.txt"));
    installStandIn(programFiles, report);
    auto copy = launch({QStringLiteral("lab3.ckt")}, {QStringLiteral("ProgramFiles=") + programFiles});
    // The copy ends once the simulator's window is there.
    QVERIFY(ended(*copy, 30000));
    QCOMPARE(copy->exitCode(), 0);
    const QString seen = readAll(report);
    QVERIFY2(seen.contains(QStringLiteral("name=") + reader->environment().value(QStringLiteral("APPDATA")) +
                           QStringLiteral("/Vendrel/Ampvale/QX_CKTS/lab3.ckt")),
             qPrintable(seen));
    QVERIFY(seen.contains(QStringLiteral("prev=3")));
    QVERIFY(seen.contains(QStringLiteral("end=0")));
    QVERIFY(!findWindow(QStringLiteral("^Ampvale - exercise$")).isEmpty());
    QProcess::execute(QStringLiteral("pkill"), {QStringLiteral("-f"), QStringLiteral("tavrin_standin ampvale")});
  }

  void anExerciseCopyGivesUpOnASimulatorThatNeverComes() {
    auto copy = launch({QStringLiteral("lab1.cir")}, {QStringLiteral("ProgramFiles=") + scratch.filePath("none"),
                                                      QStringLiteral("TAVRIN_EXERCISE_TICKS=2")});
    E2E_TRY_VERIFY(windowTitles().contains(QStringLiteral("Tavrin")), 15000);
    QString message;
    E2E_TRY_VERIFY(!(message = windowOf(copy->processId())).isEmpty(), 15000);
    QCOMPARE(copy->state(), QProcess::Running);     // the message waits for the reader
    sendKeys(message, {QStringLiteral("Return")});  // once the box has the keyboard
    E2E_TRY_COMPARE(copy->state(), QProcess::NotRunning, 10000);
    QCOMPARE(copy->exitCode(), 0);
  }

  void aPictureCopyEndsAtAClick() {
    const QSize screen = screenPixels();
    movePointer({screen.width() - 1, screen.height() - 1});
    auto copy = launch({QStringLiteral("/POPJPG=c23/pic2301.jpg"), QStringLiteral("/W:200"), QStringLiteral("/H:150")},
                       {}, true);
    QString popup;
    E2E_TRY_VERIFY(!(popup = windowOf(copy->processId())).isEmpty(), 20000);
    E2E_TRY_VERIFY(server->requests().contains(QStringLiteral("/qx_cbt/qx2/c23/pic2301.jpg")), 10000);
    // No caption bar and a name no search for the reader matches; the whole window, frame
    // and all, 200 twips (13 px) short of the screen's edges; the picture on white.
    QVERIFY2(!windowName(popup).startsWith(QStringLiteral("Tavrin")), qPrintable(windowName(popup)));
    const QRect outer = outerRect(popup);
    // On 1280 x 1024: 3700 x 2550 twips at 19200 - 3700 - 200 and 15360 - 2550 - 200.
    QCOMPARE(screen, QSize(1280, 1024));
    QCOMPARE(outer, QRect(1020, 840, 246, 170));
    const QImage shown = windowImage(popup);
    QVERIFY(!shown.isNull());
    QCOMPARE(QColor(shown.pixel(shown.width() - 10, shown.height() - 10)), QColor(Qt::white));
    QCOMPARE(copy->state(), QProcess::Running);  // open all along, until the click
    click(popup, {50, 50});
    E2E_TRY_COMPARE(copy->state(), QProcess::NotRunning, 5000);
    QCOMPARE(copy->exitCode(), 0);
    QVERIFY(copy->readAllStandardError().contains("tavrin-engines.so"));   // its picture needs the browser
    QVERIFY(!windowTitles().contains(QStringLiteral("Tavrin - Search")));  // the reader was not involved
  }

  // At a scale factor the pointer comes in device pixels: the popup still opens at it.
  void aPictureOpensAtThePointerAtAScaleFactor() {
    movePointer({400, 300});
    auto copy = launch({QStringLiteral("/POPJPG=c23/pic2301.jpg"), QStringLiteral("/W:200"), QStringLiteral("/H:150")},
                       {QStringLiteral("QT_SCALE_FACTOR=2")});
    QString popup;
    E2E_TRY_VERIFY(!(popup = windowOf(copy->processId())).isEmpty(), 20000);
    E2E_TRY_COMPARE(outerRect(popup).topLeft(), QPoint(400, 300), 5000);
    click(popup, {50, 50});
    E2E_TRY_COMPARE(copy->state(), QProcess::NotRunning, 5000);
  }

  // A reader killed while an exercise name stands: the next copy to open the blocks finds
  // them zeroed, so no old exercise comes back.
  void blocksOfACrashedCopyStartZeroed() {
    const QString programFiles = scratch.filePath(QStringLiteral("pf2"));
    installStandIn(programFiles, scratch.filePath(QStringLiteral("first.txt")));
    auto copy = launch({QStringLiteral("lab9.ckt")}, {QStringLiteral("ProgramFiles=") + programFiles});
    QVERIFY(ended(*copy, 30000));
    QProcess::execute(QStringLiteral("pkill"),
                      {QStringLiteral("-KILL"), QStringLiteral("-f"), QStringLiteral("tavrin_standin ampvale")});
    ::kill(pid_t(reader->process().processId()), SIGKILL);
    reader->process().waitForFinished(5000);

    QProcess after;
    after.start(QStringLiteral(TAVRIN_STANDIN),
                {QStringLiteral("ampvale"), QStringLiteral("--prefix"), blockPrefix(), QStringLiteral("--once")});
    QVERIFY(ended(after, 10000));
    const QString seen = QString::fromUtf8(after.readAllStandardOutput());
    QVERIFY2(seen.contains(QStringLiteral("name=\n")), qPrintable(seen));
    QVERIFY(seen.contains(QStringLiteral("prev=0")));
  }
};

QTEST_MAIN(TestE2ELaunchers)
#include "test_e2e_launchers.moc"
