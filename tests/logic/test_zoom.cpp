// The zoom's steps and bounds, and how the choice is kept in the settings file.
#include "logic/startup.h"
#include "logic/zoom.h"
#include "posix/posixfilesystem.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QtNumeric>

class TestZoom : public QObject {
  Q_OBJECT

 private slots:
  void steps_data() {
    QTest::addColumn<double>("factor");
    QTest::addColumn<int>("direction");
    QTest::addColumn<double>("expected");
    QTest::newRow("up from the own size") << 1.0 << 1 << 1.1;
    QTest::newRow("down from the own size") << 1.0 << -1 << 0.9;
    QTest::newRow("up between steps") << 1.3 << 1 << 1.5;
    QTest::newRow("down between steps") << 1.3 << -1 << 1.25;
    QTest::newRow("a step off by rounding is that step") << 0.6700001 << 1 << 0.75;
    QTest::newRow("up at the largest stays") << 3.0 << 1 << 3.0;
    QTest::newRow("down at the smallest stays") << 0.5 << -1 << 0.5;
    QTest::newRow("beyond the largest comes back") << 7.0 << -1 << 2.5;
    QTest::newRow("below the smallest comes up") << 0.1 << 1 << 0.67;
    QTest::newRow("not a number is the own size") << qQNaN() << 1 << 1.1;
  }
  void steps() {
    QFETCH(double, factor);
    QFETCH(int, direction);
    QFETCH(double, expected);
    QCOMPARE(zoom::step(factor, direction), expected);
  }

  // From the smallest to the largest and back in whole steps, never past the bounds.
  void stepsCoverTheRangeBothWays() {
    double f = zoom::kSmallest;
    int up = 0;
    for (; f < zoom::kLargest; ++up) f = zoom::step(f, 1);
    QCOMPARE(f, zoom::kLargest);
    int down = 0;
    for (; f > zoom::kSmallest; ++down) f = zoom::step(f, -1);
    QCOMPARE(up, down);
    QVERIFY(up >= 8);
  }

  void keptBetweenRuns() {
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/Vendrel/TavrinLab.conf");
    QCOMPARE(zoom::load(files, path), zoom::kNormal);  // nothing kept yet
    QVERIFY(zoom::save(files, path, 1.75));            // the folder is made
    QCOMPARE(zoom::load(files, path), 1.75);
    QVERIFY(zoom::save(files, path, 9.0));
    QCOMPARE(zoom::load(files, path), zoom::kLargest);
    QVERIFY(!zoom::save(files, QString(), 2.0));  // no settings file: nothing kept
    QCOMPARE(zoom::load(files, QString()), zoom::kNormal);
  }

  // The settings file may hold more than the zoom: what else it holds stays.
  void otherSettingsAreKept() {
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/TavrinLab.conf");
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("[other]\nkey=1\n\n[view]\nzoom=1.5\nwidth=3\n");
    f.close();
    QVERIFY(zoom::save(files, path, 2.0));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("[other]\nkey=1\n\n[view]\nzoom=2\nwidth=3\n"));
  }

  void aBrokenEntryIsTheOwnSize_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<double>("expected");
    QTest::newRow("not a number") << QByteArray("[view]\nzoom=large\n") << zoom::kNormal;
    QTest::newRow("too small") << QByteArray("[view]\nzoom=0.01\n") << zoom::kSmallest;
    QTest::newRow("no entry") << QByteArray("[other]\nkey=1\n") << zoom::kNormal;
    QTest::newRow("not a settings file") << QByteArray("\x00\xff\x01zoom", 7) << zoom::kNormal;
  }
  void aBrokenEntryIsTheOwnSize() {
    QFETCH(QByteArray, file);
    QFETCH(double, expected);
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/TavrinLab.conf");
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(file);
    f.close();
    if (file.contains("large")) QTest::ignoreMessage(QtWarningMsg, QRegularExpression("not a number"));
    QCOMPARE(zoom::load(files, path), expected);
  }

  void settingsFileFollowsXdg_data() {
    QTest::addColumn<QString>("xdgConfigHome");
    QTest::addColumn<QString>("home");
    QTest::addColumn<QString>("expected");
    QTest::newRow("XDG_CONFIG_HOME") << "/x/conf"
                                     << "/home/u"
                                     << "/x/conf/Vendrel/TavrinLab.conf";
    QTest::newRow("HOME") << ""
                          << "/home/u"
                          << "/home/u/.config/Vendrel/TavrinLab.conf";
    QTest::newRow("a relative XDG_CONFIG_HOME is passed over") << "conf"
                                                               << "/home/u"
                                                               << "/home/u/.config/Vendrel/TavrinLab.conf";
    QTest::newRow("neither: nothing kept") << ""
                                           << ""
                                           << "";
  }
  void settingsFileFollowsXdg() {
    QFETCH(QString, xdgConfigHome);
    QFETCH(QString, home);
    QFETCH(QString, expected);
    const QHash<QString, QString> env{{"XDG_CONFIG_HOME", xdgConfigHome}, {"HOME", home}};
    QCOMPARE(startup::settingsFile([&](const char* name) { return env.value(QString::fromLatin1(name)); }), expected);
  }

 private:
  PosixFileSystem files;
};

QTEST_MAIN(TestZoom)
#include "test_zoom.moc"
