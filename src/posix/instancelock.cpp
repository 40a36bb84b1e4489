#include "posix/instancelock.h"

#include "platform/logging.h"
#include "posix/lockfile.h"

#include <QLoggingCategory>

#include <sys/file.h>
#include <unistd.h>

namespace {}  // namespace

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
  const lockfile::Opened lock = lockfile::open(path_);
  // No lock to be had: behave as the only copy. One of another user would otherwise turn
  // every start into a launcher that ends.
  if (lock.outcome == lockfile::Outcome::Foreign) {
    qCWarning(lcInstance) << "the instance lock" << path_ << "is not used:" << lock.why
                          << "- remove it; meanwhile every copy runs as the reader";
    return false;
  }
  if (lock.fd < 0) {
    qCWarning(lcInstance) << "cannot open the instance lock" << path_ << ":" << lock.why;
    return false;
  }
  if (::flock(lock.fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(lock.fd);
    return true;
  }
  fd_ = lock.fd;
  return false;
}
