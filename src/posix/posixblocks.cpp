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
#include <sys/types.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>

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

// Reads and writes retried when a signal cuts them short; the count of bytes done, or -1.
qsizetype readAt(int fd, char* data, qsizetype size) {
  qsizetype done = 0;
  while (done < size) {
    const ssize_t n = ::pread(fd, data + done, size_t(size - done), off_t(done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;  // the object ends here
    done += n;
  }
  return done;
}

qsizetype writeAt(int fd, const char* data, qsizetype size) {
  qsizetype done = 0;
  while (done < size) {
    const ssize_t n = ::pwrite(fd, data + done, size_t(size - done), off_t(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return -1;
    done += n;
  }
  return done;
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
  const Result<int, lockfile::Refusal> opened = lockfile::open(path);
  if (!opened && opened.error().kind == lockfile::Refusal::Kind::Foreign) {
    // Whether a peer holds the block cannot be told without the lock. A stale request
    // replayed at every start is worse than a live peer's block cleared: it counts as alone.
    qCWarning(lcBlocks) << "the lock file" << path << "is not used:" << opened.error().why
                        << "- the block is cleared at every start until it is removed";
    foreign_ << QStringLiteral("%1 (%2)").arg(path, opened.error().why);
    alone = true;
    return -1;
  }
  if (!opened) {
    qCWarning(lcBlocks) << "cannot open the lock file" << path << ":" << opened.error().why
                        << "- the block keeps whatever it holds";
    return -1;
  }
  const int fd = *opened;
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
    if (v.fd >= 0) continue;
    bool alone = false;
    v.lockFd = lock(block, alone);
    v.fd = attach(block);
    if (v.fd < 0) {
      // The block's view is its descriptor: without the object there is neither.
      messages << QLatin1String(kCannotCreateMap) << QLatin1String(kCannotCreateView);
      if (v.lockFd >= 0) ::close(v.lockFd);
      v = View{};
      continue;
    }
    v.size = blocks::size(block);
    if (alone) {
      zero(block);
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
    if (v.fd >= 0 && v.lockFd >= 0 && flockRetrying(v.lockFd, LOCK_EX | LOCK_NB) == 0) zero(block);
    if (v.fd >= 0) ::close(v.fd);
    if (v.lockFd >= 0) ::close(v.lockFd);
    v = View{};
  }
}

void PosixBlocks::zero(Block block) {
  const View& v = view(block);
  const QByteArray zeros(v.size, '\0');
  if (!sizeHolds(block) || writeAt(v.fd, zeros.constData(), zeros.size()) != zeros.size())
    qCWarning(lcBlocks) << "cannot clear" << objectName(block, prefix_) << ":" << errorText(errno);
}

// Another process may have cut the object short. Reading and writing through the
// descriptor never faults whatever its size, but the simulators map the block, and a
// mapping touched past the object's end ends its process: the size is put back (the bytes
// that were cut off come back as zeros).
bool PosixBlocks::sizeHolds(Block block) {
  View& v = view(block);
  if (v.fd < 0) return false;
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
  // Bytes the object no longer has (cut again since the size was checked) read as zeros.
  QByteArray bytes(v.size, '\0');
  if (readAt(v.fd, bytes.data(), v.size) < 0) {
    qCWarning(lcBlocks) << "cannot read" << objectName(block, prefix_) << ":" << errorText(errno);
    return std::nullopt;
  }
  return bytes;
}

bool PosixBlocks::write(Block block, QByteArrayView bytes) {
  const View& v = view(block);
  if (!sizeHolds(block)) return false;
  const qsizetype count = std::min(bytes.size(), v.size);
  if (writeAt(v.fd, bytes.data(), count) != count) {
    qCWarning(lcBlocks) << "cannot write" << objectName(block, prefix_) << ":" << errorText(errno);
    return false;
  }
  return true;
}

bool PosixBlocks::flush(Block block, qsizetype) {
  // A write through the descriptor is in the object, which every mapping of it shares,
  // when it returns; there is nothing left to flush. A peer that cut the block since then
  // has it sized again.
  return sizeHolds(block);
}
