#pragma once
#include <QString>

// Tells whether another copy of the program already runs for this user: the first copy
// holds an exclusive lock on a file in the runtime folder for its whole life. The lock
// goes with the process, so a crashed reader never blocks the next one.
class InstanceLock {
 public:
  InstanceLock();  // $XDG_RUNTIME_DIR/tavrin-<uid>.lock, or /tmp when that is not set
  explicit InstanceLock(QString path);
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // True when another process holds the lock; otherwise this process now holds it.
  bool anotherCopyRuns();

 private:
  QString path_;
  int fd_ = -1;
};
