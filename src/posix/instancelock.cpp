#include "posix/instancelock.h"

#include <QLoggingCategory>

#include <QFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {
Q_LOGGING_CATEGORY(lcInstance, "tavrin.instance", QtInfoMsg)
}  // namespace

namespace {
QString defaultLockPath() {
  QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (folder.isEmpty()) folder = QStringLiteral("/tmp");
  return folder + QStringLiteral("/tavrin-%1.lock").arg(::getuid());
}
}  // namespace

InstanceLock::InstanceLock() : InstanceLock(defaultLockPath()) {}
InstanceLock::InstanceLock(QString path) : path_(std::move(path)) {}

InstanceLock::~InstanceLock() {
  if (fd_ >= 0) ::close(fd_);
}

bool InstanceLock::anotherCopyRuns() {
  if (fd_ >= 0) return false;
  const int fd = ::open(QFile::encodeName(path_).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) {
    // No lock to be had: behave as the only copy.
    qCWarning(lcInstance) << "cannot open the instance lock" << path_ << ":" << std::strerror(errno);
    return false;
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return true;
  }
  fd_ = fd;
  return false;
}
