#include "posix/posixblocks.h"

#include "platform/logging.h"
#include "posix/lockfile.h"

#include <QLoggingCategory>

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace {}  // namespace

using blocks::Block;

const char* const PosixBlocks::kCannotCreateMap = "Can't create file map";
const char* const PosixBlocks::kCannotCreateView = "Can't create map view";

namespace {

// Every program that shares the blocks must find the same lock files, whatever its
// environment (a simulator started from elsewhere may have no XDG_RUNTIME_DIR, or another
// one): beside the blocks themselves, where the system keeps them.
QString defaultLockFolder() {
  static const QString kSharedMemoryFolder = QStringLiteral("/dev/shm");
  return QFileInfo(kSharedMemoryFolder).isDir() ? kSharedMemoryFolder : QStringLiteral("/tmp");
}

const char* errorText(int error) { return std::strerror(error); }

int flockRetrying(int fd, int operation) {
  int result;
  do result = ::flock(fd, operation);
  while (result != 0 && errno == EINTR);
  return result;
}

// A shared lock, waiting at most about two seconds for a process that holds the lock
// exclusively while it clears the block: a stuck peer must not hang the program.
int sharedLockBounded(int fd) {
  for (int attempt = 0; attempt < 200; ++attempt) {
    if (flockRetrying(fd, LOCK_SH | LOCK_NB) == 0) return 0;
    if (errno != EWOULDBLOCK) return -1;
    ::usleep(10'000);
  }
  errno = EWOULDBLOCK;
  return -1;
}

void zero(char* data, qsizetype size) {
  std::memset(data, 0, size_t(size));
  ::msync(data, size_t(size), MS_SYNC);
}

// Where the system keeps the object of a block, for the user who has to remove it.
QString objectPath(const QString& name) { return QStringLiteral("/dev/shm") + name; }

}  // namespace

PosixBlocks::PosixBlocks(QString prefix, QString lockFolder)
    : prefix_(std::move(prefix)), lockFolder_(lockFolder.isEmpty() ? defaultLockFolder() : std::move(lockFolder)) {}

PosixBlocks::~PosixBlocks() { close(); }

QString PosixBlocks::objectName(Block block, const QString& prefix) {
  return QStringLiteral("/%1%2.%3").arg(prefix, QLatin1String(blocks::name(block))).arg(::getuid());
}

QString PosixBlocks::lockPath(Block block) const {
  return lockFolder_ + objectName(block, prefix_) + QStringLiteral(".lock");
}

// Opens the companion lock file and takes the block's lock: exclusive when no other
// process holds the block (then `alone` is set), else shared. Returns the lock's
// descriptor, or -1 (with `alone` set when the lock file is one that must not be used).
int PosixBlocks::lock(Block block, bool& alone) {
  alone = false;
  const QString path = lockPath(block);
  const lockfile::Opened opened = lockfile::open(path);
  if (opened.outcome == lockfile::Outcome::Foreign) {
    // Whether a peer holds the block cannot be told without the lock. A stale request
    // replayed at every start is worse than a live peer's block cleared: it counts as alone.
    qCWarning(lcBlocks) << "the lock file" << path << "is not used:" << opened.why
                        << "- the block is cleared at every start until it is removed";
    foreign_ << QStringLiteral("%1 (%2)").arg(path, opened.why);
    alone = true;
    return -1;
  }
  if (opened.fd < 0) {
    qCWarning(lcBlocks) << "cannot open the lock file" << path << ":" << opened.why
                        << "- the block keeps whatever it holds";
    return -1;
  }
  const int fd = opened.fd;
  if (flockRetrying(fd, LOCK_EX | LOCK_NB) == 0) {
    alone = true;
    return fd;
  }
  if (errno == EWOULDBLOCK && sharedLockBounded(fd) == 0) return fd;
  qCWarning(lcBlocks) << "cannot lock" << path << ":" << errorText(errno) << "- the block keeps whatever it holds";
  ::close(fd);
  return -1;
}

// Opens the block's object, creating it with the block's size when there is none.
int PosixBlocks::attach(Block block) {
  const QString name = objectName(block, prefix_);
  const QByteArray encoded = QFile::encodeName(name);
  int fd = ::shm_open(encoded.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) {
    qCWarning(lcBlocks) << "cannot open or create" << name << ":" << errorText(errno);
    return -1;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    qCWarning(lcBlocks) << "cannot examine" << name << ":" << errorText(errno);
    ::close(fd);
    return -1;
  }
  // Somebody else's object under our name is never used: it could read or feed what this
  // user's programs exchange.
  if (st.st_uid != ::geteuid()) {
    qCWarning(lcBlocks) << "block" << objectPath(name) << "belongs to user" << st.st_uid
                        << "and is not used - it has to be removed";
    foreign_ << QStringLiteral("%1 (it belongs to user %2)").arg(objectPath(name)).arg(st.st_uid);
    ::close(fd);
    return -1;
  }
  if ((st.st_mode & 0777) != 0600) {
    // Whoever mapped it while it was open to them keeps that mapping whatever its mode
    // becomes: only a new object shuts them out.
    qCWarning(lcBlocks) << "block" << name << "was open to others (mode" << Qt::oct << (st.st_mode & 0777) << Qt::dec
                        << ") - made afresh";
    ::close(fd);
    if (::shm_unlink(encoded.constData()) != 0 && errno != ENOENT)
      qCWarning(lcBlocks) << "cannot remove" << name << ":" << errorText(errno);
    fd = ::shm_open(encoded.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
      qCWarning(lcBlocks) << "cannot create" << name << "afresh:" << errorText(errno);
      return -1;
    }
    st.st_size = 0;
  }
  if (st.st_size < blocks::size(block) && ::ftruncate(fd, blocks::size(block)) != 0) {
    qCWarning(lcBlocks) << "cannot size" << name << ":" << errorText(errno);
    ::close(fd);
    return -1;
  }
  return fd;
}

QStringList PosixBlocks::open() {
  QStringList messages;
  foreign_.clear();
  for (Block block : blocks::kAll) {
    View& v = view(block);
    if (v.data) continue;
    bool alone = false;
    v.lockFd = lock(block, alone);
    v.fd = attach(block);
    if (v.fd < 0) messages << QLatin1String(kCannotCreateMap);
    if (v.fd >= 0) {
      void* data = ::mmap(nullptr, size_t(blocks::size(block)), PROT_READ | PROT_WRITE, MAP_SHARED, v.fd, 0);
      if (data == MAP_FAILED) {
        qCWarning(lcBlocks) << "cannot map" << objectName(block, prefix_) << ":" << errorText(errno);
      } else {
        v.data = static_cast<char*>(data);
        v.size = blocks::size(block);
      }
    }
    if (!v.data) {
      messages << QLatin1String(kCannotCreateView);
      if (v.fd >= 0) ::close(v.fd);
      if (v.lockFd >= 0) ::close(v.lockFd);
      v = View{};
      continue;
    }
    if (alone) {
      zero(v.data, v.size);
      if (v.lockFd >= 0 && sharedLockBounded(v.lockFd) != 0)
        qCWarning(lcBlocks) << "cannot share the lock of" << lockPath(block) << ":" << errorText(errno);
    }
  }
  // The boxes above say only what failed; one more says why, and what to do about it.
  if (!foreign_.isEmpty())
    messages << QStringLiteral(
                    "These files are not yours, so Tavrin does not use them:\n%1\n\n"
                    "Ask the administrator to remove them.")
                    .arg(foreign_.join(u'\n'));
  return messages;
}

void PosixBlocks::close() {
  for (Block block : blocks::kAll) {
    View& v = view(block);
    if (v.data) {
      if (v.lockFd >= 0 && flockRetrying(v.lockFd, LOCK_EX | LOCK_NB) == 0) zero(v.data, v.size);
      ::munmap(v.data, size_t(v.size));
    }
    if (v.fd >= 0) ::close(v.fd);
    if (v.lockFd >= 0) ::close(v.lockFd);
    v = View{};
  }
}

// Another process may have cut the object short; touching the mapping past its end would
// end this one. The size is put back (zero-filled) before the mapping is used.
bool PosixBlocks::sizeHolds(Block block) {
  View& v = view(block);
  if (!v.data) return false;
  struct stat st {};
  if (::fstat(v.fd, &st) != 0) {
    qCWarning(lcBlocks) << "cannot examine" << objectName(block, prefix_) << ":" << errorText(errno);
    return false;
  }
  if (st.st_size >= v.size) return true;
  qCWarning(lcBlocks) << objectName(block, prefix_) << "was cut to" << st.st_size << "bytes by another process";
  if (::ftruncate(v.fd, v.size) != 0) {
    qCWarning(lcBlocks) << "cannot size" << objectName(block, prefix_) << "again:" << errorText(errno);
    return false;
  }
  return true;
}

std::optional<QByteArray> PosixBlocks::read(Block block) {
  const View& v = view(block);
  if (!sizeHolds(block)) return std::nullopt;
  return QByteArray(v.data, v.size);
}

bool PosixBlocks::write(Block block, QByteArrayView bytes) {
  View& v = view(block);
  if (!sizeHolds(block)) return false;
  std::memcpy(v.data, bytes.data(), size_t(std::min(bytes.size(), v.size)));
  return true;
}

bool PosixBlocks::flush(Block block, qsizetype count) {
  View& v = view(block);
  if (!sizeHolds(block)) return false;
  if (::msync(v.data, size_t(std::clamp<qsizetype>(count, 0, v.size)), MS_SYNC) != 0) {
    qCWarning(lcBlocks) << "cannot flush" << objectName(block, prefix_) << ":" << errorText(errno);
    return false;
  }
  return true;
}
