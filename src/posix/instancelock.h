#pragma once
#include <QList>
#include <QString>

// Tells whether another copy of the program already runs for this user: the first copy
// holds an exclusive lock on a file for its whole life. The lock goes with the process, so
// a crashed reader never blocks the next one.
//
// The lock file lies where only this user can write: in $XDG_RUNTIME_DIR when it is set
// (and is a folder of the user's that nobody else may write to), else in a private folder
// of its own in /tmp, made for it, else in the user's home folder. A place that another user
// could have prepared (their file or folder under our name, a link, a folder others may
// write to) is never used: it would let them hold our lock, or cut it from under us.
class InstanceLock {
 public:
  struct Place {
    QString folder;
    QString file;       // the lock file's name in it
    bool made = false;  // a folder of the program's own, made when missing
  };

  InstanceLock();
  // A lock file whose folder is taken as it is (tests).
  explicit InstanceLock(const QString& path);
  // The places in order: the first that can be had holds the lock. A copy that takes it
  // there still counts as a launcher when a later place's lock is held, by a reader that
  // found the earlier places barred when it started.
  explicit InstanceLock(QList<Place> places);
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // True when another process holds the lock; otherwise this process now holds it. When
  // no place can be had at all, the copy runs as the reader, and says so in the log.
  bool anotherCopyRuns();

  // The places for this user in this environment.
  static QList<Place> defaultPlaces();

 private:
  QList<Place> places_;
  int fd_ = -1;
};
