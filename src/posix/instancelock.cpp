#include "posix/instancelock.h"

#include "platform/logging.h"
#include "posix/lockfile.h"

#include <QDir>
#include <QFile>
#include <QLoggingCategory>

#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <vector>

namespace {

QString lockPath(const InstanceLock::Place& place) { return place.folder + u'/' + place.file; }

QString errorText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// The folder a lock may lie in: the user's own, and nobody else may put or remove files in
// it. A folder of the program's own is made (0700) when missing and must not be a link; a
// looser mode on it is tightened. Another place is taken where it leads.
Result<void, lockfile::Refusal> folderFor(const InstanceLock::Place& place, bool make) {
  using Kind = lockfile::Refusal::Kind;
  const auto refused = [](Kind kind, QString why) {
    return Result<void, lockfile::Refusal>::failed({kind, std::move(why)});
  };
  const QByteArray folder = QFile::encodeName(place.folder);
  if (make && place.made && ::mkdir(folder.constData(), 0700) != 0 && errno != EEXIST)
    return refused(Kind::Failed, errorText(errno));
  struct stat st {};
  if ((place.made ? ::lstat(folder.constData(), &st) : ::stat(folder.constData(), &st)) != 0)
    return refused(Kind::Failed, errorText(errno));
  if (S_ISLNK(st.st_mode)) return refused(Kind::Foreign, QStringLiteral("its folder is a link"));
  if (!S_ISDIR(st.st_mode)) return refused(Kind::Foreign, QStringLiteral("its folder is not a folder"));
  if (st.st_uid != ::geteuid())
    return refused(Kind::Foreign, QStringLiteral("its folder belongs to user %1").arg(st.st_uid));
  if (!place.made && (st.st_mode & (S_IWGRP | S_IWOTH)))
    return refused(Kind::Foreign, QStringLiteral("others may write to its folder"));
  if (place.made && (st.st_mode & 077) && ::chmod(folder.constData(), 0700) != 0)
    return refused(Kind::Failed, errorText(errno));
  return {};  // the folder will do; no file is open yet
}

// True when the lock at `place` exists and another process holds it. Nothing is made.
bool heldAt(const InstanceLock::Place& place) {
  if (!folderFor(place, false)) return false;
  struct stat st {};
  if (::lstat(QFile::encodeName(lockPath(place)).constData(), &st) != 0) return false;
  const Result<int, lockfile::Refusal> lock = lockfile::open(lockPath(place));
  if (!lock) return false;
  const bool held = ::flock(*lock, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  ::close(*lock);
  return held;
}

QString homeFolder() {
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir &&
      *found->pw_dir)
    return QFile::decodeName(found->pw_dir);
  return QDir::homePath();
}

}  // namespace

QList<InstanceLock::Place> InstanceLock::defaultPlaces() {
  const QString uid = QString::number(::getuid());
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty()) {
    const Place place{runtime, QStringLiteral("tavrin-%1.lock").arg(uid)};
    const Result<void, lockfile::Refusal> folder = folderFor(place, false);
    if (folder) return {place};
    qCWarning(lcInstance) << "the runtime folder" << runtime << "is not used for the instance lock:"
                          << folder.error().why;
  }
  return {Place{QStringLiteral("/tmp/tavrin-%1").arg(uid), QStringLiteral("tavrin.lock"), true},
          Place{homeFolder(), QStringLiteral(".tavrin-%1.lock").arg(uid)}};
}

InstanceLock::InstanceLock() : InstanceLock(defaultPlaces()) {}

InstanceLock::InstanceLock(const QString& path)
    : InstanceLock(QList<Place>{Place{path.section(u'/', 0, -2), path.section(u'/', -1)}}) {}

InstanceLock::InstanceLock(QList<Place> places) : places_(std::move(places)) {}

InstanceLock::~InstanceLock() {
  if (fd_ >= 0) ::close(fd_);
}

bool InstanceLock::anotherCopyRuns() {
  if (fd_ >= 0) return false;
  for (qsizetype i = 0; i < places_.size(); ++i) {
    const Place& place = places_[i];
    const Result<void, lockfile::Refusal> folder = folderFor(place, true);
    const Result<int, lockfile::Refusal> lock =
        folder ? lockfile::open(lockPath(place)) : Result<int, lockfile::Refusal>::failed(folder.error());
    if (!lock) {
      const QString next = i + 1 < places_.size()
                               ? QStringLiteral("- it is taken in %1 instead").arg(places_[i + 1].folder)
                               : QStringLiteral("- no place is left, so every copy runs as the reader");
      const lockfile::Refusal& refusal = lock.error();
      if (refusal.kind == lockfile::Refusal::Kind::Foreign)
        qCWarning(lcInstance).noquote() << "the instance lock" << lockPath(place)
                                        << "is not used: \"" + refusal.why + '"' << next;
      else
        qCWarning(lcInstance).noquote() << "cannot open the instance lock" << lockPath(place) << ":" << refusal.why
                                        << next;
      continue;
    }
    if (::flock(*lock, LOCK_EX | LOCK_NB) != 0) {
      ::close(*lock);
      return true;
    }
    for (qsizetype later = i + 1; later < places_.size(); ++later) {
      if (heldAt(places_[later])) {
        ::close(*lock);
        return true;
      }
    }
    fd_ = *lock;
    return false;
  }
  return false;
}
