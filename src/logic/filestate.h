#pragma once
// What a path names, asked once of the file system. The one place where a path that is
// not there is told apart from one that cannot be examined at all.
#include <QString>

enum class FileState {
  Missing,  // nothing there (or a folder on the way is missing); an empty path too
  File,     // a regular file, or a link to one
  Folder,
  Other,       // a FIFO, device or socket: nothing to read whole
  Unreadable,  // cannot be examined (permissions, the medium gone, I/O error)
};

// `why` (when given) receives the system's reason for Unreadable.
FileState fileState(const QString& path, QString* why = nullptr);
