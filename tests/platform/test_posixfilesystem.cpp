// The file system's whole-file reads and writes: a file replaced whole or not at all, open
// to its owner only; and nothing read that is not a regular file of a bounded size.
#include "posix/posixfilesystem.h"
#include "support/files.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <csignal>

class TestPosixFileSystem : public QObject {
  Q_OBJECT
  PosixFileSystem files;

  static mode_t modeOf(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 0777 : 0;
  }

 private slots:
  void aWholeWriteReplacesTheFileAndLeavesNothingBeside() {
    QTemporaryDir dir;
    const QString path = dir.filePath("kept.txt");
    const mode_t mask = ::umask(0);
    const Done first = files.writeWhole(path, "first\n");
    ::umask(mask);
    QVERIFY(first);
    QCOMPARE(modeOf(path), mode_t(0600));
    QVERIFY(files.writeWhole(path, "second\n"));
    QCOMPARE(readFile(path), QByteArray("second\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"kept.txt"});
  }

  // The disk fills up while the new bytes are written: the old file stays as it was.
  void aWriteThatDoesNotFitLeavesTheOldFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath("kept.txt");
    QVERIFY(files.writeWhole(path, "old\n"));
    rlimit saved{};
    QVERIFY(::getrlimit(RLIMIT_FSIZE, &saved) == 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 10;
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &small) == 0);
    const Done written = files.writeWhole(path, QByteArray(100, 'x'));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    QVERIFY(!written);
    QVERIFY(!written.error().isEmpty());
    QCOMPARE(readFile(path), QByteArray("old\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"kept.txt"});
  }

  // A link to the file (a settings file kept elsewhere) stays a link; a pipe is not written.
  void aLinkIsFollowedAndAPipeIsRefused() {
    QTemporaryDir dir;
    const QString real = dir.filePath("real.txt"), link = dir.filePath("link.txt"), fifo = dir.filePath("fifo");
    QVERIFY(files.writeWhole(real, "old\n"));
    QVERIFY(QFile::link(real, link));
    QVERIFY(files.writeWhole(link, "new\n"));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(readFile(real), QByteArray("new\n"));
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    QCOMPARE(files.writeWhole(fifo, "x").error(), QStringLiteral("it is not a regular file"));
  }

  void aReadIsBoundedAndOnlyOfRegularFiles() {
    QTemporaryDir dir;
    const QString path = dir.filePath("data");
    QVERIFY(files.writeWhole(path, QByteArray(1000, 'a')));
    QCOMPARE(files.readWhole(path, 1000).value_or(""), QByteArray(1000, 'a'));
    QCOMPARE(files.readWhole(path, 999).error(), QStringLiteral("it is larger than 999 bytes"));
    QCOMPARE(files.readWhole(dir.path(), 10).error(), QStringLiteral("it is a folder"));
    QCOMPARE(files.readWhole(dir.filePath("none"), 10).error(), QStringLiteral("there is no such file"));
  }

  void removeAndPrivateFolders() {
    QTemporaryDir dir;
    const QString folder = dir.filePath("a/b/c");
    QVERIFY(files.makePrivateFolder(folder));
    QCOMPARE(modeOf(folder), mode_t(0700));
    QCOMPARE(*files.state(folder), FileState::Folder);
    const QString path = folder + QStringLiteral("/f");
    QVERIFY(files.writeWhole(path, "x"));
    QVERIFY(files.remove(path));
    QCOMPARE(*files.state(path), FileState::Missing);
    QVERIFY(files.remove(path));  // nothing there: nothing to do
    QVERIFY(!files.remove(folder));
  }
};

QTEST_GUILESS_MAIN(TestPosixFileSystem)
#include "test_posixfilesystem.moc"
