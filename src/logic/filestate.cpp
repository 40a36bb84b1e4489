#include "logic/filestate.h"

#include <QFile>

#include <sys/stat.h>
#include <cerrno>
#include <cstring>

FileState fileState(const QString& path, QString* why) {
  if (path.isEmpty()) return FileState::Missing;
  struct stat st {};
  if (::stat(QFile::encodeName(path).constData(), &st) == 0) {
    if (S_ISREG(st.st_mode)) return FileState::File;
    if (S_ISDIR(st.st_mode)) return FileState::Folder;
    return FileState::Other;
  }
  if (errno == ENOENT || errno == ENOTDIR) return FileState::Missing;
  if (why) *why = QString::fromLocal8Bit(std::strerror(errno));
  return FileState::Unreadable;
}
