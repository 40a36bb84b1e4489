#include "posix/posixfilesystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

QString systemError(int error) { return QString::fromLocal8Bit(std::strerror(error)); }
Done failedWith(int error) { return Done::failed(systemError(error)); }

// Writes all of `bytes`, resuming after interruptions and short writes; errno on failure.
bool writeAll(int fd, const QByteArray& bytes) {
  qsizetype done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = ENOSPC;
      return false;
    }
    done += n;
  }
  return true;
}

// A file descriptor closed when it goes.
struct Descriptor {
  int fd;
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
  // Closes it now; errno on failure.
  bool close() { return ::close(std::exchange(fd, -1)) == 0; }
};

}  // namespace

Result<FileState> PosixFileSystem::state(const QString& path) {
  if (path.isEmpty()) return FileState::Missing;
  struct stat st {};
  if (::stat(QFile::encodeName(path).constData(), &st) == 0) {
    if (S_ISREG(st.st_mode)) return FileState::File;
    if (S_ISDIR(st.st_mode)) return FileState::Folder;
    return FileState::Other;
  }
  if (errno == ENOENT || errno == ENOTDIR) return FileState::Missing;
  return Result<FileState>::failed(systemError(errno));
}

Result<QByteArray> PosixFileSystem::readWhole(const QString& path, qint64 limit) {
  const auto fail = [](QString reason) { return Result<QByteArray>::failed(std::move(reason)); };
  // Opened without waiting, and read only when it is a regular file: reading a FIFO or a
  // device whole could wait for ever.
  Descriptor file{::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
  if (file.fd < 0) return fail(errno == ENOENT ? QStringLiteral("there is no such file") : systemError(errno));
  struct stat st {};
  if (::fstat(file.fd, &st) != 0) return fail(systemError(errno));
  if (S_ISDIR(st.st_mode)) return fail(QStringLiteral("it is a folder"));
  if (!S_ISREG(st.st_mode)) return fail(QStringLiteral("it is not a regular file"));
  if (st.st_size > limit) return fail(QStringLiteral("it is larger than %1 bytes").arg(limit));
  QByteArray bytes;
  // One byte more than the limit shows a file that grew while it was read.
  bytes.resize(qsizetype(st.st_size) + 1);
  qsizetype done = 0;
  for (;;) {
    if (done == bytes.size()) {
      if (done > limit) return fail(QStringLiteral("it is larger than %1 bytes").arg(limit));
      bytes.resize(std::min<qsizetype>(done * 2 + 1, qsizetype(limit) + 1));
    }
    const ssize_t n = ::read(file.fd, bytes.data() + done, size_t(bytes.size() - done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return fail(systemError(errno));
    if (n == 0) break;
    done += n;
  }
  if (done > limit) return fail(QStringLiteral("it is larger than %1 bytes").arg(limit));
  bytes.truncate(done);
  return bytes;
}

Done PosixFileSystem::writeWhole(const QString& path, const QByteArray& bytes) {
  // Only a regular file is replaced; a link to one (a settings file kept elsewhere) stays a
  // link, and the file it leads to is replaced.
  QByteArray target = QFile::encodeName(path);
  struct stat st {};
  if (::stat(target.constData(), &st) == 0) {
    if (!S_ISREG(st.st_mode)) return Done::failed(QStringLiteral("it is not a regular file"));
    if (char* real = ::realpath(target.constData(), nullptr)) {
      target = real;
      std::free(real);
    }
  }
  QByteArray temporary = target + ".XXXXXX";
  Descriptor file{::mkostemp(temporary.data(), O_CLOEXEC)};  // open to its owner only
  if (file.fd < 0) return failedWith(errno);
  const auto dropTemporary = [&](int error) {
    ::unlink(temporary.constData());
    return failedWith(error);
  };
  if (!writeAll(file.fd, bytes) || ::fsync(file.fd) != 0) return dropTemporary(errno);
  if (!file.close()) return dropTemporary(errno);
  if (::rename(temporary.constData(), target.constData()) != 0) return dropTemporary(errno);
  // The rename itself is kept by the folder.
  const QByteArray folder = QFile::encodeName(QFileInfo(QFile::decodeName(target)).absolutePath());
  if (Descriptor dir{::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)}; dir.fd >= 0) ::fsync(dir.fd);
  return {};
}

Result<void, AppendFailure> PosixFileSystem::append(const QString& path, const QByteArray& bytes) {
  using Stage = AppendFailure::Stage;
  using Appended = Result<void, AppendFailure>;
  const QByteArray file = QFile::encodeName(path);
  // Opened without waiting: a pipe or a device in the file's place would hold the program
  // up for good. Only a regular file is written to.
  struct stat before {};
  const int fd = ::open(file.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0600);
  if (fd < 0) {
    const int error = errno;
    if (::stat(file.constData(), &before) == 0 && !S_ISREG(before.st_mode))
      return Appended::failed({Stage::NotRegular, {}, {}});
    return Appended::failed({Stage::NotOpened, systemError(error), {}});
  }
  const bool sized = ::fstat(fd, &before) == 0;
  if (sized && !S_ISREG(before.st_mode)) {
    ::close(fd);
    return Appended::failed({Stage::NotRegular, {}, {}});
  }
  // The bytes are on disk whole or not at all: a torn record would merge with the next.
  QString leftOver;
  bool written = writeAll(fd, bytes);
  int error = errno;
  if (!written && sized && ::ftruncate(fd, before.st_size) != 0) leftOver = systemError(errno);
  if (::close(fd) != 0 && written) {
    written = false;
    error = errno;
    if (sized && ::truncate(file.constData(), before.st_size) != 0) leftOver = systemError(errno);
  }
  if (!written) return Appended::failed({Stage::NotWritten, systemError(error), leftOver});
  return {};
}

Done PosixFileSystem::remove(const QString& path) {
  if (::unlink(QFile::encodeName(path).constData()) != 0 && errno != ENOENT) return failedWith(errno);
  return {};
}

Done PosixFileSystem::makePrivateFolder(const QString& path) {
  if (!QDir().mkpath(path)) return Done::failed(QStringLiteral("the folder cannot be made"));
  // What is kept there is the user's alone.
  if (::chmod(QFile::encodeName(path).constData(), 0700) != 0) return failedWith(errno);
  return {};
}
