#include "posix/lockfile.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

lockfile::Opened lockfile::open(const QString& path) {
  Opened opened;
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) {
    const int error = errno;
    opened.outcome = error == ELOOP ? Outcome::Foreign : Outcome::Failed;
    opened.why = error == ELOOP ? QStringLiteral("it is a link") : QString::fromLocal8Bit(std::strerror(error));
    return opened;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    opened.why = QString::fromLocal8Bit(std::strerror(errno));
    ::close(fd);
    return opened;
  }
  if (st.st_uid != ::geteuid()) {
    opened.outcome = Outcome::Foreign;
    opened.why = QStringLiteral("it belongs to user %1").arg(st.st_uid);
    ::close(fd);
    return opened;
  }
  opened.fd = fd;
  opened.outcome = Outcome::Opened;
  return opened;
}
