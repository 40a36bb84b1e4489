// The real clock and event processing under the tick wait, and the previous-copy lock.
#include "desktop/process.h"
#include "desktop/qpaplatform.h"
#include "logic/tickwait.h"
#include "posix/instancelock.h"
#include "support/files.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

class TestPlatform : public QObject {
  Q_OBJECT
 private slots:
  void timerDueDuringTheWaitFiresInsideIt() {
    SteadyClock clock;
    TickWait wait{&clock, processPendingEvents};
    bool fired = false;
    QTimer::singleShot(200, [&] { fired = true; });
    wait();
    QVERIFY(fired);
  }

  void onlyTheFirstHolderIsTheReader() {
    QTemporaryDir dir;
    const QString path = dir.filePath("tavrin.lock");
    InstanceLock first(path);
    QVERIFY(!first.anotherCopyRuns());
    QVERIFY(!first.anotherCopyRuns());  // asking again keeps the lock
    {
      InstanceLock second(path);
      QVERIFY(second.anotherCopyRuns());
    }
  }

  // Another user's file, or a link, at the lock's place, locked by its owner: it would make
  // every start a launcher that ends. It is not used, and said so.
  void aLockNotOursIsNotUsed_data() {
    QTest::addColumn<bool>("link");
    QTest::newRow("another user's file") << false;
    QTest::newRow("a link to a locked file") << true;
  }
  void aLockNotOursIsNotUsed() {
    QFETCH(bool, link);
    if (!link && ::geteuid() != 0) QSKIP("needs root to hand a file to another user");
    QTemporaryDir dir;
    const QString held = dir.filePath("held");
    QVERIFY(writeFile(held, {}));
    const QString path = link ? dir.filePath("tavrin.lock") : held;
    if (link)
      QVERIFY(QFile::link(held, path));
    else
      QVERIFY(::chown(QFile::encodeName(held).constData(), 65534, 65534) == 0);
    const int theirs = ::open(QFile::encodeName(held).constData(), O_RDWR);
    QVERIFY(theirs >= 0 && ::flock(theirs, LOCK_EX | LOCK_NB) == 0);

    InstanceLock lock(path);
    QTest::ignoreMessage(
        QtWarningMsg, QRegularExpression("the instance lock .* is not used: \"it (is a link|belongs to user 65534)"));
    QVERIFY(!lock.anotherCopyRuns());
    ::close(theirs);
  }

  // The reader runs as an X11 client wherever an X display is there, unless the user chose.
  void qtPlatformChoice_data() {
    QTest::addColumn<QString>("platform");
    QTest::addColumn<QString>("display");
    QTest::addColumn<QByteArray>("set");
    QTest::addColumn<bool>("noted");
    QTest::newRow("wayland session with Xwayland") << ""
                                                   << ":0" << QByteArray("xcb") << false;
    QTest::newRow("no X display") << ""
                                  << "" << QByteArray() << true;
    QTest::newRow("user chose xcb") << "xcb"
                                    << ":0" << QByteArray() << false;
    QTest::newRow("user chose xcb with options") << "xcb:nomitshm"
                                                 << ":0" << QByteArray() << false;
    QTest::newRow("user chose wayland") << "wayland"
                                        << ":0" << QByteArray() << true;
    QTest::newRow("wayland first in a list") << "wayland;xcb"
                                             << ":0" << QByteArray() << true;
    QTest::newRow("offscreen") << "offscreen"
                               << "" << QByteArray() << true;
  }
  void qtPlatformChoice() {
    QFETCH(QString, platform);
    QFETCH(QString, display);
    QFETCH(QByteArray, set);
    QFETCH(bool, noted);
    const auto choice = chooseQpaPlatform([&](const char* name) {
      return qstrcmp(name, "QT_QPA_PLATFORM") == 0 ? platform : qstrcmp(name, "DISPLAY") == 0 ? display : QString();
    });
    QCOMPARE(choice.set, set);
    QCOMPARE(!choice.note.isEmpty(), noted);
  }

  void aLockThatCannotBeOpenedLetsTheCopyRunAlone() {
    InstanceLock lock(QStringLiteral("/nonexistent-folder/tavrin.lock"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("cannot open the instance lock"));
    QVERIFY(!lock.anotherCopyRuns());
  }
};

QTEST_GUILESS_MAIN(TestPlatform)
#include "test_platform.moc"
