// The real clock and event processing under the tick wait, and the previous-copy lock.
#include "desktop/process.h"
#include "logic/tickwait.h"
#include "posix/instancelock.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

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

  void aLockThatCannotBeOpenedLetsTheCopyRunAlone() {
    InstanceLock lock(QStringLiteral("/nonexistent-folder/tavrin.lock"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("cannot open the instance lock"));
    QVERIFY(!lock.anotherCopyRuns());
  }
};

QTEST_GUILESS_MAIN(TestPlatform)
#include "test_platform.moc"
