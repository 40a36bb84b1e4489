// The history log's records: whole, in the code page, or not there at all; on the POSIX
// file system, and on a fake one for what a real disk will not do on demand.
#include "logic/historylog.h"
#include "posix/posixfilesystem.h"
#include "support/fakes.h"
#include "support/files.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <csignal>
#include <future>

class TestHistoryLog : public QObject {
  Q_OBJECT
 private slots:
  void recordsAreAppendedInTheCodePage() {
    QTemporaryDir dir;
    const QString log = HistoryLog::pathIn(dir.path() + u'/');
    QVERIFY(HistoryLog(files, log).append(QStringLiteral("qx070001.qx")));
    QVERIFY(HistoryLog(files, log).append(QStringLiteral("caf\u00e9 \u20ac.qx")));
    QCOMPARE(readFile(log), QByteArray("\"qx070001.qx\"\r\n\"caf\xe9 \x80.qx\"\r\n"));
  }

  // The disk fills up in the middle of a record: the part written is taken back, so the
  // next record does not merge into it.
  void aRecordThatDoesNotFitIsTakenBackWhole() {
    QTemporaryDir dir;
    const QString log = HistoryLog::pathIn(dir.path() + u'/');
    QVERIFY(HistoryLog(files, log).append(QStringLiteral("qxd.qx")));
    const QByteArray before = readFile(log);

    rlimit saved{};
    QVERIFY(::getrlimit(RLIMIT_FSIZE, &saved) == 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = rlim_t(before.size() + 4);  // room for four bytes of the next record
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &small) == 0);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("cannot record \"qx010003.qx\""));
    const bool written = HistoryLog(files, log).append(QStringLiteral("qx010003.qx"));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    QVERIFY(!written);
    QCOMPARE(readFile(log), before);
    QVERIFY(HistoryLog(files, log).append(QStringLiteral("qx010004.qx")));
    QCOMPARE(readFile(log), before + "\"qx010004.qx\"\r\n");
  }

  // A reading history is private: the log and the folder made for it are the owner's alone.
  void theLogAndItsFolderArePrivate() {
    QTemporaryDir dir;
    const QString folder = dir.filePath("Vendrel/TavrinLab/");
    const mode_t mask = ::umask(0);  // whatever the umask lets through
    const bool made = bool(files.makePrivateFolder(folder));
    const bool appended = HistoryLog(files, HistoryLog::pathIn(folder)).append(QStringLiteral("qxa.qx"));
    ::umask(mask);
    QVERIFY(made && appended);
    struct stat st {};
    QVERIFY(::stat(QFile::encodeName(folder).constData(), &st) == 0);
    QCOMPARE(st.st_mode & 0777, mode_t(0700));
    QVERIFY(::stat(QFile::encodeName(HistoryLog::pathIn(folder)).constData(), &st) == 0);
    QCOMPARE(st.st_mode & 0777, mode_t(0600));
  }

  // A pipe in the log's place would hold recording (and the whole reader) up until
  // somebody read it: it is refused at once, and said once.
  void aPipeInPlaceOfTheLogIsRefusedWithoutWaiting() {
    QTemporaryDir dir;
    const QString log = HistoryLog::pathIn(dir.path() + u'/');
    QVERIFY(::mkfifo(QFile::encodeName(log).constData(), 0600) == 0);
    // Expected before the writer starts, which may warn at once.
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("nothing is recorded in .*history.qx.*not a regular file"));
    QTest::failOnWarning(QRegularExpression("history.qx"));  // once, not at every page
    auto recording = std::async(std::launch::async, [&] {
      HistoryLog history(files, log);
      const bool first = history.append(QStringLiteral("qxa.qx"));
      const bool second = history.append(QStringLiteral("qxb.qx"));
      return first || second;
    });
    const bool waited = recording.wait_for(std::chrono::seconds(10)) == std::future_status::timeout;
    if (waited) {
      // Let the stuck writer go, so that the test can end.
      const int reader = ::open(QFile::encodeName(log).constData(), O_RDONLY | O_NONBLOCK);
      recording.wait();
      ::close(reader);
    }
    QVERIFY2(!waited, "recording waited for a reader of the pipe");
    QVERIFY(!recording.get());
  }

  void aLogThatCannotBeOpenedIsReported() {
    QTemporaryDir dir;
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("cannot open .*/missing/history.qx"));
    QVERIFY(!HistoryLog(files, dir.filePath("missing/history.qx")).append(QStringLiteral("qxa.qx")));
  }

  // Part of a record stays in the log when it cannot be cut off again: that is said
  // before the record that failed.
  void aPartialRecordLeftInTheLogIsReported() {
    FakeFileSystem fake;
    fake.appendAnswer = Result<void, AppendFailure>::failed({AppendFailure::Stage::NotWritten,
                                                             QStringLiteral("No space left on device"),
                                                             QStringLiteral("Input/output error")});
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression("cannot take back a partial record from \"/log/history.qx\" : "
                                            "\"Input/output error\""));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("cannot record \"qxa.qx\" in .* : \"No space left"));
    QVERIFY(!HistoryLog(fake, QStringLiteral("/log/history.qx")).append(QStringLiteral("qxa.qx")));
  }

 private:
  PosixFileSystem files;
};

QTEST_GUILESS_MAIN(TestHistoryLog)
#include "test_historylog.moc"
