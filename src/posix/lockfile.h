#pragma once
// Lock files in folders that every user can write to (/tmp, /dev/shm): another user could
// put a file or a link there first, under our name, and so hold our lock or point it
// elsewhere. Such a file is never used.
#include <QString>

namespace lockfile {

enum class Outcome { Opened, Foreign, Failed };

struct Opened {
  int fd = -1;  // open for reading and writing when `outcome` is Opened, else -1
  Outcome outcome = Outcome::Failed;
  QString why;  // what went wrong, for the log
};

// Opens `path`, creating it with mode 0600, without following a link at its place. A
// link, or a file of another user, is Foreign.
Opened open(const QString& path);

}  // namespace lockfile
