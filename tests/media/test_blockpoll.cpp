// The reader's once-a-second poll over real shared memory, with a second set of views of the
// same blocks standing in for the programs that write them.
#include "logic/blocks.h"
#include "media/blockpoll.h"
#include "posix/posixblocks.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/mman.h>
#include <unistd.h>

using blocks::Block;

namespace {
const QString kBase = QStringLiteral("http://127.0.0.1:8123/qx_cbt/qx2/");
}

class TestBlockPoll : public QObject {
  Q_OBJECT

  QTemporaryDir locks_;
  QString prefix_;
  int serial_ = 0;
  std::unique_ptr<PosixBlocks> reader_;  // the reader's views
  std::unique_ptr<PosixBlocks> peer_;    // a simulator's views of the same blocks
  std::unique_ptr<BlockPoll> poll_;
  QStringList done_;  // "stop", "play <address>", "load", "unload"

  QStringList pollOnce() {
    done_.clear();
    poll_->TimerEnd_Timer();
    return done_;
  }
  QByteArray peerRead(Block b) { return peer_->read(b).value_or(QByteArray()); }
  void peerWrite(Block b, const QByteArray& bytes) {
    QVERIFY(peer_->write(b, bytes));
    QVERIFY(peer_->flush(b, bytes.size()));
  }

 private slots:
  void init() {
    prefix_ = QStringLiteral("tavrintest-poll-%1-%2-").arg(::getpid()).arg(++serial_);
    reader_ = std::make_unique<PosixBlocks>(prefix_, locks_.path());
    peer_ = std::make_unique<PosixBlocks>(prefix_, locks_.path());
    QCOMPARE(reader_->open(), QStringList());
    QCOMPARE(peer_->open(), QStringList());
    poll_ = std::make_unique<BlockPoll>(
        *reader_, [] { return kBase; },
        BlockPoll::Actions{[this] { done_ << "stop"; }, [this](const QString& a) { done_ << "play " + a; },
                           [this] { done_ << "load"; }, [this] { done_ << "unload"; }});
  }
  void cleanup() {
    poll_.reset();
    peer_.reset();
    reader_.reset();
    for (Block b : blocks::kAll) ::shm_unlink(QFile::encodeName(PosixBlocks::objectName(b, prefix_)).constData());
  }

  void pollsOnItsOwnOnceStartedAndNotAfterItStopped() {
    BlockPoll poll(
        *reader_, [] { return kBase; }, {{}, {}, {}, [this] { done_ << "unload"; }}, nullptr, 10);
    QVERIFY(!poll.running());
    QTest::qWait(50);
    QVERIFY(done_.isEmpty());
    poll.start();
    QTRY_VERIFY(done_.contains("unload"));
    poll.stop();
    QVERIFY(!poll.running());
    done_.clear();
    QTest::qWait(50);
    QVERIFY(done_.isEmpty());
  }

  void requestIsTakenOnceAndAcknowledged_data() {
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QString>("expected");
    const QString v0312 = "play " + kBase + "c03/v0312.wav";
    QTest::newRow("padded with spaces") << blocks::encodeRequest(u"v0312") << v0312;
    QTest::newRow("ended with zero characters") << blocks::encodeRequest(u"v0312", u'\0') << v0312;
    QTest::newRow("spaces on both sides") << blocks::encodeRequest(u"   v0312") << v0312;
    QByteArray old = blocks::encodeRequest(u"v1401 earlier text");
    old.replace(0, 12, blocks::encodeRequest(u"v0312", u'\0').first(12));
    QTest::newRow("older text after the zero character") << old << v0312;
    QTest::newRow("module 24") << blocks::encodeRequest(u"v2401") << "play " + kBase + "c24/v2401.wav";
    QTest::newRow("stop, padded") << blocks::encodeRequest(u"v0000") << "stop";
    QTest::newRow("stop, ended with zeros") << blocks::encodeRequest(u" v0000", u'\0') << "stop";
    // Nothing but a narration's shape becomes an address; the rest is taken and logged.
    QTest::newRow("only spaces") << blocks::encodeRequest(u"") << "";
    QTest::newRow("a path") << blocks::encodeRequest(u"v/../../etc/passwd") << "";
    QTest::newRow("too short") << blocks::encodeRequest(u"v031") << "";
  }
  void requestIsTakenOnceAndAcknowledged() {
    QFETCH(QByteArray, request);
    QFETCH(QString, expected);
    peerWrite(Block::QXwav, request);
    if (expected.isEmpty()) QTest::ignoreMessage(QtWarningMsg, QRegularExpression("request .* ignored"));
    const QStringList done = expected.isEmpty() ? QStringList{"unload"} : QStringList{expected, "unload"};
    QCOMPARE(pollOnce(), done);
    // The peer sees the first byte cleared and nothing else touched.
    QByteArray acknowledged = request;
    acknowledged[0] = '\0';
    QCOMPARE(peerRead(Block::QXwav), acknowledged);
    QCOMPARE(pollOnce(), QStringList{"unload"});
  }

  void withNoRequestOnlyTheReturnWindowRuleRuns() {
    QByteArray left = blocks::encodeRequest(u"v0312");
    left[0] = '\0';  // an acknowledged request, the rest of it still there
    peerWrite(Block::QXwav, left);
    QCOMPARE(pollOnce(), QStringList{"unload"});
    QCOMPARE(peerRead(Block::QXwav), left);
  }

  void returnWindowWhileAnExerciseNameStands() {
    blocks::writeExercise(*peer_, u"/opt/Ampvale/Exercises/ch07ex02.cir", blocks::kKindAmpvale);
    QCOMPARE(pollOnce(), QStringList{"load"});
    QCOMPARE(pollOnce(), QStringList{"load"});
    blocks::shutOffWithfile(*peer_);
    QCOMPARE(pollOnce(), QStringList{"unload"});
    // Only the first byte counts.
    QByteArray name(blocks::kNameBytes, '\0');
    name[1] = 'x';
    peerWrite(Block::AmpvaleName, name);
    QCOMPARE(pollOnce(), QStringList{"unload"});
    name[0] = '/';
    peerWrite(Block::AmpvaleName, name);
    QCOMPARE(pollOnce(), QStringList{"load"});
  }

  void requestComesBeforeTheReturnWindow() {
    peerWrite(Block::QXwav, blocks::encodeRequest(u"v0000"));
    blocks::writeExercise(*peer_, u"/opt/Trivex/Exercises/ch02ex01.prb", blocks::kKindTrivex);
    QCOMPARE(pollOnce(), (QStringList{"stop", "load"}));
  }
};

QTEST_GUILESS_MAIN(TestBlockPoll)
#include "test_blockpoll.moc"
