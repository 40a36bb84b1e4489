#pragma once
// The file system through POSIX calls.
#include "platform/filesystem.h"

class PosixFileSystem : public FileSystem {
 public:
  FileState state(const QString& path, QString* why = nullptr) override;
  Appended append(const QString& path, const QByteArray& bytes) override;
};
