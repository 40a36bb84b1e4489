#include "posix/lockfile.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

Result<int, lockfile::Refusal> lockfile::open(const QString& path) {
  using Kind = Refusal::Kind;
  const auto refused = [](Kind kind, QString why) { return Result<int, Refusal>::failed({kind, std::move(why)}); };
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) {
    const int error = errno;
    if (error == ELOOP) return refused(Kind::Foreign, QStringLiteral("it is a link"));
    return refused(Kind::Failed, QString::fromLocal8Bit(std::strerror(error)));
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    const int error = errno;
    ::close(fd);
    return refused(Kind::Failed, QString::fromLocal8Bit(std::strerror(error)));
  }
  if (st.st_uid != ::geteuid()) {
    ::close(fd);
    return refused(Kind::Foreign, QStringLiteral("it belongs to user %1").arg(st.st_uid));
  }
  return fd;
}
