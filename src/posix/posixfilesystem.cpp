#include "posix/posixfilesystem.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace {

QString systemError(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// Writes all of `bytes`, resuming after interruptions and short writes; errno on failure.
bool writeAll(int fd, const QByteArray& bytes) {
  qsizetype done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += n;
  }
  return true;
}

}  // namespace

FileState PosixFileSystem::state(const QString& path, QString* why) {
  if (path.isEmpty()) return FileState::Missing;
  struct stat st {};
  if (::stat(QFile::encodeName(path).constData(), &st) == 0) {
    if (S_ISREG(st.st_mode)) return FileState::File;
    if (S_ISDIR(st.st_mode)) return FileState::Folder;
    return FileState::Other;
  }
  if (errno == ENOENT || errno == ENOTDIR) return FileState::Missing;
  if (why) *why = systemError(errno);
  return FileState::Unreadable;
}

FileSystem::Appended PosixFileSystem::append(const QString& path, const QByteArray& bytes) {
  using Outcome = Appended::Outcome;
  const QByteArray file = QFile::encodeName(path);
  // Opened without waiting: a pipe or a device in the file's place would hold the program
  // up for good. Only a regular file is written to.
  struct stat before {};
  const int fd = ::open(file.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0600);
  if (fd < 0) {
    const int error = errno;
    if (::stat(file.constData(), &before) == 0 && !S_ISREG(before.st_mode)) return {Outcome::NotRegular, {}, {}};
    return {Outcome::NotOpened, systemError(error), {}};
  }
  const bool sized = ::fstat(fd, &before) == 0;
  if (sized && !S_ISREG(before.st_mode)) {
    ::close(fd);
    return {Outcome::NotRegular, {}, {}};
  }
  // The bytes are on disk whole or not at all: a torn record would merge with the next.
  Appended result;
  bool written = writeAll(fd, bytes);
  int error = errno;
  if (!written && sized && ::ftruncate(fd, before.st_size) != 0) result.leftOver = systemError(errno);
  if (::close(fd) != 0 && written) {
    written = false;
    error = errno;
    if (sized && ::truncate(file.constData(), before.st_size) != 0) result.leftOver = systemError(errno);
  }
  if (!written) {
    result.outcome = Outcome::NotWritten;
    result.why = systemError(error);
  }
  return result;
}
