// The real clock and event processing under the tick wait, and the previous-copy lock.
#include "desktop/process.h"
#include "desktop/qpaplatform.h"
#include "logic/tickwait.h"
#include "posix/instancelock.h"
#include "support/files.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
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

  // Without a runtime folder the lock lies in a folder of the program's own in /tmp, then in
  // the home folder. Another user's folder, or a link, at the first place moves the lock to
  // the next; two readers never run, whether the first place is barred or freed meanwhile.
  void aBarredPlaceMovesTheLockAndTwoReadersNeverRun_data() {
    QTest::addColumn<bool>("link");
    QTest::newRow("another user's folder") << false;
    QTest::newRow("a link to a folder") << true;
  }
  void aBarredPlaceMovesTheLockAndTwoReadersNeverRun() {
    QFETCH(bool, link);
    if (!link && ::geteuid() != 0) QSKIP("needs root to hand a folder to another user");
    QTemporaryDir dir;
    const QString own = dir.filePath("tavrin-1000"), home = dir.filePath("home");
    QVERIFY(QDir().mkpath(home) && QDir().mkpath(dir.filePath("elsewhere")));
    const QList<InstanceLock::Place> places{{own, "tavrin.lock", true}, {home, ".tavrin-1000.lock", false}};
    if (link)
      QVERIFY(QFile::link(dir.filePath("elsewhere"), own));
    else
      QVERIFY(QDir().mkpath(own) && ::chown(QFile::encodeName(own).constData(), 65534, 65534) == 0);

    const QRegularExpression barred(
        "the instance lock .*tavrin-1000/tavrin.lock is not used: \"its folder (is a link|belongs to user 65534)\" "
        "- it is taken in .*home instead");
    auto reader = std::make_unique<InstanceLock>(places);
    QTest::ignoreMessage(QtWarningMsg, barred);
    QVERIFY(!reader->anotherCopyRuns());
    QVERIFY(QFileInfo::exists(home + "/.tavrin-1000.lock"));
    {
      InstanceLock launcher(places);
      QTest::ignoreMessage(QtWarningMsg, barred);
      QVERIFY(launcher.anotherCopyRuns());
    }
    // The place is free again while the reader still holds the lock in the home folder.
    QVERIFY(link ? QFile::remove(own) : QDir(own).removeRecursively());
    {
      InstanceLock launcher(places);
      QVERIFY(launcher.anotherCopyRuns());
    }
    // Once the reader has gone, the first place serves again, our folder there made private.
    reader.reset();
    QVERIFY(QDir().mkpath(own) && ::chmod(QFile::encodeName(own).constData(), 0777) == 0);
    InstanceLock next(places);
    QVERIFY(!next.anotherCopyRuns());
    struct stat st {};
    QVERIFY(::lstat(QFile::encodeName(own).constData(), &st) == 0);
    QVERIFY(S_ISDIR(st.st_mode));
    QCOMPARE(st.st_mode & 0777, mode_t(0700));
    QVERIFY(QFileInfo::exists(own + "/tavrin.lock"));
  }

  // A runtime folder is used only when it is the user's and nobody else may write to it.
  void theRuntimeFolderIsUsedOnlyWhenPrivate_data() {
    QTest::addColumn<QString>("runtime");
    QTest::addColumn<bool>("used");
    QTest::newRow("a private folder") << "private" << true;
    QTest::newRow("a folder all may write to") << "/tmp" << false;
    QTest::newRow("none") << "" << false;
  }
  void theRuntimeFolderIsUsedOnlyWhenPrivate() {
    QFETCH(QString, runtime);
    QFETCH(bool, used);
    QTemporaryDir dir;
    if (runtime == u"private") runtime = dir.path();
    const QByteArray before = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
    if (runtime == u"/tmp")
      QTest::ignoreMessage(QtWarningMsg, QRegularExpression("runtime folder .*/tmp.* not used .*others may write"));
    const QList<InstanceLock::Place> places = InstanceLock::defaultPlaces();
    qputenv("XDG_RUNTIME_DIR", before);
    const QString uid = QString::number(::getuid());
    if (used) {
      QCOMPARE(places.size(), 1);
      QCOMPARE(places[0].folder + u'/' + places[0].file, runtime + "/tavrin-" + uid + ".lock");
    } else {
      QCOMPARE(places.size(), 2);
      QCOMPARE(places[0].folder, "/tmp/tavrin-" + uid);
      QVERIFY(places[0].made);
      QCOMPARE(places[1].file, ".tavrin-" + uid + ".lock");
      QVERIFY(!places[1].made);
    }
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
