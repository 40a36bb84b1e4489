// The history log's records: whole, in the code page, or not there at all.
#include "logic/historylog.h"
#include "support/files.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>
#include <csignal>

class TestHistoryLog : public QObject {
  Q_OBJECT
 private slots:
  void recordsAreAppendedInTheCodePage() {
    QTemporaryDir dir;
    const QString log = historylog::pathIn(dir.path() + u'/');
    QVERIFY(historylog::append(log, QStringLiteral("qx070001.qx")));
    QVERIFY(historylog::append(log, QStringLiteral("caf\u00e9 \u20ac.qx")));
    QCOMPARE(readFile(log), QByteArray("\"qx070001.qx\"\r\n\"caf\xe9 \x80.qx\"\r\n"));
  }

  // The disk fills up in the middle of a record: the part written is taken back, so the
  // next record does not merge into it.
  void aRecordThatDoesNotFitIsTakenBackWhole() {
    QTemporaryDir dir;
    const QString log = historylog::pathIn(dir.path() + u'/');
    QVERIFY(historylog::append(log, QStringLiteral("qxd.qx")));
    const QByteArray before = readFile(log);

    rlimit saved{};
    QVERIFY(::getrlimit(RLIMIT_FSIZE, &saved) == 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = rlim_t(before.size() + 4);  // room for four bytes of the next record
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &small) == 0);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("cannot record \"qx010003.qx\""));
    const bool written = historylog::append(log, QStringLiteral("qx010003.qx"));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    QVERIFY(!written);
    QCOMPARE(readFile(log), before);
    QVERIFY(historylog::append(log, QStringLiteral("qx010004.qx")));
    QCOMPARE(readFile(log), before + "\"qx010004.qx\"\r\n");
  }

  void aLogThatCannotBeOpenedIsReported() {
    QTemporaryDir dir;
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("cannot open .*/missing/history.qx"));
    QVERIFY(!historylog::append(dir.filePath("missing/history.qx"), QStringLiteral("qxa.qx")));
  }
};

QTEST_GUILESS_MAIN(TestHistoryLog)
#include "test_historylog.moc"
