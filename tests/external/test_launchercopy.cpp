// A copy started while the reader runs, on fakes: what each command line makes it do to
// the blocks, the other programs and itself, what it builds, and when it ends.
#include "external/frmpopup.h"
#include "external/launchercopy.h"
#include "logic/blocks.h"
#include "support/fakeplatform.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {
// One tick of a timer, now.
void tick(QTimer* timer) { QMetaObject::invokeMethod(timer, "timeout"); }

QString name(FakeSharedBlocks& blocks) { return blocks::decodeName(*blocks.read(blocks::Block::AmpvaleName)); }
}  // namespace

class TestLauncherCopy : public QObject {
  Q_OBJECT

  QTemporaryDir home;
  std::unique_ptr<FakePlatform> fake;
  std::unique_ptr<LauncherCopy> copy;
  bool windowsNeeded = false;  // the copy asked for the window system

  void makeCopy(const QString& commandLine, int watchTicks = launcher::kWatchTickLimit) {
    fake = std::make_unique<FakePlatform>(home.path() + QStringLiteral("/appdata"));
    fake->otherCopy = true;
    fake->platform.commandLine = commandLine;
    fake->env[QStringLiteral("ProgramFiles")] = QStringLiteral("/pf");
    windowsNeeded = false;
    copy = std::make_unique<LauncherCopy>(
        LauncherHost{fake->platform, courseSetup(*fake), [this] { windowsNeeded = true; }, watchTicks});
  }
  // A second copy with `commandLine`, its simulator windows listed in `windows`.
  bool startCopy(const QString& commandLine, const QStringList& windows = {}) {
    makeCopy(commandLine);
    fake->windowTitles = windows;
    return copy->run(commandLine);
  }

 private slots:
  void cleanup() {
    copy.reset();
    fake.reset();
  }

  void everyCopyOpensTheBlocksAndMarksTheCourseRunning() {
    fake = std::make_unique<FakePlatform>(home.path() + QStringLiteral("/appdata"));
    fake->blocks.write(blocks::Block::AmpvaleEnd, QByteArray(1, char(blocks::kCourseEnded)));
    fake->blockMessages = {QStringLiteral("Can't create file map")};
    QVERIFY(startEveryCopy(fake->platform));
    QCOMPARE(fake->messages.asked.at(0).text, QStringLiteral("Can't create file map"));
    QCOMPARE(*fake->blocks.read(blocks::Block::AmpvaleEnd), QByteArray(1, char(blocks::kCourseRunning)));
    endCopy(fake->platform);
    QVERIFY(fake->blocksClosed);
  }

  void commandLines_data() {
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QStringList>("windows");
    QTest::addColumn<QStringList>("calls");
    QTest::newRow("bring the reader forward")
        << "" << QStringList{"Tavrin"} << QStringList{"title Ending", "activate Tavrin"};
    QTest::newRow("no reader to bring forward")
        << "" << QStringList{} << QStringList{"title Ending", "activate Tavrin"};
    QTest::newRow("practice test") << "/PRAC= 05 " << QStringList{} << QStringList{"start /opt/tavrin/ch05test"};
    QTest::newRow("practice test out of the folder") << "/PRAC=../../bin/sh" << QStringList{} << QStringList{};
    QTest::newRow("simulator already there") << "lab3.ckt" << QStringList{"Ampvale"} << QStringList{"activate Ampvale"};
    QTest::newRow("no mode") << "hello" << QStringList{} << QStringList{};
    QTest::newRow("upper-case exercise is no mode") << "LAB.CIR" << QStringList{} << QStringList{};
  }
  void commandLines() {
    QFETCH(QString, commandLine);
    QFETCH(QStringList, windows);
    QFETCH(QStringList, calls);
    QVERIFY(!startCopy(commandLine, windows));
    QCOMPARE(fake->calls, calls);
    QCOMPARE(fake->ended, std::optional<int>(0));
    QVERIFY(fake->blocksClosed);
    // None of these jobs needs a window: nothing is built, no page is loaded, nothing plays.
    QVERIFY(!windowsNeeded);
    QVERIFY(!fake->browser);
    QVERIFY(!fake->player);
  }

  void exerciseIsWrittenBeforeTheSimulatorIsLookedFor() {
    QVERIFY(!startCopy(QStringLiteral("lab3.cir"), {QStringLiteral("Trivex - lab3")}));
    QCOMPARE(name(fake->blocks), home.path() + QStringLiteral("/appdata/Vendrel/Trivex/RUV_CIRS/lab3.cir"));
    QCOMPARE(*fake->blocks.read(blocks::Block::AmpvalePrev), QByteArray(1, char(blocks::kKindTrivex)));
    QCOMPARE(fake->calls, QStringList{"activate Trivex -"});
  }

  void simulatorStartedAndWatchedUntilItsWindowComes() {
    QVERIFY(startCopy(QStringLiteral("lab3.ckt")));
    QCOMPARE(fake->calls, (QStringList{"activate Ampvale", "start /pf/Vendrel/Ampvale/ampvale"}));
    QVERIFY(windowsNeeded);  // the watch runs in the event loop
    QVERIFY(!fake->browser);
    auto* timer = copy->findChild<QTimer*>(QStringLiteral("TimerAmp"));
    QVERIFY(timer && timer->isActive());
    QCOMPARE(timer->interval(), 1000);
    tick(timer);
    QVERIFY(!fake->ended);
    fake->windowTitles = {QStringLiteral("Ampvale - lab3.ckt")};
    tick(timer);
    QCOMPARE(fake->calls.mid(2), (QStringList{"activate Ampvale", "activate Ampvale", "maximize Ampvale"}));
    QVERIFY(!timer->isActive());
    QCOMPARE(fake->ended, std::optional<int>(0));
    QVERIFY(fake->messages.asked.empty());
  }

  void watchGivesUpWithItsMessage() {
    makeCopy(QStringLiteral("x.prb"), 2);
    fake->startable = false;  // a program that is not there is only reported by the watch
    QVERIFY(copy->run(fake->platform.commandLine));
    auto* timer = copy->findChild<QTimer*>(QStringLiteral("TimerTri"));
    QVERIFY(timer);
    for (int i = 0; i < 3; ++i) tick(timer);
    QCOMPARE(fake->messages.asked.size(), size_t(1));
    QCOMPARE(fake->messages.asked[0].text,
             QStringLiteral("Could not find Trivex. Please retry or run Setup on the USB."));
    QCOMPARE(fake->ended, std::optional<int>(0));
    QVERIFY(!timer->isActive());
  }

  // A path the blocks cannot hold whole is told, named, and not handed over at all.
  void tooLongAPathIsRefusedWithItsName() {
    const QString file = QString(240, u'l') + QStringLiteral(".ckt");
    QVERIFY(!startCopy(file, {QStringLiteral("Ampvale")}));
    QCOMPARE(fake->messages.asked.size(), size_t(1));
    QVERIFY(fake->messages.asked[0].text.contains(home.path() + QStringLiteral("/appdata/Vendrel/Ampvale/QX_CKTS/") +
                                                  file));
    QCOMPARE(*fake->blocks.read(blocks::Block::AmpvaleName), QByteArray(255, '\0'));
    QVERIFY(fake->calls.isEmpty());  // the simulator was neither looked for nor started
    QCOMPARE(fake->ended, std::optional<int>(0));
  }

  void popupEndsAtTheFirstLeftPressOrKey_data() {
    QTest::addColumn<bool>("byKey");
    QTest::newRow("left button") << false;
    QTest::newRow("key") << true;
  }
  void popupEndsAtTheFirstLeftPressOrKey() {
    QFETCH(bool, byKey);
    makeCopy(QStringLiteral("/POPJPG=fig/a.jpg /W:320 /H:240"));
    fake->pointer = Platform::Pointer{QPoint(1270, 1020), false};
    QVERIFY(copy->run(fake->platform.commandLine));
    QVERIFY(windowsNeeded);
    frmPopup* window = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets())
      if (auto* p = qobject_cast<frmPopup*>(top)) window = p;
    QVERIFY(window && window->isVisible());
    QCOMPARE(QApplication::topLevelWidgets().size(), 1);  // the popup alone: no main window
    QVERIFY(!fake->player);
    QCOMPARE(fake->browser->calls.first(), "navigate " + kCourseBase + "fig/a.jpg");
    QCOMPARE(window->accessibleName(), QStringLiteral("a.jpg"));  // the picture's name
    // In the bottom-right corner of a 1280 x 1024 screen: moved up and left, 200 twips
    // short of the edges. In twips: 5500 x 3900 at 13500, 11260.
    QCOMPARE(window->frameGeometry(), QRect(900, 750, 366, 260));
    window->TimerPop_Timer();
    QVERIFY(!fake->ended);
    if (byKey) {
      QTest::keyClick(window->web2()->widget(), Qt::Key_Space);
    } else {
      fake->pointer->leftButtonDown = true;
      window->TimerPop_Timer();
    }
    QCOMPARE(fake->ended, std::optional<int>(0));
    QVERIFY(!window->timerPop()->isActive());
  }
};

QTEST_MAIN(TestLauncherCopy)
#include "test_launchercopy.moc"
