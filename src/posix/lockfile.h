#pragma once
// Lock files in folders that every user can write to (/tmp, /dev/shm): another user could
// put a file or a link there first, under our name, and so hold our lock or point it
// elsewhere. Such a file is never used.
#include "platform/result.h"

#include <QString>

namespace lockfile {

// Why a lock file, or the folder it is kept in, is not used.
struct Refusal {
  enum class Kind {
    Foreign,  // not ours: a link, or another user's
    Failed,   // could not be opened or looked at
  };
  Kind kind = Kind::Failed;
  QString why;  // for the log
};

// Opens `path` for reading and writing, creating it with mode 0600, without following a link at
// its place: its descriptor. A link, or a file of another user, is Foreign.
Result<int, Refusal> open(const QString& path);

}  // namespace lockfile
