// The launcher's decision on its command line, the exercise hand-over and its watch.
#include "logic/launcher.h"
#include "logic/popup.h"
#include "support/fakeblocks.h"

#include <QTest>

using namespace launcher;

namespace {

const Places kPlaces{QStringLiteral("/prog"), QStringLiteral("/pf"), QStringLiteral("/data")};

// One line per decision, so that a table row reads like what the launcher will do.
QString describe(const Action& action) {
  struct {
    QString operator()(const NoMode&) const { return QStringLiteral("none"); }
    QString operator()(const BringForward&) const { return QStringLiteral("bring forward"); }
    QString operator()(const Picture& p) const {
      return QStringLiteral("picture [%1] %2 x %3").arg(p.PopFile).arg(p.width).arg(p.height);
    }
    QString operator()(const PracticeTest& t) const {
      return t.program.isEmpty() ? QStringLiteral("practice refused [%1]").arg(t.name)
                                 : QStringLiteral("practice %1").arg(t.program);
    }
    QString operator()(const Exercise& e) const {
      return QStringLiteral("%1 %2 kind %3")
          .arg(e.simulator == Simulator::Trivex ? "Trivex" : "Ampvale", e.path,
               e.kind ? QString::number(*e.kind) : QStringLiteral("kept"));
    }
  } visitor;
  return std::visit(visitor, action);
}

}  // namespace

class TestLauncher : public QObject {
  Q_OBJECT
 private slots:
  void modeOf_data() {
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QString>("decision");
    QTest::newRow("empty") << ""
                           << "bring forward";
    QTest::newRow("blank is not empty") << " "
                                        << "none";
    // "/POPJPG=", a.jpg, a blank, "/W", one further character, 640, a blank, "/H", one
    // further character, 480.
    QTest::newRow("picture") << "/POPJPG=a.jpg /W:640 /H:480"
                             << "picture [a.jpg] 640 x 480";
    QTest::newRow("picture, any character after /W and /H") << "/POPJPG=pics/fig 3.jpg /W=1024 /Hx768"
                                                            << "picture [pics/fig 3.jpg] 1024 x 768";
    QTest::newRow("picture, blanks around numbers") << "/POPJPG=a.jpg /W: 64  /H: 48 "
                                                    << "picture [a.jpg] 64 x 48";
    QTest::newRow("picture, width not a number") << "/POPJPG=a.jpg /W:big /H:480"
                                                 << "picture [a.jpg] 0 x 480";
    QTest::newRow("picture, height too big") << "/POPJPG=a.jpg /W:1 /H:99999999999"
                                             << "picture [a.jpg] 1 x 0";
    QTest::newRow("picture, numbers at the 32-bit limits") << "/POPJPG=a.jpg /W:-2147483648 /H:+2147483647"
                                                           << "picture [a.jpg] -2147483648 x 2147483647";
    QTest::newRow("picture, just past the 32-bit limits") << "/POPJPG=a.jpg /W:-2147483649 /H:2147483648"
                                                          << "picture [a.jpg] 0 x 0";
    QTest::newRow("picture, only blanks surround a number") << "/POPJPG=a.jpg /W:40\t /H:\r48"
                                                            << "picture [a.jpg] 0 x 0";
    QTest::newRow("picture, a sign alone or apart") << "/POPJPG=a.jpg /W:- /H:+ 4"
                                                    << "picture [a.jpg] 0 x 0";
    QTest::newRow("picture, no name before /W") << "/POPJPG=/W:1 /H:2"
                                                << "picture [] 1 x 2";
    QTest::newRow("picture, /H before /W") << "/POPJPG=a.jpg /H:480 /W:640"
                                           << "picture [a.jpg /H:480] 0 x 0";
    QTest::newRow("picture without /W") << "/POPJPG=a.jpg /H:480"
                                        << "none";
    QTest::newRow("picture without /H") << "/POPJPG=a.jpg /W:640"
                                        << "none";
    QTest::newRow("picture prefix in lower case") << "/popjpg=a.jpg /W:640 /H:480"
                                                  << "none";
    QTest::newRow("picture before exercise") << "/POPJPG=a.cir"
                                             << "none";
    QTest::newRow("practice, blanks trimmed") << "/PRAC= 05 "
                                              << "practice /prog/ch05test";
    QTest::newRow("practice before exercise") << "/PRAC=x.cir"
                                              << "practice /prog/chx.cirtest";
    QTest::newRow("practice leaving the folder") << "/PRAC=../x"
                                                 << "practice refused [../x]";
    QTest::newRow("practice with dots only") << "/PRAC= .. "
                                             << "practice refused [..]";
    QTest::newRow("practice in a subfolder") << "/PRAC=a/b"
                                             << "practice refused [a/b]";
    QTest::newRow("practice with a backslash") << "/PRAC=a\\b"
                                               << "practice refused [a\\b]";
    QTest::newRow("practice without a name") << "/PRAC="
                                             << "practice refused []";
    QTest::newRow("practice with blanks only") << "/PRAC=   "
                                               << "practice refused []";
    QTest::newRow("practice prefix in lower case") << "/prac=05"
                                                   << "none";
    QTest::newRow(".cir") << "m07e1.cir"
                          << "Trivex /data/Vendrel/Trivex/RUV_CIRS/m07e1.cir kind 2";
    QTest::newRow(".prb") << "m07e1.prb"
                          << "Trivex /data/Vendrel/Trivex/RUV_CIRS/m07e1.prb kind 2";
    QTest::newRow(".CIR in upper case") << "m07e1.CIR"
                                        << "none";
    QTest::newRow(".ckt") << "m07e1.ckt"
                          << "Ampvale /data/Vendrel/Ampvale/QX_CKTS/m07e1.ckt kind 3";
    QTest::newRow("qx0000 alone") << "qx0000"
                                  << "Ampvale /data/Vendrel/Ampvale/QX_CKTS/qx0000 kind kept";
    QTest::newRow("qx0000 inside a .ckt name") << "qx0000.ckt"
                                               << "Ampvale /data/Vendrel/Ampvale/QX_CKTS/qx0000.ckt kind 3";
    QTest::newRow("qx0000 with more") << "qx0000 "
                                      << "none";
    QTest::newRow("qx0000 after more") << "aqx0000"
                                       << "none";
  }
  void modeOf() {
    QFETCH(QString, commandLine);
    QTEST(describe(launcher::modeOf(commandLine, kPlaces)), "decision");
  }

  void simulatorsHaveTheirTitlesProgramsAndMessages() {
    const auto trivex = std::get<Exercise>(launcher::modeOf(u"e.cir", kPlaces));
    QCOMPARE(trivex.windowTitle, QStringLiteral("Trivex -"));
    QCOMPARE(trivex.program, QStringLiteral("/pf/Vendrel/Trivex/Trivex"));
    QCOMPARE(trivex.giveUpMessage, QStringLiteral("Could not find Trivex. Please retry or run Setup on the USB."));
    const auto ampvale = std::get<Exercise>(launcher::modeOf(u"e.ckt", kPlaces));
    QCOMPARE(ampvale.windowTitle, QStringLiteral("Ampvale"));
    QCOMPARE(ampvale.program, QStringLiteral("/pf/Vendrel/Ampvale/ampvale"));
    QCOMPARE(ampvale.giveUpMessage, QStringLiteral("Could not find Ampvale. Please retry or run Setup on the USB."));
  }

  void passingOnWritesBeforeLookingForTheWindow_data() {
    QTest::addColumn<bool>("windowThere");
    QTest::newRow("simulator running") << true;
    QTest::newRow("simulator to be started") << false;
  }
  void passingOnWritesBeforeLookingForTheWindow() {
    QFETCH(bool, windowThere);
    FakeSharedBlocks fake;
    const auto exercise = std::get<Exercise>(launcher::modeOf(u"m03e2.cir", kPlaces));
    const Passed outcome = passToSimulator(fake, exercise, [&](const QString& title) {
      fake.log << QStringLiteral("activate ") + title;
      return windowThere;
    });
    QCOMPARE(outcome, windowThere ? Passed::Found : Passed::Start);
    QCOMPARE(fake.log, QStringList({"write AmpvaleName 255", "flush AmpvaleName 255", "write AmpvalePrev 1",
                                    "flush AmpvalePrev 1", "activate Trivex -"}));
    QCOMPARE(blocks::decodeName(fake.content[blocks::Block::AmpvaleName]),
             QStringLiteral("/data/Vendrel/Trivex/RUV_CIRS/m03e2.cir"));
    QCOMPARE(fake.content[blocks::Block::AmpvalePrev], QByteArray(1, 2));
  }

  // The picture popup's outer rectangle on a 1920 x 1080 screen (28800 x 16200 twips).
  void popupStaysOnTheScreen_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<QPoint>("pointer");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("at the pointer") << 200 << 150 << QPoint(300, 200) << QRect(300, 200, 246, 170);
    // 3700 x 2550 twips at 28785, 16185: moved to 28800 - 3700 - 200 and 16200 - 2550 - 200.
    QTest::newRow("bottom-right corner: 200 twips short of the edges")
        << 200 << 150 << QPoint(1919, 1079) << QRect(1660, 896, 246, 170);
    QTest::newRow("sizes that did not convert") << 0 << 0 << QPoint(10, 10) << QRect(10, 10, 46, 20);
    QTest::newRow("larger than the screen: the screen less its margins")
        << 4000 << 3000 << QPoint(500, 500) << QRect(13, 13, 1893, 1053);
    QTest::newRow("extreme sizes from a command line")
        << int(INT32_MIN) << int(INT32_MAX) << QPoint(700, 300) << QRect(700, 13, 46, 1053);
  }
  void popupStaysOnTheScreen() {
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(QPoint, pointer);
    QFETCH(QRect, expected);
    const QRect outer = popup::geometry(width, height, pointer, QSize(1920, 1080));
    QCOMPARE(outer, expected);
    QVERIFY(QRect(0, 0, 1920, 1080).contains(outer));
  }

  void watchGivesUpOnTheTickAfterTheLimit_data() {
    QTest::addColumn<int>("limit");
    QTest::newRow("as shipped") << kWatchTickLimit;
    QTest::newRow("shortened") << 2;
  }
  void watchGivesUpOnTheTickAfterTheLimit() {
    QFETCH(int, limit);
    ExerciseWatch watch(limit);
    int looked = 0;
    auto neverThere = [&] {
      ++looked;
      return false;
    };
    for (int i = 1; i <= limit; ++i) QCOMPARE(watch.tick(neverThere), ExerciseWatch::Outcome::Waiting);
    QCOMPARE(watch.tick(neverThere), ExerciseWatch::Outcome::GaveUp);
    QCOMPARE(looked, limit);  // the giving-up tick does not look
    QCOMPARE(watch.ExerciseTicks, qint16(limit + 1));
    QCOMPARE(kWatchTickLimit, 40);
  }

  // The watch gave up: the exercise's name goes, so no return window waits for a simulator
  // that never came; a name that another launcher wrote meanwhile stays.
  void aWatchThatGivesUpTakesItsNameBack() {
    FakeSharedBlocks fake;
    const auto mine = std::get<Exercise>(launcher::modeOf(u"m03e2.cir", kPlaces));
    passToSimulator(fake, mine, [](const QString&) { return false; });
    withdraw(fake, mine);
    QCOMPARE(fake.content[blocks::Block::AmpvaleName], QByteArray(255, '\0'));
    QCOMPARE(fake.content[blocks::Block::AmpvalePrev], QByteArray(1, 2));

    const auto other = std::get<Exercise>(launcher::modeOf(u"lab1.ckt", kPlaces));
    passToSimulator(fake, other, [](const QString&) { return false; });
    withdraw(fake, mine);
    QCOMPARE(blocks::decodeName(fake.content[blocks::Block::AmpvaleName]), other.path);
  }

  void watchEndsWhenTheWindowAppears() {
    ExerciseWatch watch;
    int tick = 0;
    auto appearsAtThird = [&] { return ++tick == 3; };
    QCOMPARE(watch.tick(appearsAtThird), ExerciseWatch::Outcome::Waiting);
    QCOMPARE(watch.tick(appearsAtThird), ExerciseWatch::Outcome::Waiting);
    QCOMPARE(watch.tick(appearsAtThird), ExerciseWatch::Outcome::Found);
  }
};

QTEST_GUILESS_MAIN(TestLauncher)
#include "test_launcher.moc"
