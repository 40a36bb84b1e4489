// The shared blocks on POSIX shared memory, with a stand-in simulator as the peer process.
#include "logic/blocks.h"
#include "posix/posixblocks.h"

#include "support/files.h"

#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <cstring>
#include <ctime>

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

  // Another user's object, or lock file, under our names: the boxes say what failed, one
  // more says why and which files to remove; the log says it too.
  void anotherUsersFilesAreNotUsedAndNamed() {
    if (::geteuid() != 0) QSKIP("needs root to hand files to another user");
    const QByteArray wav = QFile::encodeName(PosixBlocks::objectName(Block::QXwav, prefix_));
    const int fd = ::shm_open(wav.constData(), O_RDWR | O_CREAT, 0666);
    QVERIFY(fd >= 0);
    QVERIFY(::ftruncate(fd, 255) == 0);
    QVERIFY(::fchown(fd, 65534, 65534) == 0);
    ::close(fd);
    PosixBlocks shared(prefix_);
    const QString endLock = shared.lockPath(Block::AmpvaleEnd);
    QVERIFY(writeFile(endLock, {}));
    QVERIFY(::chown(QFile::encodeName(endLock).constData(), 65534, 65534) == 0);

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("block .*/dev/shm/.*QXwav.* belongs to user 65534"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("lock file .*AmpvaleEnd.*is not used: .*user 65534"));
    const QStringList messages = shared.open();
    QCOMPARE(messages.size(), 3);
    QCOMPARE(messages.first(2), QStringList({"Can't create file map", "Can't create map view"}));
    QVERIFY2(messages[2].contains(QStringLiteral("/dev/shm") + QString::fromLocal8Bit(wav)), qPrintable(messages[2]));
    QVERIFY2(messages[2].contains(endLock), qPrintable(messages[2]));
    QCOMPARE(shared.read(Block::QXwav), std::nullopt);
    QVERIFY(shared.read(Block::AmpvaleName));
    QVERIFY(shared.read(Block::AmpvaleEnd));  // the block itself is ours and works
  }

  // A lock file that is another user's, or a link, cannot tell whether a peer holds the
  // block: a request left from an earlier run must not be heard again at every start.
  void aLockOfAnotherUserDoesNotKeepAStaleRequest_data() {
    QTest::addColumn<bool>("link");
    QTest::newRow("another user's file") << false;
    QTest::newRow("a link") << true;
  }
  void aLockOfAnotherUserDoesNotKeepAStaleRequest() {
    QFETCH(bool, link);
    if (!link && ::geteuid() != 0) QSKIP("needs root to hand a file to another user");
    // A reader that crashed with a request pending: nobody holds the block, the request stands.
    const QByteArray object = QFile::encodeName(PosixBlocks::objectName(Block::QXwav, prefix_));
    const int fd = ::shm_open(object.constData(), O_RDWR | O_CREAT, 0600);
    QVERIFY(fd >= 0);
    QVERIFY(::ftruncate(fd, 255) == 0);
    const QByteArray request = blocks::encodeRequest(u"v0312");
    QVERIFY(::pwrite(fd, request.constData(), size_t(request.size()), 0) == request.size());
    ::close(fd);

    PosixBlocks next(prefix_);
    const QByteArray lock = QFile::encodeName(next.lockPath(Block::QXwav));
    if (link) {
      QVERIFY(::symlink("/nonexistent-target", lock.constData()) == 0);
    } else {
      QVERIFY(writeFile(QString::fromLocal8Bit(lock), {}));
      QVERIFY(::chown(lock.constData(), 65534, 65534) == 0);
    }
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("lock file .*QXwav.*is not used"));
    const QStringList messages = next.open();
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages[0].contains(QString::fromLocal8Bit(lock)));
    QVERIFY(!blocks::poll(next).request);
  }

  // Whoever mapped a block while it was open to all keeps that mapping whatever the mode
  // becomes: such a block is made afresh, and what they write no longer reaches us.
  void aBlockOpenToOthersIsMadeAfresh() {
    const QByteArray name = QFile::encodeName(PosixBlocks::objectName(Block::QXwav, prefix_));
    const mode_t mask = ::umask(0);
    const int fd = ::shm_open(name.constData(), O_RDWR | O_CREAT, 0666);
    ::umask(mask);
    QVERIFY(fd >= 0);
    QVERIFY(::ftruncate(fd, 255) == 0);
    // The mapping another user made while they could.
    void* theirs = ::mmap(nullptr, 255, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    ::close(fd);
    QVERIFY(theirs != MAP_FAILED);

    PosixBlocks shared(prefix_);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("QXwav.*was open to others .* made afresh"));
    QCOMPARE(shared.open(), QStringList());
    const QByteArray injected = blocks::encodeRequest(u"v/../../etc/passwd");
    std::memcpy(theirs, injected.constData(), size_t(injected.size()));
    ::munmap(theirs, 255);
    QVERIFY(!blocks::poll(shared).request);
    struct stat st {};
    QVERIFY(::stat(QFile::encodeName("/dev/shm" + PosixBlocks::objectName(Block::QXwav, prefix_)).constData(), &st) ==
            0);
    QCOMPARE(st.st_mode & 0777, mode_t(0600));
  }

  // Another process cuts a block short while we hold it mapped (the mapping past the end
  // would end this process at the next touch): the size is put back, the block reads zero.
  void aBlockCutShortByAnotherProcessIsSizedAgain() {
    PosixBlocks reader(prefix_);
    QCOMPARE(reader.open(), QStringList());
    blocks::writeExercise(reader, u"/x/e.ckt", blocks::kKindAmpvale);
    const QString path = QStringLiteral("/dev/shm") + PosixBlocks::objectName(Block::AmpvaleName, prefix_);
    QCOMPARE(QProcess::execute(QStringLiteral("truncate"), {QStringLiteral("-s"), QStringLiteral("0"), path}), 0);
    QCOMPARE(QFileInfo(path).size(), 0);

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("AmpvaleName.*was cut to 0 bytes"));
    const blocks::Poll poll = blocks::poll(reader);  // a bus error before the size was checked
    QVERIFY(!poll.exerciseOpen);
    QCOMPARE(QFileInfo(path).size(), blocks::size(Block::AmpvaleName));
    blocks::writeExercise(reader, u"/x/f.ckt", blocks::kKindAmpvale);
    QCOMPARE(blocks::decodeName(rawBytes(PosixBlocks::objectName(Block::AmpvaleName, prefix_), 255)),
             QStringLiteral("/x/f.ckt"));
  }

  // A process of the same user cuts the blocks to nothing and sizes them again, over and
  // over, while the reader polls and hands exercises over: no size it catches them at may
  // end the reader.
  void aBlockShrunkAndRegrownMeanwhileNeverEndsTheReader() {
    PosixBlocks reader(prefix_);
    QCOMPARE(reader.open(), QStringList());
    const pid_t peer = ::fork();
    QVERIFY(peer >= 0);
    if (peer == 0) {
      // Bounded: two seconds, or two million cuts, whichever comes first.
      int fds[2];
      for (int i = 0; i < 2; ++i) {
        const Block b = i == 0 ? Block::QXwav : Block::AmpvaleName;
        fds[i] = ::shm_open(QFile::encodeName(PosixBlocks::objectName(b, prefix_)).constData(), O_RDWR, 0);
        if (fds[i] < 0) ::_exit(2);
      }
      timespec start{}, now{};
      ::clock_gettime(CLOCK_MONOTONIC, &start);
      for (int n = 0; n < 2'000'000; ++n) {
        for (int fd : fds) {
          if (::ftruncate(fd, 0) != 0 || ::ftruncate(fd, 255) != 0) ::_exit(3);
        }
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        if (now.tv_sec - start.tv_sec >= 2) break;
      }
      ::_exit(0);
    }
    // Every cut the reader meets is logged; thousands of lines would bury the test's own.
    QLoggingCategory::setFilterRules(QStringLiteral("tavrin.blocks.warning=false"));
    int polls = 0, status = 0;
    while (::waitpid(peer, &status, WNOHANG) == 0) {
      blocks::poll(reader);
      blocks::writeExercise(reader, u"/x/e.ckt", blocks::kKindAmpvale);
      ++polls;
    }
    QLoggingCategory::setFilterRules(QString());
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);
    QVERIFY(polls > 0);
    // Still whole: what is written is there to read, at the block's size.
    blocks::writeExercise(reader, u"/x/g.ckt", blocks::kKindAmpvale);
    QCOMPARE(blocks::decodeName(*reader.read(Block::AmpvaleName)), QStringLiteral("/x/g.ckt"));
    QCOMPARE(QFileInfo(QStringLiteral("/dev/shm") + PosixBlocks::objectName(Block::AmpvaleName, prefix_)).size(),
             blocks::size(Block::AmpvaleName));
  }
};

QTEST_GUILESS_MAIN(TestPosixBlocks)
#include "test_posixblocks.moc"
