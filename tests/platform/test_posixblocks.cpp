// The shared blocks on POSIX shared memory, with a stand-in simulator as the peer process.
#include "logic/blocks.h"
#include "posix/posixblocks.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <csignal>

using blocks::Block;

namespace {

// The bytes of a block as they lie in the object, read past the locking of PosixBlocks.
QByteArray rawBytes(const QString& object, qsizetype size) {
  const int fd = ::shm_open(QFile::encodeName(object).constData(), O_RDONLY, 0);
  if (fd < 0) return {};
  void* data = ::mmap(nullptr, size_t(size), PROT_READ, MAP_SHARED, fd, 0);
  ::close(fd);
  if (data == MAP_FAILED) return {};
  QByteArray bytes(static_cast<const char*>(data), size);
  ::munmap(data, size_t(size));
  return bytes;
}

}  // namespace

class TestPosixBlocks : public QObject {
  Q_OBJECT

  QString prefix_;
  int serial_ = 0;

  QProcess* standin(const QStringList& arguments) {
    auto* process = new QProcess(this);
    process->setProgram(QStringLiteral(TAVRIN_STANDIN));
    process->setArguments(QStringList{"ampvale", "--prefix", prefix_} + arguments);
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    process->setProcessEnvironment(env);
    process->start();
    return process;
  }
  // The report of a stand-in that runs with --once.
  QStringList reportOnce(const QStringList& arguments) {
    QProcess* process = standin(arguments + QStringList{"--once"});
    if (!process->waitForFinished(15000) || process->exitCode() != 0) return {"stand-in failed"};
    return QString::fromUtf8(process->readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
  }
  // Waits for a line of a running stand-in's report that begins with `start`.
  bool waitForLine(QProcess* process, const QString& start) {
    QString seen;
    for (int i = 0; i < 150; ++i) {
      seen += QString::fromUtf8(process->readAllStandardOutput());
      for (const QString& line : seen.split(u'\n'))
        if (line.startsWith(start)) return true;
      process->waitForReadyRead(100);
    }
    return false;
  }

 private slots:
  void init() { prefix_ = QStringLiteral("tavrintest-%1-%2-").arg(::getpid()).arg(++serial_); }
  void cleanup() {
    const PosixBlocks names(prefix_);
    for (Block b : blocks::kAll) {
      ::shm_unlink(QFile::encodeName(PosixBlocks::objectName(b, prefix_)).constData());
      QFile::remove(names.lockPath(b));
    }
  }

  void objectsArePerUserSizedAndPrivate() {
    // Even a block that some program of the same user made open to all is closed up.
    const QByteArray wav = QFile::encodeName(PosixBlocks::objectName(Block::QXwav, prefix_));
    const mode_t mask = ::umask(0);
    const int fd = ::shm_open(wav.constData(), O_RDWR | O_CREAT, 0666);
    ::umask(mask);
    QVERIFY(fd >= 0);
    ::close(fd);

    PosixBlocks shared(prefix_);
    QCOMPARE(shared.open(), QStringList());
    for (Block b : blocks::kAll) {
      const QString object = PosixBlocks::objectName(b, prefix_);
      QCOMPARE(object, QStringLiteral("/%1%2.%3").arg(prefix_, blocks::name(b)).arg(::getuid()));
      struct stat st {};
      QVERIFY(::stat(QFile::encodeName("/dev/shm" + object).constData(), &st) == 0);
      QCOMPARE(st.st_mode & 0777, mode_t(0600));
      QCOMPARE(st.st_uid, ::getuid());
      QCOMPARE(qsizetype(st.st_size), blocks::size(b));
      QVERIFY(::stat(QFile::encodeName(shared.lockPath(b)).constData(), &st) == 0);
      QCOMPARE(st.st_mode & 0777, mode_t(0600));
    }
    QVERIFY(PosixBlocks::objectName(Block::AmpvaleName) != PosixBlocks::objectName(Block::AmpvaleName, prefix_));
    QVERIFY(PosixBlocks::objectName(Block::AmpvaleName).startsWith(u"/AmpvaleName."));
  }

  void peersSeeEachOthersWrites_data() {
    QTest::addColumn<QString>("pad");
    QTest::newRow("request padded with blanks") << "blank";
    QTest::newRow("request padded with NULs") << "nul";
  }
  void peersSeeEachOthersWrites() {
    QFETCH(QString, pad);
    PosixBlocks reader(prefix_);
    QCOMPARE(reader.open(), QStringList());
    blocks::resetCourseEnded(reader);
    blocks::writeExercise(reader, u"/data/Vendrel/Ampvale/QX_CKTS/m07e1.ckt", blocks::kKindAmpvale);
    QCOMPARE(reportOnce({"--request", "v0312", "--pad", pad}),
             QStringList({"name=/data/Vendrel/Ampvale/QX_CKTS/m07e1.ckt", "prev=3", "end=0"}));

    // The stand-in has let go, but the reader still holds the blocks: nothing was cleared.
    const blocks::Poll poll = blocks::poll(reader);
    QCOMPARE(poll.request, std::optional<QString>(QStringLiteral("v0312")));
    QVERIFY(poll.exerciseOpen);

    blocks::shutOffQX(reader);
    blocks::shutOffWithfile(reader);
    QCOMPARE(reportOnce({}), QStringList({"name=", "prev=3", "end=1"}));
  }

  void aBlockNoLiveProcessHoldsStartsZeroed() {
    // A simulator that holds the blocks keeps their content for a reader that starts.
    QProcess* simulator = standin({"--request", "v0312"});
    QVERIFY(waitForLine(simulator, "shown"));
    {
      PosixBlocks reader(prefix_);
      QCOMPARE(reader.open(), QStringList());
      QCOMPARE(blocks::decodeRequest(*reader.read(Block::QXwav)), QStringLiteral("v0312"));
      blocks::writeExercise(reader, u"/x/e.cir", blocks::kKindTrivex);
    }
    // The simulator crashes: it cannot clear anything on its way out.
    simulator->kill();
    QVERIFY(simulator->waitForFinished(5000));
    QCOMPARE(simulator->exitStatus(), QProcess::CrashExit);
    QCOMPARE(rawBytes(PosixBlocks::objectName(Block::AmpvalePrev, prefix_), 1), QByteArray(1, 2));

    // Nobody holds the blocks, so the next one to open them finds them zeroed.
    PosixBlocks next(prefix_);
    QCOMPARE(next.open(), QStringList());
    for (Block b : blocks::kAll) QCOMPARE(*next.read(b), QByteArray(blocks::size(b), '\0'));
  }

  void theLastToLetGoClearsTheBlocks() {
    QCOMPARE(reportOnce({"--request", "v0312"}), QStringList({"name=", "prev=0", "end=0"}));
    QCOMPARE(rawBytes(PosixBlocks::objectName(Block::QXwav, prefix_), 255), QByteArray(255, '\0'));

    PosixBlocks first(prefix_), second(prefix_);
    QCOMPARE(first.open(), QStringList());
    QCOMPARE(second.open(), QStringList());
    blocks::writeExercise(first, u"/x/e.cir", blocks::kKindTrivex);
    first.close();
    QCOMPARE(blocks::decodeName(*second.read(Block::AmpvaleName)), QStringLiteral("/x/e.cir"));
    second.close();
    QCOMPARE(rawBytes(PosixBlocks::objectName(Block::AmpvaleName, prefix_), 255), QByteArray(255, '\0'));
  }

  void blocksThatCannotBeMadeAreReportedAndLeftOut() {
    prefix_ = QString(260, u'n');  // longer than any name the system takes
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("cannot open or create .* : Invalid argument"));
    PosixBlocks shared(prefix_);
    const QStringList messages = shared.open();
    QCOMPARE(messages.size(), 8);
    for (qsizetype i = 0; i < messages.size(); i += 2)
      QCOMPARE(messages.mid(i, 2), QStringList({"Can't create file map", "Can't create map view"}));
    QCOMPARE(shared.read(Block::QXwav), std::nullopt);
    QVERIFY(!shared.write(Block::AmpvaleEnd, "\1"));
    QVERIFY(!shared.flush(Block::AmpvaleEnd, 1));
    QVERIFY(!blocks::poll(shared).exerciseOpen);
  }

  void anotherUsersObjectIsNotUsed() {
    if (::geteuid() != 0) QSKIP("needs root to hand an object to another user");
    const QByteArray wav = QFile::encodeName(PosixBlocks::objectName(Block::QXwav, prefix_));
    const int fd = ::shm_open(wav.constData(), O_RDWR | O_CREAT, 0666);
    QVERIFY(fd >= 0);
    QVERIFY(::ftruncate(fd, 255) == 0);
    QVERIFY(::fchown(fd, 65534, 65534) == 0);
    ::close(fd);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("belongs to user 65534"));
    PosixBlocks shared(prefix_);
    QCOMPARE(shared.open(), QStringList({"Can't create file map", "Can't create map view"}));
    QCOMPARE(shared.read(Block::QXwav), std::nullopt);
    QVERIFY(shared.read(Block::AmpvaleName));
  }
};

QTEST_GUILESS_MAIN(TestPosixBlocks)
#include "test_posixblocks.moc"
