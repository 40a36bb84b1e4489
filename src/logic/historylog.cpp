#include "logic/historylog.h"

#include "logic/codepage.h"
#include "logic/logging.h"

#include <QDir>
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

bool historylog::makeFolder(const QString& path) {
  if (!QDir().mkpath(path)) return false;
  // What someone read is theirs alone.
  if (!QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
    qCWarning(lcHistory) << "cannot make" << path << "private";
  return true;
}

bool historylog::append(const QString& path, const QString& page) {
  const QByteArray record = '"' + cp1252::encode(page) + "\"\r\n";
  const QByteArray file = QFile::encodeName(path);
  // Opened without waiting: a pipe or a device in the log's place would hold the reader
  // up for good. Only a regular file is written to; anything else is said once, not at
  // every page.
  static QString lastRefused;
  auto refuse = [&] {
    if (lastRefused != path) qCWarning(lcHistory) << "nothing is recorded in" << path << ": it is not a regular file";
    lastRefused = path;
    return false;
  };
  struct stat before {};
  const int fd = ::open(file.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0600);
  if (fd < 0) {
    const int error = errno;
    if (::stat(file.constData(), &before) == 0 && !S_ISREG(before.st_mode)) return refuse();
    qCWarning(lcHistory) << "cannot open" << path << ":" << systemError(error);
    return false;
  }
  const bool sized = ::fstat(fd, &before) == 0;
  if (sized && !S_ISREG(before.st_mode)) {
    ::close(fd);
    return refuse();
  }
  // A record is on disk whole or not at all: a torn one would merge with the next.
  bool written = writeAll(fd, record);
  int error = errno;
  if (!written && sized && ::ftruncate(fd, before.st_size) != 0)
    qCWarning(lcHistory) << "cannot take back a partial record from" << path << ":" << systemError(errno);
  if (::close(fd) != 0 && written) {
    written = false;
    error = errno;
    if (sized && ::truncate(file.constData(), before.st_size) != 0)
      qCWarning(lcHistory) << "cannot take back a partial record from" << path << ":" << systemError(errno);
  }
  if (!written) qCWarning(lcHistory) << "cannot record" << page << "in" << path << ":" << systemError(error);
  return written;
}
